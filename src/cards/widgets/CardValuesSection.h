#pragma once

#include "cards/Card.h"
#include "cards/CardOtherValues.h"
#include "contacts/widgets/DetailsSection.h"

class ContactStore;
class QComboBox;
class QLabel;
class QTableWidget;
class frmDetails;

// The kept card's values the row cannot hold, listed by kind on the editor's "更多" tab, where the
// user adds, changes and removes them. Only what the user changed is written, property by
// property, in the editor's own write.
class CardValuesSection : public DetailsSection
{
public:
    explicit CardValuesSection(frmDetails &editor);

    void load(const ContactRecord &row) override;
    void finishEditing() override;
    bool hasChanges() const override;
    Status store(qint64 contactId) override;

private:
    enum Column { KindColumn, LabelColumn, TextColumn };

    void build();
    void addRow(const CardOtherValues::Value &value, int original);
    void addValue();
    void removeValue();
    void showPhoto(const CardProperty &photo);
    QList<CardOtherValues::Change> changes() const;
    static Status showInRow(ContactStore &rows, const ContactRecord &row, const Card &card);

    frmDetails &m_editor;
    QList<CardOtherValues::Value> m_values;
    // Listed values the user removed, by their place in m_values.
    QList<int> m_removed;
    QTableWidget *m_table = nullptr;
    QComboBox *m_newKind = nullptr;
    QLabel *m_photo = nullptr;
};
