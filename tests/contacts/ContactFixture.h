#pragma once

#include "data/Database.h"
#include "shared/AppEnvironment.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QVariantMap>
#include <QtTest>

// Adds contacts with chosen fields to a data file; fields left out stay NULL.
inline qint64 addContact(Database &database, const QVariantMap &fields)
{
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        names << it.key();
        marks << QStringLiteral("?");
        values << it.value();
    }
    const auto id
        = database.insert(QStringLiteral("INSERT INTO Contacts (%1) VALUES (%2)")
                              .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                          values);
    if (!id)
        QTest::qFail(qPrintable(id.message()), __FILE__, __LINE__);
    return id ? id.value() : -1;
}

inline qint64 addContact(Database &database, const QString &first, const QString &last,
                         const QVariantMap &more = {})
{
    QVariantMap fields = more;
    fields.insert(QStringLiteral("FirstName"), first);
    fields.insert(QStringLiteral("LastName"), last);
    return addContact(database, fields);
}

// Points the program folder somewhere else while alive; settings stay where they were.
class ProgramFolderOverride : public AppEnvironment
{
public:
    explicit ProgramFolderOverride(QString folder)
        : m_previous(&AppEnvironment::current())
        , m_folder(std::move(folder))
    {
        install(this);
    }
    ~ProgramFolderOverride() override { install(m_previous); }

    QString programFolder() const override { return m_folder; }
    std::unique_ptr<QSettings> openSettings() const override { return m_previous->openSettings(); }

private:
    const AppEnvironment *m_previous;
    QString m_folder;
};

// Ways to make writing Mylist.txt fail, even for a user who may write everywhere.
enum class BlockedExport { FolderUnderAFile, TargetIsAFolder };

// Sets the block up inside root; returns the program folder to use.
inline QString blockExport(const QString &root, BlockedExport how)
{
    QDir dir(root);
    if (how == BlockedExport::FolderUnderAFile) {
        QFile plain(dir.filePath(QStringLiteral("plain-file")));
        if (!plain.open(QIODevice::WriteOnly))
            QTest::qFail("cannot create a file", __FILE__, __LINE__);
        return dir.filePath(QStringLiteral("plain-file/program"));
    }
    if (!dir.mkpath(QStringLiteral("Mylist.txt")))
        QTest::qFail("cannot create a folder", __FILE__, __LINE__);
    return root;
}
