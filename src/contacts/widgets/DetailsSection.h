#pragma once

#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QList>
#include <QWidget>
#include <functional>

class frmDetails;

// A part of the contact editor's "更多" tab that a higher subsystem adds (the card's other
// values, its QR code, the paper card's images): the editor asks each section to show the
// contact, whether it holds changes, and to store them in the editor's own write, so a contact is
// never half written. The program registers the sections once at start-up.
class DetailsSection : public QWidget
{
public:
    using Factory = std::function<DetailsSection *(frmDetails &editor)>;

    using QWidget::QWidget;

    // The contact as the editor shows it; its id is 0 for a contact not stored yet.
    virtual void load(const ContactRecord &row) = 0;
    // Takes in a value still being typed, before the editor asks for changes.
    virtual void finishEditing() { }
    virtual bool hasChanges() const { return false; }
    // Runs in every write of the editor, inside its transaction, after the row is stored (a
    // section may keep what depends on the row); a failure undoes the row's write as well.
    virtual Status store(qint64 contactId)
    {
        Q_UNUSED(contactId)
        return Status::success();
    }

    // Sections appear in the order they were added.
    static void add(const Factory &factory);
    static QList<DetailsSection *> makeAll(frmDetails &editor);

private:
    static QList<Factory> &factories();
};
