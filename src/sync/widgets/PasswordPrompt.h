#pragma once

#include <QString>
#include <optional>

class QWidget;
struct SyncAccount;

// Asks for the sync password when the desktop keeps none; replaced by tests the way Prompts is.
class PasswordPrompt
{
public:
    virtual ~PasswordPrompt() = default;
    // No value when the user cancels.
    virtual std::optional<QString> ask(QWidget *parent, const SyncAccount &account);

    static PasswordPrompt &current();
    // Installs a replacement (not owned); nullptr restores the real box.
    static void install(PasswordPrompt *prompt);
};
