#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// A phone syncing one address book, played by Debian's vdirsyncer: its cards are files in a
// folder of its own that the test reads and edits, and sync() exchanges them with the server.
class VdirsyncerPhone
{
public:
    explicit VdirsyncerPhone(const QUrl &addressBook);

    // Empty when the phone is ready; else why not (not installed, discovery failed).
    QString problem() const { return m_problem; }
    // The folder of the phone's cards, one .vcf file each.
    QString cardFolder() const;
    // Empty when the sync ran; else vdirsyncer's output.
    QString sync();

private:
    QString run(const QStringList &arguments);

    QTemporaryDir m_folder;
    QString m_program;
    QString m_problem;
};
