#pragma once

#include "interchange/CardExport.h"
#include "interchange/CardImport.h"

#include <optional>

class QWidget;

// What the user chose for an export.
struct ExportChoice
{
    CardExport::Scope::Kind scope = CardExport::Scope::Kind::All;
    CardFormat format = CardFormat::VCard30;
};

// The two dialogs of the card commands, replaced by tests the way Prompts is.
class CardDialogs
{
public:
    virtual ~CardDialogs() = default;

    // Shows the import summary; no value when the user cancels.
    virtual std::optional<CardImport::Choice> confirmImport(QWidget *parent,
                                                            const CardImport::Plan &plan)
        = 0;
    // Asks for the scope and format; a scope that is not available is not offered.
    virtual std::optional<ExportChoice> chooseExport(QWidget *parent, const QString &group,
                                                     bool rowsShown)
        = 0;

    static CardDialogs &current();
    // Installs a replacement (not owned); nullptr restores the real dialogs.
    static void install(CardDialogs *dialogs);
};

class WidgetCardDialogs : public CardDialogs
{
public:
    std::optional<CardImport::Choice> confirmImport(QWidget *parent,
                                                    const CardImport::Plan &plan) override;
    std::optional<ExportChoice> chooseExport(QWidget *parent, const QString &group,
                                             bool rowsShown) override;
};
