#include "Prompts.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>

namespace {

Prompts *installedPrompts = nullptr;

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The boxes speak Chinese like the rest of the program, whether or not Qt's translation is there.
void setChineseCaptions(QMessageBox &box)
{
    const std::pair<QMessageBox::StandardButton, const char16_t *> captions[] = {
        { QMessageBox::Ok, u"确定" },
        { QMessageBox::Cancel, u"取消" },
        { QMessageBox::Yes, u"是" },
        { QMessageBox::No, u"否" },
    };
    for (const auto &[button, caption] : captions) {
        if (QAbstractButton *shown = box.button(button))
            shown->setText(QString::fromUtf16(caption));
    }
}

Answer ask(QWidget *parent, MessageIcon icon, const QString &caption, const QString &text,
           QMessageBox::StandardButtons buttons)
{
    QMessageBox box(boxIcon(icon), caption, text, buttons, parent);
    // Texts carry names from the data file: markup in them is shown, never followed.
    box.setTextFormat(Qt::PlainText);
    setChineseCaptions(box);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

QStringList runFileDialog(QWidget *parent, const FileDialogSetup &setup,
                          QFileDialog::AcceptMode mode, QFileDialog::FileMode files)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(files);
    dialog.setNameFilter(setup.filter);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !setup.confirmOverwrite);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!setup.presetName.isEmpty())
        dialog.selectFile(setup.presetName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

} // namespace

Prompts &Prompts::current()
{
    static WidgetPrompts realPrompts;
    return installedPrompts ? *installedPrompts : realPrompts;
}

void Prompts::install(Prompts *prompts)
{
    installedPrompts = prompts;
}

void WidgetPrompts::message(QWidget *parent, MessageIcon icon, const QString &caption,
                            const QString &text)
{
    ask(parent, icon, caption, text, QMessageBox::Ok);
}

Answer WidgetPrompts::askYesNo(QWidget *parent, MessageIcon icon, const QString &caption,
                               const QString &text)
{
    return ask(parent, icon, caption, text, QMessageBox::Yes | QMessageBox::No);
}

Answer WidgetPrompts::askYesNoCancel(QWidget *parent, MessageIcon icon, const QString &caption,
                                     const QString &text)
{
    return ask(parent, icon, caption, text,
               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

QString WidgetPrompts::openFileName(QWidget *parent, const FileDialogSetup &setup)
{
    return runFileDialog(parent, setup, QFileDialog::AcceptOpen, QFileDialog::ExistingFile)
        .value(0);
}

QString WidgetPrompts::saveFileName(QWidget *parent, const FileDialogSetup &setup)
{
    return runFileDialog(parent, setup, QFileDialog::AcceptSave, QFileDialog::AnyFile).value(0);
}

QStringList WidgetPrompts::openFileNames(QWidget *parent, const FileDialogSetup &setup)
{
    return runFileDialog(parent, setup, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
}
