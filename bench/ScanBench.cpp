#include "ScanBench.h"

#include "BenchReport.h"
#include "CardPictures.h"
#include "scan/CardScanner.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

struct Truth
{
    QString family;
    QString given;
    QString title;
    QString company;
    QString address;
    QString postcode;
    QString email;
    QString website;
    // "label number" each.
    QStringList numbers;
};

struct Card
{
    CardPictures::Design design;
    Truth truth;
};

struct Tally
{
    int fields = 0;
    int exact = 0;

    double percent() const { return fields == 0 ? 0 : 100.0 * exact / fields; }
};

// Fields are compared as a person would: blanks, character width and letter case do not count.
QString normalised(const QString &text)
{
    QString result;
    for (QChar c : text.normalized(QString::NormalizationForm_KC)) {
        if (!c.isSpace())
            result += c.toCaseFolded();
    }
    return result;
}

const QStringList hanSurnames { "王", "李", "张",   "刘",   "陈",   "杨",   "赵", "黄",
                                "周", "吴", "欧阳", "司马", "诸葛", "上官", "徐", "孙" };
const QStringList hanGiven { "伟",   "芳",   "秀英", "敏", "静",   "丽",   "强",   "磊",
                             "明华", "志强", "晓东", "婷", "建国", "雪梅", "海涛", "玉兰" };
const QStringList hanTitles { "总经理",     "销售经理",   "技术总监", "高级工程师",
                              "市场部经理", "财务主管",   "设计师",   "项目经理",
                              "律师",       "首席执行官", "人事主管", "区域销售代表" };
const QStringList hanCompanies { "北京华晨科技有限公司",     "上海明德律师事务所",
                                 "深圳前海微众数据有限公司", "杭州远山贸易有限公司",
                                 "广州天河建筑设计研究院",   "成都蓝海实业集团",
                                 "南京金陵会计师事务所",     "武汉光谷生物医药有限公司" };
const QList<QStringList> hanAddresses {
    { "北京市朝阳区建国路88号", "SOHO现代城A座2801室" },        { "上海市浦东新区世纪大道100号" },
    { "广州市天河区珠江新城华夏路10号", "富力中心12楼1203室" }, { "杭州市西湖区文三路90号" },
    { "成都市高新区天府大道北段1700号", "环球中心E2座8楼" },    { "南京市鼓楼区中山北路28号" },
};
const QStringList latinNames { "Laura Bennett", "David Miller", "Anna Berg",   "James Carter",
                               "Emily Wong",    "Robert Chen",  "Sarah Lewis", "Michael Zhou" };
const QStringList latinTitles { "Marketing Director", "Senior Product Manager",  "Sales Manager",
                                "Software Engineer",  "Chief Executive Officer", "Lawyer",
                                "Project Manager",    "Financial Controller" };
const QStringList latinCompanies { "Brightwave Media Inc.",     "Northwind Trading Co., Ltd.",
                                   "Bluepeak Consulting Group", "Silverline Logistics Ltd.",
                                   "Redstone Capital Partners", "Greenfield Foods Inc." };
const QStringList latinAddresses { "21 Harbour Street, Suite 400", "Floor 12, 88 Century Avenue",
                                   "Room 1503, 1 Keji Road", "Tower B, 66 Nanjing Road" };
const QStringList mailNames { "wei.zhang", "fang.li", "info", "sales",
                              "m.chen",    "jing",    "hr",   "contact" };
const QStringList domains { "huachen-tech.cn", "mingde-law.com", "bluepeak.cn",
                            "yuanshan.com",    "northwind.com",  "lanhai-group.cn" };

QString digits(QRandomGenerator &random, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(u'0' + random.bounded(10));
    return text;
}

QString mobile(QRandomGenerator &random)
{
    return QStringLiteral("1%1%2 %3 %4")
        .arg(3 + random.bounded(7))
        .arg(digits(random, 1), digits(random, 4), digits(random, 4));
}

QString telephone(QRandomGenerator &random)
{
    QString number = QStringLiteral("0%1-%2%3 %4")
                         .arg(10 + random.bounded(80))
                         .arg(6 + random.bounded(3))
                         .arg(digits(random, 3), digits(random, 4));
    if (random.bounded(3) == 0)
        number += QStringLiteral(" 转 ") + digits(random, 3);
    return number;
}

template<typename T> const T &pick(QRandomGenerator &random, const QList<T> &list)
{
    return list.at(random.bounded(int(list.size())));
}

// A Chinese card, a bilingual one (English name and title kept beside) or an English one.
Card makeCard(QRandomGenerator &random, int kind)
{
    Card card;
    Truth &truth = card.truth;
    CardPictures::Design &design = card.design;
    const bool english = kind == 2;
    const QString mail = pick(random, mailNames) + u'@' + pick(random, domains);
    truth.email = mail;
    if (english) {
        const QString name = pick(random, latinNames);
        truth.given = name.section(u' ', 0, 0);
        truth.family = name.section(u' ', 1);
        truth.title = pick(random, latinTitles);
        truth.company = pick(random, latinCompanies);
        truth.address = pick(random, latinAddresses);
        design.name = name;
        design.headLines = { truth.title, truth.company };
        design.lines = { truth.address };
        const QString tel
            = QStringLiteral("+86 21 %1 %2").arg(digits(random, 4), digits(random, 4));
        const QString cell = mobile(random);
        design.lines << QStringLiteral("Tel: ") + tel << QStringLiteral("Mobile: ") + cell
                     << QStringLiteral("Email: ") + mail;
        truth.numbers = { QStringLiteral("电话 ") + tel, QStringLiteral("手机 ") + cell };
        return card;
    }
    truth.family = pick(random, hanSurnames);
    truth.given = pick(random, hanGiven);
    truth.title = pick(random, hanTitles);
    truth.company = pick(random, hanCompanies);
    const QStringList address = pick(random, hanAddresses);
    truth.address = address.join(QString());
    truth.postcode = digits(random, 6);
    design.name = truth.family + truth.given;
    design.title = truth.title;
    design.headLines = { truth.company };
    if (kind == 1)
        design.headLines.prepend(pick(random, latinNames));
    design.lines = QStringList { QStringLiteral("地址：") + address.first() } + address.mid(1);
    design.lines << QStringLiteral("邮编：") + truth.postcode;
    const QString tel = telephone(random);
    const QString cell = mobile(random);
    design.lines << QStringLiteral("电话：") + tel;
    // Half the cards print the mobile number without its label.
    design.lines << (random.bounded(2) == 0 ? QStringLiteral("手机：") + cell : cell);
    design.lines << QStringLiteral("邮箱：") + mail;
    truth.numbers = { QStringLiteral("电话 ") + tel, QStringLiteral("手机 ") + cell };
    if (random.bounded(2) == 0) {
        truth.website = QStringLiteral("www.") + mail.section(u'@', 1);
        design.lines << QStringLiteral("网址：") + truth.website;
    }
    return card;
}

QByteArray vCardOf(const Truth &truth)
{
    QStringList lines { "BEGIN:VCARD",
                        "VERSION:3.0",
                        QStringLiteral("N:%1;%2;;;").arg(truth.family, truth.given),
                        QStringLiteral("FN:%1%2").arg(truth.family, truth.given),
                        QStringLiteral("ORG:") + truth.company,
                        QStringLiteral("TITLE:") + truth.title,
                        QStringLiteral("EMAIL:") + truth.email };
    for (const QString &number : truth.numbers) {
        const bool cell = number.startsWith(QStringLiteral("手机"));
        lines << QStringLiteral("TEL;TYPE=%1:%2")
                     .arg(cell ? QStringLiteral("CELL") : QStringLiteral("VOICE"),
                          number.section(u' ', 1));
    }
    lines << "END:VCARD";
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

void tally(const Truth &truth, const ScanResult &scan, Tally &counts)
{
    const auto count = [&counts](const QString &expected, const QString &read) {
        if (expected.isEmpty())
            return;
        ++counts.fields;
        if (normalised(expected) == normalised(read))
            ++counts.exact;
    };
    count(truth.family, scan.familyName.text);
    count(truth.given, scan.givenName.text);
    count(truth.title, scan.title.text);
    count(truth.company, scan.companyName.text);
    count(truth.address, scan.address1.text + scan.address2.text);
    count(truth.postcode, scan.postcode.text);
    count(truth.email, scan.email.text);
    count(truth.website, scan.website.text);
    QStringList read;
    for (const ScannedNumber &number : scan.numbers)
        read << normalised(number.label + u' ' + number.number.text);
    for (const QString &number : truth.numbers) {
        ++counts.fields;
        if (read.contains(normalised(number)))
            ++counts.exact;
    }
}

double percentile(QList<double> values, double share)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(std::min(values.size() - 1, qsizetype(share * double(values.size()))));
}

} // namespace

namespace ScanBench {

bool run(int scans, int photos, int qrCards)
{
    auto scanner = CardScanner::create();
    if (!scanner) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(scanner.message()));
        return false;
    }
    QRandomGenerator random(20261207);
    Tally scanned;
    Tally photographed;
    Tally coded;
    QList<double> wallMs;
    QList<double> processorMs;
    const auto measure = [&](const QByteArray &image, const Truth &truth, Tally &counts) {
        QElapsedTimer timer;
        timer.start();
        const std::clock_t processorStart = std::clock();
        const auto scan = scanner.value()->scan(image);
        wallMs << double(timer.nsecsElapsed()) / 1e6;
        processorMs << double(std::clock() - processorStart) * 1000.0 / CLOCKS_PER_SEC;
        tally(truth, scan ? scan.value() : ScanResult(), counts);
    };
    for (int i = 0; i < scans + photos + qrCards; ++i) {
        Card card = makeCard(random, i % 3);
        CardPictures::Camera camera;
        camera.seed = i;
        camera.tilt = 0.04 + random.bounded(0.06);
        camera.blur = random.bounded(2);
        camera.shade = 0.2 + random.bounded(0.3);
        camera.jpegQuality = 55 + random.bounded(30);
        if (i < scans) {
            measure(CardPictures::png(CardPictures::printed(card.design)), card.truth, scanned);
        } else if (i < scans + photos) {
            measure(CardPictures::photographed(CardPictures::printed(card.design), camera),
                    card.truth, photographed);
        } else {
            card.truth.address.clear();
            card.truth.postcode.clear();
            card.truth.website.clear();
            card.design.lines = card.design.lines.mid(0, 2);
            card.design.qrText = vCardOf(card.truth);
            const QImage printed = CardPictures::printed(card.design);
            measure(i % 2 == 0 ? CardPictures::png(printed)
                               : CardPictures::photographed(printed, camera),
                    card.truth, coded);
        }
    }
    BenchReport::figure(QStringLiteral("scan_fields_exact_pct_scans"), scanned.percent());
    BenchReport::figure(QStringLiteral("scan_fields_exact_pct_photos"), photographed.percent());
    BenchReport::figure(QStringLiteral("scan_fields_exact_pct_qr"), coded.percent());
    BenchReport::figure(QStringLiteral("scan_card_ms_median"), percentile(wallMs, 0.5));
    BenchReport::figure(QStringLiteral("scan_card_ms_p95"), percentile(wallMs, 0.95));
    BenchReport::figure(QStringLiteral("scan_card_cpu_ms_median"), percentile(processorMs, 0.5));
    return true;
}

} // namespace ScanBench
