#include "CsvHeaders.h"

#include <QHash>
#include <QRegularExpression>

namespace CsvHeaders {

namespace {

QString keyOf(const QString &name)
{
    return name.trimmed().toLower();
}

QString numberCaption(int slot)
{
    return QStringLiteral("联系方式%1").arg(slot + 1);
}

QString labelCaption(int slot)
{
    return QStringLiteral("联系方式%1的类别").arg(slot + 1);
}

// Column names with one meaning wherever they appear; matched without regard to letter case.
const QHash<QString, Column> &namedColumns()
{
    static const QHash<QString, Column> table = [] {
        QHash<QString, Column> named;
        const auto add = [&named](Role role, const QStringList &names) {
            for (const QString &name : names) {
                Column column;
                column.role = role;
                named.insert(keyOf(name), column);
            }
        };
        const auto number
            = [&named](const QString &label, const QStringList &types, const QStringList &names) {
                  for (const QString &name : names) {
                      Column column;
                      column.role = Role::Number;
                      column.label = label;
                      column.types = types;
                      named.insert(keyOf(name), column);
                  }
              };
        const auto extra = [&named](const QString &property, const QStringList &names) {
            for (const QString &name : names) {
                Column column;
                column.role = Role::Extra;
                column.property = property;
                named.insert(keyOf(name), column);
            }
        };
        add(Role::Family, { "姓氏", "姓", "Last Name", "Family Name", "Surname" });
        add(Role::Given, { "名字", "名", "First Name", "Given Name" });
        add(Role::Middle, { "Middle Name", "Additional Name", "中间名" });
        add(Role::FullName, { "Name", "姓名", "Display Name", "显示名称", "Full Name", "全名" });
        // Outlook calls the name prefix ("Mr.") its "Title".
        add(Role::Prefix, { "Title", "称谓", "Name Prefix" });
        add(Role::Suffix, { "Suffix", "后缀", "Name Suffix" });
        add(Role::Title,
            { "职务", "Job Title", "职位", "Organization 1 - Title", "Organization Title" });
        add(Role::Group,
            { "关系类别", "Group Membership", "Labels", "Categories", "类别", "分组" });
        add(Role::Company,
            { "公司名称", "公司", "Company", "Organization", "Organization 1 - Name",
              "Organization Name", "单位" });
        add(Role::Department,
            { "Department", "部门", "Organization 1 - Department", "Organization Department" });
        add(Role::OwnAddress1, { "公司地址一", "地址" });
        add(Role::OwnAddress2, { "公司地址二" });
        add(Role::OwnAddress3, { "公司地址三" });
        add(Role::OwnPostcode, { "邮编", "邮政编码" });
        add(Role::Email,
            { "电子邮件", "E-mail Address", "Email Address", "Email", "电子邮件地址",
              "E-mail 2 Address", "E-mail 3 Address", "电子邮件 2 地址", "电子邮件 3 地址" });
        add(Role::Website, { "主页", "Web Page", "Website", "网页", "网址" });
        add(Role::Notes, { "附加信息", "Notes", "备注", "附注" });
        number("手机", { "cell" }, { "Mobile Phone", "移动电话", "手机" });
        number("办公电话", { "work", "voice" },
               { "Business Phone", "Business Phone 2", "Company Main Phone", "商务电话",
                 "商务电话 2", "公司代表线", "办公电话" });
        number("家庭电话", { "home", "voice" },
               { "Home Phone", "Home Phone 2", "住宅电话", "住宅电话 2", "家庭电话" });
        number("传真", { "work", "fax" }, { "Business Fax", "商务传真" });
        number("传真", { "home", "fax" }, { "Home Fax", "住宅传真" });
        number("传真", { "fax" }, { "Other Fax", "其他传真", "传真" });
        number("寻呼机", { "pager" }, { "Pager", "寻呼机" });
        number("电话", { "voice", "pref" }, { "Primary Phone", "主要电话" });
        number("电话", { "voice" }, { "Other Phone", "Phone", "其他电话", "电话" });
        number("车载电话", { "car" }, { "Car Phone", "车载电话" });
        number("ISDN", { "isdn" }, { "ISDN" });
        number("TTY/TDD 电话", { "textphone" }, { "TTY/TDD Phone", "TTY/TDD 电话" });
        number("助理电话", {}, { "Assistant's Phone", "助理的电话" });
        number("回电话", {}, { "Callback", "回电话" });
        number("无线电话", {}, { "Radio Phone", "无线电话" });
        number("电报", {}, { "Telex", "电报" });
        extra(QStringLiteral("BDAY"), { "Birthday", "生日" });
        extra(QStringLiteral("ANNIVERSARY"), { "Anniversary", "纪念日" });
        extra(QStringLiteral("NICKNAME"), { "Nickname", "昵称" });
        extra(QStringLiteral("PHOTO"), { "Photo" });
        extra(QStringLiteral("ROLE"), { "Profession", "职业", "Occupation" });
        return named;
    }();
    return table;
}

struct AddressGroup
{
    QString entry;
    QStringList types;
};

// Outlook writes its three addresses as "Business City", "住宅地址 市/县" and so on.
bool outlookAddress(const QString &key, Column &column)
{
    static const QList<std::pair<QString, AddressGroup>> groups {
        { "business ", { "Business", { "work" } } },
        { "home ", { "Home", { "home" } } },
        { "other ", { "Other", {} } },
        { "商务地址", { "Business", { "work" } } },
        { "住宅地址", { "Home", { "home" } } },
        { "其他地址", { "Other", {} } },
    };
    static const QHash<QString, Part> parts {
        { "street", Part::Street },
        { "street 2", Part::Street },
        { "street 3", Part::Street },
        { "city", Part::City },
        { "state", Part::Region },
        { "postal code", Part::Postcode },
        { "country/region", Part::Country },
        { "address po box", Part::PoBox },
        { "街道", Part::Street },
        { "街道 2", Part::Street },
        { "街道 3", Part::Street },
        { "市/县", Part::City },
        { "省/市/自治区", Part::Region },
        { "邮政编码", Part::Postcode },
        { "国家/地区", Part::Country },
        { "邮政信箱", Part::PoBox },
    };
    for (const auto &[prefix, group] : groups) {
        if (!key.startsWith(prefix))
            continue;
        const auto part = parts.constFind(key.mid(prefix.size()).trimmed());
        if (part == parts.constEnd())
            return false;
        column.role = Role::AddressPart;
        column.entry = group.entry;
        column.types = group.types;
        column.part = *part;
        return true;
    }
    return false;
}

// Google numbers what a person has more than one of: "Phone 1 - Type", "Phone 1 - Value",
// "Address 2 - City"; its older exports say "Type", its current ones "Label".
bool googleEntry(const QString &key, Column &column)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(phone|e-mail|website|address) (\\d+) - (.+)$"));
    static const QHash<QString, Part> parts {
        { "street", Part::Street },
        { "city", Part::City },
        { "po box", Part::PoBox },
        { "region", Part::Region },
        { "postal code", Part::Postcode },
        { "country", Part::Country },
        { "extended address", Part::Extended },
        { "formatted", Part::Formatted },
    };
    const QRegularExpressionMatch match = pattern.match(key);
    if (!match.hasMatch())
        return false;
    const QString kind = match.captured(1);
    const QString field = match.captured(3);
    column.entry = kind + u' ' + match.captured(2);
    if (field == u"type" || field == u"label") {
        column.role = Role::EntryType;
        return true;
    }
    if (kind == u"address") {
        const auto part = parts.constFind(field);
        if (part == parts.constEnd())
            return false;
        column.role = Role::AddressPart;
        column.part = *part;
        return true;
    }
    if (field != u"value")
        return false;
    if (kind == u"phone") {
        column.role = Role::Number;
        column.label = QStringLiteral("电话");
    } else {
        column.role = kind == u"e-mail" ? Role::Email : Role::Website;
    }
    return true;
}

bool ownNumber(const QString &key, Column &column)
{
    for (int slot = 0; slot < 4; ++slot) {
        if (key == numberCaption(slot) || key == labelCaption(slot)) {
            column.role = key == numberCaption(slot) ? Role::OwnNumber : Role::OwnNumberLabel;
            column.slot = slot;
            return true;
        }
    }
    return false;
}

} // namespace

QList<Column> classify(const QStringList &header)
{
    QList<Column> columns;
    for (int i = 0; i < header.size(); ++i) {
        const QString key = keyOf(header.at(i));
        Column column;
        const auto named = namedColumns().constFind(key);
        if (named != namedColumns().constEnd())
            column = *named;
        else if (!ownNumber(key, column) && !outlookAddress(key, column)
                 && !googleEntry(key, column))
            column.property = QStringLiteral("X-ZORVANE-CSV");
        column.index = i;
        column.head = header.at(i).trimmed().isEmpty() ? QStringLiteral("第%1列").arg(i + 1)
                                                       : header.at(i).trimmed();
        columns << column;
    }
    return columns;
}

QStringList ownCaptions()
{
    QStringList captions { QStringLiteral("姓氏"),       QStringLiteral("名字"),
                           QStringLiteral("职务"),       QStringLiteral("关系类别"),
                           QStringLiteral("公司名称"),   QStringLiteral("公司地址一"),
                           QStringLiteral("公司地址二"), QStringLiteral("公司地址三"),
                           QStringLiteral("邮编") };
    for (int slot = 0; slot < 4; ++slot)
        captions << labelCaption(slot) << numberCaption(slot);
    captions << QStringLiteral("电子邮件") << QStringLiteral("主页") << QStringLiteral("附加信息");
    return captions;
}

} // namespace CsvHeaders
