#include "FrmUpdate.h"

#include "app/UpdateCheck.h"
#include "shared/Twips.h"
#include "shared/widgets/ClickableLabel.h"
#include "shared/widgets/Desktop.h"

#include <QGridLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString waitingText = QStringLiteral("正在获取更新信息...请稍候...");
const QString expandGlyph = QStringLiteral("▼");
const QString collapseGlyph = QStringLiteral("▲");
constexpr int widthTwips = 6000;
constexpr int collapsedTwips = 1830;
constexpr int expandedTwips = 3750;

} // namespace

FrmUpdate::FrmUpdate(QWidget *parent)
    : QWidget(parent)
    , m_check(new UpdateCheck(this))
{
    setObjectName(QStringLiteral("FrmUpdate"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("查看是否有更新版本的[Zorvane]"));
    setFont(QFont(QStringLiteral("Tahoma"), 9));
    buildControls();
    resize(Twips::toPixels(widthTwips), Twips::toPixels(collapsedTwips));
    connect(m_check, &UpdateCheck::resultReady, m_text, &QPlainTextEdit::setPlainText);
    m_check->start();
}

void FrmUpdate::buildControls()
{
    auto *waiting = new QLabel(waitingText, this);
    waiting->setObjectName(QStringLiteral("Label1"));
    waiting->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_text = new QPlainTextEdit(waitingText + QStringLiteral("\n"), this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setReadOnly(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setMinimumHeight(fontMetrics().lineSpacing() * 2);
    m_text->setAccessibleName(QStringLiteral("更新信息"));

    m_download = new ClickableLabel(QStringLiteral("下载最新版"), this);
    connect(m_download, &ClickableLabel::clicked, this, &FrmUpdate::openDownload);
    m_download->setObjectName(QStringLiteral("Label2"));
    QPalette grey = m_download->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    m_download->setPalette(grey);

    m_details = new ClickableLabel(expandGlyph, this);
    connect(m_details, &ClickableLabel::clicked, this, &FrmUpdate::toggleDetails);
    m_details->setObjectName(QStringLiteral("Label3"));
    m_details->setToolTip(QStringLiteral("查看详细的更新信息"));
    m_details->setAccessibleName(m_details->toolTip());

    m_ok = new QPushButton(QStringLiteral("关闭"), this);
    m_ok->setObjectName(QStringLiteral("cmdOk"));
    connect(m_ok, &QPushButton::clicked, this, &FrmUpdate::closeWindow);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(4);
    grid->addWidget(waiting, 0, 0, 1, 4);
    grid->addWidget(m_text, 0, 0, 1, 4);
    grid->addWidget(m_download, 1, 0);
    grid->addWidget(m_details, 1, 1);
    grid->setColumnStretch(2, 1);
    grid->addWidget(m_ok, 1, 3);
    grid->setRowStretch(0, 1);
    m_text->raise();
}

void FrmUpdate::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_sized) {
        m_sized = true;
        frameWindow()->resize(Twips::toPixels(widthTwips), Twips::toPixels(collapsedTwips));
    }
}

// The window the user sees around this form: its frame in the main window, or the form itself.
QWidget *FrmUpdate::frameWindow()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return frame;
    return this;
}

void FrmUpdate::openDownload()
{
    Desktop::current().openUrl(m_check->downloadTarget());
}

void FrmUpdate::toggleDetails()
{
    QWidget *window = frameWindow();
    const bool expand = window->height() < Twips::toPixels(expandedTwips);
    m_details->setText(expand ? collapseGlyph : expandGlyph);
    window->resize(window->width(), Twips::toPixels(expand ? expandedTwips : collapsedTwips));
}

void FrmUpdate::closeWindow()
{
    frameWindow()->close();
}
