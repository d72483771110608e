#include "sync/CardMerge.h"

#include <QtTest>

namespace {

ContactRecord contact(const QString &email, const QString &number, const QString &notes)
{
    ContactRecord record;
    record.firstName = QStringLiteral("张");
    record.lastName = QStringLiteral("三");
    record.email = email;
    record.numbers[0] = number;
    record.labels[0] = QStringLiteral("手机");
    record.notes = notes;
    return record;
}

} // namespace

// A contact changed on both sides since the last sync, merged against the card as last synced:
// where both changed a field the local value stays (the server's stays in the kept card).
class tst_CardMerge : public QObject
{
    Q_OBJECT

private slots:
    void merge_data()
    {
        QTest::addColumn<ContactRecord>("local");
        QTest::addColumn<ContactRecord>("remote");
        QTest::addColumn<ContactRecord>("merged");
        const QString number = QStringLiteral("13800000000");
        const QString mail = QStringLiteral("z@example.cn");

        QTest::newRow("the same change on both sides")
            << contact(mail, QStringLiteral("139"), {}) << contact(mail, QStringLiteral("139"), {})
            << contact(mail, QStringLiteral("139"), {});
        QTest::newRow("both changed the numbers")
            << contact(mail, QStringLiteral("137"), {}) << contact(mail, QStringLiteral("139"), {})
            << contact(mail, QStringLiteral("137"), {});
        QTest::newRow("both changed the notes and the e-mail address")
            << contact(QStringLiteral("a@example.cn"), number, QStringLiteral("本地"))
            << contact(QStringLiteral("b@example.cn"), number, QStringLiteral("远端"))
            << contact(QStringLiteral("a@example.cn"), number, QStringLiteral("本地"));
        QTest::newRow("each side changed another field")
            << contact(QStringLiteral("a@example.cn"), number, {})
            << contact(mail, QStringLiteral("139"), QStringLiteral("远端"))
            << contact(QStringLiteral("a@example.cn"), QStringLiteral("139"),
                       QStringLiteral("远端"));
    }

    void merge()
    {
        QFETCH(ContactRecord, local);
        QFETCH(ContactRecord, remote);
        QFETCH(ContactRecord, merged);
        const ContactRecord base
            = contact(QStringLiteral("z@example.cn"), QStringLiteral("13800000000"), {});
        const ContactRecord result = CardMerge::merge(base, local, remote);
        QCOMPARE(result.email, merged.email);
        QCOMPARE(result.numbers, merged.numbers);
        QCOMPARE(result.notes, merged.notes);
    }
};

QTEST_GUILESS_MAIN(tst_CardMerge)
#include "tst_cardmerge.moc"
