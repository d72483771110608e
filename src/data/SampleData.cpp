#include "SampleData.h"

#include "DataFileFactory.h"
#include "Database.h"
#include "Transaction.h"

#include <QRandomGenerator>
#include <QStringList>

namespace {

const QStringList surnames
    = QStringLiteral("王 李 张 刘 陈 杨 黄 赵 吴 周 徐 孙 马 朱 胡 郭 何 高 林 罗 郑 梁 谢 宋 唐 "
                     "许 韩 冯 邓 曹 彭 曾 肖 田 董 袁 潘 于 蒋 蔡 欧阳 司马")
          .split(QLatin1Char(' '));
const QStringList givenParts
    = QStringLiteral("伟 芳 娜 敏 静 丽 强 磊 军 洋 勇 艳 杰 娟 涛 明 超 秀 霞 平 刚 桂 英 华 建 "
                     "文 辉 玲 丹 萍 鹏 宇 浩 凯 婷 雪 琳 晨 欣 博")
          .split(QLatin1Char(' '));
const QStringList latinFirst
    = QStringLiteral("Smith Johnson Müller García Martin Rossi Tanaka Kim Nguyen O'Brien")
          .split(QLatin1Char(' '));
const QStringList latinGiven
    = QStringLiteral("Anna Peter Maria John Lucas Sophie David Emma Noah Olivia")
          .split(QLatin1Char(' '));
const QStringList companies
    = QStringLiteral("华信科技有限公司 东方贸易公司 长城电子 蓝天软件 Acme Corp 金桥物流 "
                     "新世纪传媒 远洋航运 Globex GmbH 星辰建筑设计院")
          .split(QLatin1Char(' '));
const QStringList cities
    = QStringLiteral("北京市 上海市 广州市 深圳市 杭州市 南京市 成都市 武汉市 西安市 天津市")
          .split(QLatin1Char(' '));
const QStringList streets
    = QStringLiteral("中山路 人民大道 解放路 建国路 长安街 南京路 学院路 科技园路")
          .split(QLatin1Char(' '));
const QStringList titles
    = QStringLiteral("总经理 经理 主管 工程师 销售代表 秘书 会计 教授").split(QLatin1Char(' '));
const QStringList baseGroups
    = QStringLiteral("同事 朋友 家人 客户 同学 其他方面 供应商 合作伙伴 老乡 战友 邻居 校友 投资人 "
                     "媒体 政府部门 律师 医生 老师 "
                     "球友 驴友 书友 网友 前同事 猎头 代理商 经销商 顾问 房东 银行 保险")
          .split(QLatin1Char(' '));

class Picker
{
public:
    explicit Picker(quint32 seed)
        : m_random(seed)
    { }
    const QString &from(const QStringList &list)
    {
        return list.at(int(m_random.bounded(quint32(list.size()))));
    }
    int number(int below) { return int(m_random.bounded(quint32(below))); }
    QString digits(int count)
    {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QChar(u'0' + number(10));
        return text;
    }

private:
    QRandomGenerator m_random;
};

QVariantList contactRow(Picker &pick, const QStringList &groups, int index)
{
    const bool latin = pick.number(5) == 0;
    const QString first = latin ? pick.from(latinFirst) : pick.from(surnames);
    const QString last
        = latin ? pick.from(latinGiven) : pick.from(givenParts) + pick.from(givenParts);
    const QString mail = QStringLiteral("user%1@example%2.cn").arg(index).arg(pick.number(50));
    const QString note = pick.number(3) == 0
        ? QStringLiteral("在%1认识，喜欢喝茶。").arg(pick.from(cities))
        : QString();
    return { first,
             last,
             pick.from(titles),
             groups.at(pick.number(int(groups.size()))),
             pick.from(companies),
             pick.from(cities) + pick.from(streets) + QString::number(pick.number(900) + 1)
                 + QStringLiteral("号"),
             QStringLiteral("%1楼%2室").arg(pick.number(30) + 1).arg(pick.number(20) + 1),
             QString(),
             pick.digits(6),
             QStringLiteral("010-") + pick.digits(8),
             QStringLiteral("13") + pick.digits(9),
             QStringLiteral("010-") + pick.digits(8),
             QString(),
             QStringLiteral("电话"),
             QStringLiteral("手机"),
             QStringLiteral("传真"),
             QStringLiteral("寻呼机"),
             mail,
             QStringLiteral("http://www.example%1.com").arg(pick.number(1000)),
             note };
}

Status addGroups(Database &database, const QStringList &groups)
{
    // The starting data already holds some of these names; add only the missing ones.
    QList<QVariantList> rows;
    for (int i = 0; i < groups.size(); ++i)
        rows << QVariantList { groups.at(i), 3, 1000 + i, QString(), groups.at(i) };
    return database.executeEach(
        QStringLiteral("INSERT INTO ContactType (Name, Type, Number, Description) "
                       "SELECT ?, ?, ?, ? WHERE NOT EXISTS "
                       "(SELECT 1 FROM ContactType WHERE Type = 3 AND Name = ?)"),
        rows);
}

} // namespace

namespace SampleData {

QStringList groupNames(int groups)
{
    QStringList names = baseGroups.mid(0, groups);
    for (int i = int(names.size()); i < groups; ++i)
        names << QStringLiteral("分组%1").arg(i + 1);
    return names;
}

Status write(const QString &path, const Options &options)
{
    if (Status created = DataFileFactory::createDataFile(path); !created)
        return created;
    auto opened = Database::open(path);
    if (!opened)
        return opened.status();
    Database &database = *opened.value();
    const QStringList groups = groupNames(qMax(1, options.groups));

    Transaction transaction(database);
    Status status = transaction.begin();
    if (status)
        status = addGroups(database, groups);
    Picker pick(options.seed);
    const QString insertContact
        = QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Title, Type, CompanyName, "
                         "Address1, Address2, Address3, "
                         "Postcode, Data1, Data2, Data3, Data4, Combo1, Combo2, Combo3, Combo4, "
                         "Email, Website, Notes) "
                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    // In batches, so a large file never sits in memory as a whole.
    constexpr int batchSize = 2000;
    for (int first = 0; status && first < options.contacts; first += batchSize) {
        QList<QVariantList> rows;
        for (int i = first; i < qMin(options.contacts, first + batchSize); ++i)
            rows << contactRow(pick, groups, i);
        status = database.executeEach(insertContact, rows);
    }
    if (status)
        status = transaction.commit();
    return status;
}

} // namespace SampleData
