#pragma once

#include "CardDialogs.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;

// The export's scope (all contacts, the group selected in the contact list, the rows of the
// search window) and format (vCard 3.0 by default).
class ExportOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    ExportOptionsDialog(const QString &group, bool rowsShown, QWidget *parent = nullptr);

    ExportChoice choice() const;

private:
    QButtonGroup *m_scope;
    QComboBox *m_format;
};
