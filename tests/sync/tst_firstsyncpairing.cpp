#include "sync/FirstSyncPairing.h"

#include <QtTest>

Q_DECLARE_METATYPE(ContactRecord)

namespace {

ContactRecord person(const QString &first, const QString &last, const QString &number,
                     const QString &email = {})
{
    ContactRecord contact;
    contact.firstName = first;
    contact.lastName = last;
    contact.numbers[0] = number;
    contact.email = email;
    return contact;
}

} // namespace

// Which contact a server card is on the first sync: the same name and something to reach them by.
class tst_FirstSyncPairing : public QObject
{
    Q_OBJECT

private slots:
    void cardFindsItsContact_data()
    {
        QTest::addColumn<ContactRecord>("card");
        QTest::addColumn<QString>("uid");
        QTest::addColumn<qint64>("contactId");
        QTest::addColumn<bool>("ambiguous");

        QTest::newRow("number written with country code and dashes")
            << person(QStringLiteral("张"), QStringLiteral("三"),
                      QStringLiteral("+86 138-0000-0000"))
            << QString() << qint64(1) << false;
        QTest::newRow("e-mail in other case") << person(QStringLiteral("李"), QStringLiteral("四"),
                                                        {}, QStringLiteral("Li.Si@Example.CN"))
                                              << QString() << qint64(2) << false;
        QTest::newRow("same name, nothing shared")
            << person(QStringLiteral("张"), QStringLiteral("三"), QStringLiteral("13900000000"))
            << QString() << qint64(0) << false;
        QTest::newRow("shared number, other name")
            << person(QStringLiteral("张"), QStringLiteral("山"), QStringLiteral("13800000000"))
            << QString() << qint64(0) << false;
        QTest::newRow("two namesakes share the number")
            << person(QStringLiteral("王"), QStringLiteral("伟"), QStringLiteral("010 6666 8888"))
            << QString() << qint64(0) << true;
        QTest::newRow("kept card's UID, before the name")
            << person(QStringLiteral("Zhang"), QStringLiteral("San"), {}) << QStringLiteral("uid-3")
            << qint64(3) << false;
        QTest::newRow("unknown UID: by name and number")
            << person(QStringLiteral("张"), QStringLiteral("三"), QStringLiteral("13800000000"))
            << QStringLiteral("uid-9") << qint64(1) << false;
    }

    void cardFindsItsContact()
    {
        QFETCH(ContactRecord, card);
        QFETCH(QString, uid);
        QFETCH(qint64, contactId);
        QFETCH(bool, ambiguous);
        QList<ContactRecord> here {
            person(QStringLiteral("张"), QStringLiteral("三"), QStringLiteral("13800000000")),
            person(QStringLiteral("李"), QStringLiteral("四"), {},
                   QStringLiteral("li.si@example.cn")),
            person(QStringLiteral("王"), QStringLiteral("伟"), QStringLiteral("01066668888")),
            person(QStringLiteral("王"), QStringLiteral("伟"), QStringLiteral("010-66668888"))
        };
        for (qsizetype i = 0; i < here.size(); ++i)
            here[i].id = i + 1;
        FirstSyncPairing pairing(here, { { QStringLiteral("uid-3"), 3 } });
        const FirstSyncPairing::Match match = pairing.claim(card, uid);
        QCOMPARE(match.contactId, contactId);
        QCOMPARE(match.ambiguous, ambiguous);
    }

    // Two cards for one contact: the second is not linked to the contact the first took.
    void contactIsTakenOnce()
    {
        ContactRecord zhang
            = person(QStringLiteral("张"), QStringLiteral("三"), QStringLiteral("13800000000"));
        zhang.id = 7;
        FirstSyncPairing pairing({ zhang });
        QCOMPARE(pairing.claim(zhang).contactId, qint64(7));
        const FirstSyncPairing::Match again = pairing.claim(zhang);
        QCOMPARE(again.contactId, qint64(0));
        QVERIFY(again.ambiguous);
    }
};

QTEST_GUILESS_MAIN(tst_FirstSyncPairing)
#include "tst_firstsyncpairing.moc"
