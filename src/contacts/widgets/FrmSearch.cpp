#include "FrmSearch.h"

#include "SearchResultList.h"
#include "SearchResultModel.h"
#include "contacts/ContactExport.h"
#include "contacts/ContactSearch.h"
#include "contacts/ContactSearchIndex.h"
#include "shared/Clock.h"
#include "shared/Twips.h"
#include "shared/widgets/Desktop.h"
#include "shared/widgets/Prompts.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QResizeEvent>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

namespace {

constexpr int maxColumnWidth = Twips::toPixels(6000);
const QString errorCaption = QStringLiteral("出错啦！");

struct ToolButton
{
    const char *objectName;
    QString caption;
    QString toolTip;
    QStyle::StandardPixmap icon;
};

} // namespace

FrmSearch::FrmSearch(ContactSearchIndex &index, QWidget *parent)
    : QWidget(parent)
    , m_index(index)
{
    setObjectName(QStringLiteral("FrmSearch"));
    setWindowTitle(QStringLiteral("搜索结果"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildToolbar();
    buildList();
    resize(sizeHint());
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &FrmSearch::closeWindow);
}

void FrmSearch::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("tbContacts"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const QList<ToolButton> buttons {
        { "btnView", QStringLiteral("  查看  "), QStringLiteral("查看详细信息"),
          QStyle::SP_FileDialogContentsView },
        { "btnRefresh", QStringLiteral("  刷新  "), QStringLiteral("刷新当前显示的所有数据"),
          QStyle::SP_BrowserReload },
        { "btnShowAll", QStringLiteral("显示所有"), QStringLiteral("显示所有联系人的信息"),
          QStyle::SP_FileDialogListView },
        { "btnExport", QStringLiteral("  导出  "),
          QStringLiteral("将信息导出文本文件，可以用来排版、打印、查看等"),
          QStyle::SP_DialogSaveButton },
    };
    QList<QAction *> actions;
    for (const ToolButton &button : buttons) {
        QAction *action = m_toolbar->addAction(style()->standardIcon(button.icon), button.caption);
        action->setObjectName(QLatin1String(button.objectName));
        action->setToolTip(button.toolTip);
        actions << action;
    }
    connect(actions.at(0), &QAction::triggered, this, &FrmSearch::openSelected);
    connect(actions.at(1), &QAction::triggered, this, [this] { OpenSearch(m_lastKeyText); });
    connect(actions.at(2), &QAction::triggered, this, [this] { OpenSearch(QStringLiteral("*")); });
    connect(actions.at(3), &QAction::triggered, this, &FrmSearch::exportList);
}

void FrmSearch::buildList()
{
    m_model = new SearchResultModel(m_index,
                                    { QStringLiteral("姓名"), QStringLiteral("职务"),
                                      QStringLiteral("公司名称"), QStringLiteral("联系方式一"),
                                      QStringLiteral("电子邮件"), QStringLiteral("公司地址"),
                                      QStringLiteral("关系类别") },
                                    this);
    m_list = new SearchResultList(m_model, this);
    m_list->setObjectName(QStringLiteral("ListView1"));
    const QString tip = QStringLiteral("您可以点击标题进行排序，例如“姓名”");
    m_list->setToolTip(tip);
    m_list->setAccessibleName(tip);
    const int designWidths[] = { 800, 1200, 1440, 1440, 1840, 2440, 1340 };
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_list->setColumnWidth(column, Twips::toPixels(designWidths[column]));
    connect(m_list, &QTreeView::doubleClicked, this, &FrmSearch::openRow);
}

void FrmSearch::OpenSearch(const QString &strKey)
{
    m_lastKeyText = strKey;
    auto found = m_index.search(strKey);
    if (!found) {
        // The rows listed before may name contacts the index no longer holds.
        m_model->setResult({});
        Prompts::current().message(this, MessageIcon::Exclamation, errorCaption, found.message());
        bringToFront();
        return;
    }
    m_model->setResult(found.takeValue());
    if (ContactSearch::listsAll(strKey))
        Open_SearList();
    else
        showRows();
    bringToFront();
}

void FrmSearch::refreshRows()
{
    auto found = m_index.search(m_lastKeyText);
    if (!found)
        return;
    m_model->setResult(found.takeValue());
    showRows();
}

void FrmSearch::Open_SearList()
{
    // The search already left the template and the placeholder out of the listing.
    showRows();
}

void FrmSearch::showRows()
{
    m_list->fitColumns(maxColumnWidth);
    setWindowTitle(QStringLiteral("搜索结果（共找到：%1条记录）").arg(m_model->rowCount()));
}

void FrmSearch::bringToFront()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        frame->show();
        if (QMdiArea *area = frame->mdiArea())
            area->setActiveSubWindow(frame);
        frame->raise();
    } else {
        show();
        activateWindow();
    }
}

QWidget *FrmSearch::outerWindow()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return frame;
    return this;
}

void FrmSearch::closeWindow()
{
    outerWindow()->close();
}

void FrmSearch::openSelected()
{
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (!selected.isEmpty())
        openRow(selected.constFirst());
}

void FrmSearch::openRow(const QModelIndex &row)
{
    if (!row.isValid())
        return;
    const QModelIndex name = row.siblingAtColumn(0);
    emit openDetailsRequested(name.data().toString(),
                              QString::number(name.data(SearchResultModel::idRole).toLongLong()));
}

void FrmSearch::exportList()
{
    // A data file without any contact gives nothing to export, not even the headings.
    if (m_model->result().contactsRead == 0)
        return;
    const ContactExport::Rows rows { m_model->rowCount(), [this](qsizetype row) {
                                        return m_index.row(m_model->contactAt(int(row)));
                                    } };
    if (Status written = ContactExport::write(rows, Clock::current().now()); !written) {
        Prompts::current().message(this, MessageIcon::Exclamation, errorCaption, written.message());
        return;
    }
    Desktop::current().openUrl(QUrl::fromLocalFile(ContactExport::filePath()));
}

QSize FrmSearch::sizeHint() const
{
    return { Twips::toPixels(9165), Twips::toPixels(6720) };
}

void FrmSearch::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_widthSet)
        return;
    m_widthSet = true;
    // The width includes the window's frame, as every size the resize rule reads does.
    QWidget *window = outerWindow();
    const int frame = window->frameGeometry().width() - window->width();
    window->resize(Twips::toPixels(9180) - frame, window->height());
}

void FrmSearch::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyResizeRule();
}

void FrmSearch::applyResizeRule()
{
    m_toolbar->setGeometry(0, 0, width(), m_toolbar->sizeHint().height());
    const QSize outer = outerWindow()->frameGeometry().size();
    QRect list = m_list->geometry();
    list.moveTopLeft(QPoint(0, m_toolbar->height()));
    if (outer.width() > Twips::toPixels(100))
        list.setWidth(outer.width() - Twips::toPixels(100));
    if (outer.height() > Twips::toPixels(1000))
        list.setHeight(outer.height() - Twips::toPixels(1000));
    m_list->setGeometry(list);
}
