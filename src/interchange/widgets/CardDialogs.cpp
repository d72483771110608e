#include "CardDialogs.h"

#include "ExportOptionsDialog.h"
#include "ImportSummaryDialog.h"

namespace {

CardDialogs *installed = nullptr;

} // namespace

CardDialogs &CardDialogs::current()
{
    static WidgetCardDialogs real;
    return installed ? *installed : real;
}

void CardDialogs::install(CardDialogs *dialogs)
{
    installed = dialogs;
}

std::optional<CardImport::Choice> WidgetCardDialogs::confirmImport(QWidget *parent,
                                                                   const CardImport::Plan &plan)
{
    ImportSummaryDialog dialog(plan, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

std::optional<ExportChoice> WidgetCardDialogs::chooseExport(QWidget *parent, const QString &group,
                                                            bool rowsShown)
{
    ExportOptionsDialog dialog(group, rowsShown, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}
