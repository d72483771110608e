#pragma once

#include <QString>
#include <QStringList>

class QWidget;

enum class MessageIcon { Information, Exclamation, Critical, Question };
enum class Answer { Ok, Yes, No, Cancel };

struct FileDialogSetup
{
    // One file-type entry, such as "Zorvane数据文件(*.cot)".
    QString filter;
    QString presetName;
    bool confirmOverwrite = true;
};

// Every message box, question and file dialog the windows show goes through here, so tests can
// answer them.
class Prompts
{
public:
    virtual ~Prompts() = default;

    virtual void message(QWidget *parent, MessageIcon icon, const QString &caption,
                         const QString &text)
        = 0;
    virtual Answer askYesNo(QWidget *parent, MessageIcon icon, const QString &caption,
                            const QString &text)
        = 0;
    virtual Answer askYesNoCancel(QWidget *parent, MessageIcon icon, const QString &caption,
                                  const QString &text)
        = 0;
    // The chosen full path, or an empty text when the user cancelled.
    virtual QString openFileName(QWidget *parent, const FileDialogSetup &setup) = 0;
    virtual QString saveFileName(QWidget *parent, const FileDialogSetup &setup) = 0;
    // Several existing files at once, or none when the user cancelled. A replacement that chooses
    // one file at a time is asked for one.
    virtual QStringList openFileNames(QWidget *parent, const FileDialogSetup &setup)
    {
        const QString chosen = openFileName(parent, setup);
        return chosen.isEmpty() ? QStringList() : QStringList { chosen };
    }

    static Prompts &current();
    // Installs a replacement (not owned); nullptr restores the real dialogs.
    static void install(Prompts *prompts);
};

// The real dialogs.
class WidgetPrompts : public Prompts
{
public:
    void message(QWidget *parent, MessageIcon icon, const QString &caption,
                 const QString &text) override;
    Answer askYesNo(QWidget *parent, MessageIcon icon, const QString &caption,
                    const QString &text) override;
    Answer askYesNoCancel(QWidget *parent, MessageIcon icon, const QString &caption,
                          const QString &text) override;
    QString openFileName(QWidget *parent, const FileDialogSetup &setup) override;
    QString saveFileName(QWidget *parent, const FileDialogSetup &setup) override;
    QStringList openFileNames(QWidget *parent, const FileDialogSetup &setup) override;
};
