#pragma once

#include "interchange/CardImport.h"

#include <QDialog>

// What a card file holds, before anything is written: import the new contacts only, all of
// them (same-named ones as separate contacts), the new ones with each same-named one merged into
// the contact of the file, or nothing.
class ImportSummaryDialog : public QDialog
{
    Q_OBJECT

public:
    ImportSummaryDialog(const CardImport::Plan &plan, QWidget *parent = nullptr);

    CardImport::Choice choice() const { return m_choice; }

private:
    CardImport::Choice m_choice = CardImport::Choice::NewOnly;
};
