#pragma once

#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QList>

class DetailsSection;
class QTabWidget;
class frmDetails;

// The sections of one editor's "更多" tab, asked together.
class DetailsSections
{
public:
    // Makes the registered sections on a tab after the editor's own, so none of their controls
    // moves; no tab when none are registered.
    void build(frmDetails &editor, QTabWidget *tabs);
    bool isEmpty() const { return m_sections.isEmpty(); }
    bool hasChanges() const;
    void load(const ContactRecord &row);
    void finishEditing();
    // Stops at the first section that fails.
    Status store(qint64 contactId);

private:
    QList<DetailsSection *> m_sections;
};
