#include "FrmType.h"

#include "categories/CategoryName.h"
#include "data/Database.h"
#include "shared/Twips.h"
#include "shared/widgets/Prompts.h"
#include "shared/widgets/ReadOnlyFile.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int clientWidthTwips = 7995;
constexpr int clientHeightTwips = 5205;

QString headerLine(qint64 count)
{
    if (count == 0)
        return QStringLiteral("--无可选择的类别--");
    return QStringLiteral("--现有%1种类别--").arg(count);
}

} // namespace

FrmType::FrmType(Database &database, QWidget *parent)
    : QDialog(parent)
    , m_database(database)
    , m_model(database)
{
    setObjectName(QStringLiteral("FrmType"));
    setWindowTitle(QStringLiteral("设置类别名称"));
    setModal(true);
    setFixedSize(Twips::toPixels(clientWidthTwips), Twips::toPixels(clientHeightTwips));
    buildControls();
    connectControls();
}

void FrmType::buildControls()
{
    m_nameBox = new QLineEdit(CategoryName::designText(), this);
    m_nameBox->setObjectName(QStringLiteral("Datafiled(0)"));
    m_descriptionBox = new QLineEdit(this);
    m_descriptionBox->setObjectName(QStringLiteral("Datafiled(1)"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *boxes = new QGridLayout;
    const QList<QPair<QString, QWidget *>> captions { { QStringLiteral("名称:"), m_nameBox },
                                                      { QStringLiteral("描述:"), m_descriptionBox },
                                                      { QStringLiteral("已存在的类别列表:"),
                                                        m_list } };
    for (int i = 0; i < captions.size(); ++i) {
        auto *label = new QLabel(captions.at(i).first, this);
        label->setObjectName(QStringLiteral("lblLabels(%1)").arg(i));
        label->setBuddy(captions.at(i).second);
        // The list's caption stands above it, across both columns.
        const bool aboveList = captions.at(i).second == m_list;
        boxes->addWidget(label, i, 0, 1, aboveList ? 2 : 1);
    }
    boxes->addWidget(m_nameBox, 0, 1);
    boxes->addWidget(m_descriptionBox, 1, 1);
    boxes->addWidget(m_list, 3, 0, 1, 2);

    auto *buttons = new QVBoxLayout;
    // One column, in this order, from "save and add new" at the top to "close" at the bottom.
    const QList<std::tuple<QString, QString, std::function<void()>>> commands {
        { QStringLiteral("XY_XPButton1"), QStringLiteral("保存并新添(&S)"),
          [this] { saveAndAddNew(); } },
        { QStringLiteral("cmdUpdate"), QStringLiteral("保存(&S)"), [this] { saveType(); } },
        { QStringLiteral("XY_XPButton2"), QStringLiteral("编辑(&E)"), [this] { edit(); } },
        { QStringLiteral("Command1"), QStringLiteral("上移"), [this] { move(-1); } },
        { QStringLiteral("Command2"), QStringLiteral("下移"), [this] { move(1); } },
        { QStringLiteral("cmdDelete"), QStringLiteral("删除(&D)"), [this] { deleteChosen(); } },
        { QStringLiteral("Command3"), QStringLiteral("刷新联系人"), [this] { refreshContacts(); } },
        { QStringLiteral("cmdCancel"), QStringLiteral("关闭"), [this] { close(); } },
    };
    for (const auto &[name, caption, action] : commands)
        buttons->addWidget(makeButton(name, caption, action));
    buttons->addStretch();

    auto *columns = new QHBoxLayout(this);
    columns->addLayout(boxes, 1);
    columns->addLayout(buttons);
}

QPushButton *FrmType::makeButton(const QString &name, const QString &caption,
                                 const std::function<void()> &action)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    // Enter in a box presses no button of its own accord.
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, action);
    return button;
}

void FrmType::connectControls()
{
    m_nameBox->installEventFilter(this);
    m_descriptionBox->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    // Keyboard choices; code that chooses a line blocks the list's signals.
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_mouseDown && row >= 0 && chosenRow() == row)
            edit();
    });
}

void FrmType::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        startAfresh();
}

bool FrmType::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport()) {
        if (event->type() == QEvent::MouseButtonPress
            || event->type() == QEvent::MouseButtonDblClick) {
            m_mouseDown = true;
            m_doubleClicked = event->type() == QEvent::MouseButtonDblClick;
            m_rowAtPress = chosenRow();
        } else if (event->type() == QEvent::MouseButtonRelease && m_mouseDown) {
            m_mouseDown = false;
            releaseOnList(static_cast<QMouseEvent *>(event)->position().toPoint());
        }
    } else if (event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        auto *box = static_cast<QLineEdit *>(watched);
        QTimer::singleShot(0, box, [box] { box->selectAll(); });
    } else if (event->type() == QEvent::FocusOut && watched == m_nameBox) {
        applySeparatorRule();
    }
    return QDialog::eventFilter(watched, event);
}

void FrmType::releaseOnList(const QPoint &at)
{
    // The second click of a double click has loaded its line already.
    if (m_doubleClicked)
        return;
    const bool onLine = m_list->itemAt(at) != nullptr;
    if (chosenRow() >= 0 && (onLine || chosenRow() != m_rowAtPress))
        edit();
}

void FrmType::startAfresh()
{
    enterAddMode();
    loadTypeList();
    focusNameBox();
}

void FrmType::loadTypeList()
{
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    auto listed = m_model.list(Int_Type);
    if (!listed) {
        showMessage(listed.message());
        listed = m_model.categories(Int_Type);
    }
    QStringList names;
    for (const Category &category : listed.value())
        names << category.name;
    m_listedCount = names.size();
    m_list->addItem(headerLine(m_listedCount));
    m_list->addItems(names);
    chooseLine(-1);
}

int FrmType::chosenRow() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item && item->isSelected() ? m_list->row(item) : -1;
}

void FrmType::chooseLine(int row)
{
    const QSignalBlocker blocker(m_list);
    if (row >= 0 && row < m_list->count()) {
        m_list->setCurrentRow(row);
    } else {
        m_list->setCurrentRow(-1);
        m_list->clearSelection();
    }
}

void FrmType::edit()
{
    const int row = chosenRow();
    if (row < 1) {
        showMessage(QStringLiteral("请先选择您要编辑的名称哦！"));
        chooseLine(0);
        return;
    }
    m_currentName = m_list->item(row)->text();
    lookUp(Int_Type, m_currentName);
}

void FrmType::Open_Type(int kind, const QString &name)
{
    m_currentName = name;
    lookUp(kind, name);
}

void FrmType::lookUp(int kind, const QString &name)
{
    const auto found = m_model.find(kind, name);
    if (!found) {
        showMessage(found.message());
        return;
    }
    if (!found.value()) {
        m_editing = false;
        showMessage(QStringLiteral("未找到您所编辑的类别哦！"));
        return;
    }
    m_nameBox->setText(found.value()->name.trimmed());
    m_descriptionBox->setText(found.value()->description.trimmed());
    m_editing = true;
}

CategoryModel::SaveOutcome FrmType::saveType()
{
    // Refused like a failed save: the boxes keep what the user typed.
    if (refusedAsReadOnly())
        return CategoryModel::SaveOutcome::Failed;
    const auto result = m_model.save({ Int_Type, m_editing, m_currentName, m_nameBox->text(),
                                       m_descriptionBox->text(), m_listedCount });
    switch (result.outcome) {
    case CategoryModel::SaveOutcome::Saved:
        m_currentName = result.name;
        m_editing = true;
        m_nameBox->setText(result.name);
        loadTypeList();
        break;
    case CategoryModel::SaveOutcome::NameMissing:
        showMessage(QStringLiteral("请输入该类别的名称！"));
        m_nameBox->setText(CategoryName::designText());
        focusNameBox();
        break;
    case CategoryModel::SaveOutcome::AlreadyExists:
        showMessage(QStringLiteral("该类别已经存在，请重新输入！"));
        focusNameBox();
        break;
    case CategoryModel::SaveOutcome::NameTaken:
        showMessage(QStringLiteral("该类别名称已经存在，请重新输入！"));
        focusNameBox();
        loadTypeList();
        break;
    case CategoryModel::SaveOutcome::Failed:
        // The boxes keep what the user typed, so nothing is lost.
        showMessage(result.error);
        focusNameBox();
        break;
    }
    return result.outcome;
}

void FrmType::saveAndAddNew()
{
    if (saveType() == CategoryModel::SaveOutcome::Failed)
        return;
    enterAddMode();
    focusNameBox();
}

void FrmType::deleteChosen()
{
    if (refusedAsReadOnly())
        return;
    const int row = chosenRow();
    if (row < 1) {
        showMessage(QStringLiteral("请先选择您要删除的类别名称！"));
        chooseLine(0);
        return;
    }
    const auto found = m_model.find(Int_Type, m_list->item(row)->text());
    if (!found) {
        showMessage(found.message());
        return;
    }
    if (!found.value()) {
        m_editing = false;
        showMessage(QStringLiteral("未找到您要删除的类别哦！"));
        return;
    }
    if (Status removed = m_model.remove(found.value()->id); !removed) {
        showMessage(removed.message());
        return;
    }
    enterAddMode();
    loadTypeList();
    if (row >= m_list->count())
        return;
    chooseLine(row);
    edit();
}

void FrmType::move(int step)
{
    if (refusedAsReadOnly())
        return;
    const int row = chosenRow();
    if (row < 1) {
        showMessage(QStringLiteral("请先选择您要移动的类别名称！"));
        if (m_list->count() > 1) {
            chooseLine(1);
            edit();
        } else {
            chooseLine(-1);
        }
        return;
    }
    const int target = row + step;
    if (target < 1 || target >= m_list->count())
        return;
    QListWidgetItem *from = m_list->item(row);
    QListWidgetItem *to = m_list->item(target);
    const QString moved = from->text();
    from->setText(to->text());
    to->setText(moved);
    chooseLine(target);
    edit();
    const Status renumbered
        = m_model.setNumbers(Int_Type, { { from->text(), row }, { to->text(), target } });
    if (!renumbered) {
        // Show the order the file really has rather than the one the user asked for.
        showMessage(renumbered.message());
        loadTypeList();
    }
}

Status FrmType::SetNewNum(const QString &name, qint64 newNumber)
{
    return m_model.setNumber(Int_Type, name, newNumber);
}

void FrmType::refreshContacts()
{
    close();
    emit refreshContactsRequested();
}

void FrmType::enterAddMode()
{
    m_currentName.clear();
    m_editing = false;
    m_nameBox->setText(CategoryName::designText());
    m_descriptionBox->clear();
}

void FrmType::focusNameBox()
{
    m_nameBox->setFocus();
    m_nameBox->selectAll();
}

void FrmType::applySeparatorRule()
{
    const QString cleaned = CategoryName::withoutSeparator(m_nameBox->text());
    if (cleaned != m_nameBox->text())
        m_nameBox->setText(cleaned);
}

bool FrmType::refusedAsReadOnly()
{
    return ReadOnlyFile::refuses(this, m_database.isReadOnly());
}

void FrmType::showMessage(const QString &text)
{
    Prompts::current().message(this, MessageIcon::Exclamation, QStringLiteral("出错啦"), text);
}
