#pragma once

#include "shared/widgets/Prompts.h"

#include <QList>
#include <QString>
#include <functional>
#include <variant>

struct ShownBox
{
    enum class Kind { Message, YesNo, YesNoCancel, OpenFile, SaveFile };
    Kind kind;
    MessageIcon icon;
    QString caption;
    QString text;
    FileDialogSetup setup;
};

// Answers boxes and file dialogs from a queue the test fills, and records every one shown.
// A box the test did not script fails the test at once instead of waiting for a click.
class ScriptedPrompts : public Prompts
{
public:
    ScriptedPrompts();
    ~ScriptedPrompts() override;

    // Queues the click that closes the next box: Ok for a message, Yes/No/Cancel for a question.
    void answer(Answer answer);
    void expectMessage() { answer(Answer::Ok); }
    // Queues the path the next file dialog returns; an empty path is a cancel.
    void chooseFile(const QString &path);
    int pending() const { return int(m_script.size()); }

    const QList<ShownBox> &shown() const { return m_shown; }
    const ShownBox &last() const { return m_shown.constLast(); }
    QStringList texts() const;
    // Runs as each box comes up, before it is recorded or answered: what a user could do then.
    std::function<void(const ShownBox &)> whileShown;

    void message(QWidget *parent, MessageIcon icon, const QString &caption,
                 const QString &text) override;
    Answer askYesNo(QWidget *parent, MessageIcon icon, const QString &caption,
                    const QString &text) override;
    Answer askYesNoCancel(QWidget *parent, MessageIcon icon, const QString &caption,
                          const QString &text) override;
    QString openFileName(QWidget *parent, const FileDialogSetup &setup) override;
    QString saveFileName(QWidget *parent, const FileDialogSetup &setup) override;

private:
    Answer nextAnswer(const ShownBox &box);
    QString nextFile(const ShownBox &box);

    QList<std::variant<Answer, QString>> m_script;
    QList<ShownBox> m_shown;
};
