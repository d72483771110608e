#include "frmAbout.h"

#include "app/UpdateSite.h"
#include "shared/AppVersion.h"
#include "shared/widgets/ClickableLabel.h"
#include "shared/widgets/Desktop.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString versionLine()
{
    return AppVersion::productName() + QStringLiteral(" Version ")
        + QString::number(AppVersion::major) + QLatin1Char('.') + QString::number(AppVersion::minor)
        + QStringLiteral(" build ") + QString::number(AppVersion::revision);
}

QString terms()
{
    return QStringLiteral(
        "感谢您使用[Zorvane]\n"
        "本软件为免费软件，您可以自由使用、复制和分发本软件，但分发时必须保持软件完整，"
        "不得修改、删除本说明，也不得收取任何费用或用于商业销售。\n"
        "本软件按“现状”提供，不附带任何明示或暗示的担保。因使用或无法使用本软件而造成的"
        "任何数据丢失或其他损失，作者不承担任何责任。请定期备份您的数据文件。");
}

QFrame *line(QWidget *parent)
{
    auto *divider = new QFrame(parent);
    divider->setFrameShape(QFrame::HLine);
    divider->setStyleSheet(QStringLiteral("color: #a0a0a0;"));
    return divider;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于"));
    setModal(true);

    auto *version = new QLabel(versionLine(), this);
    version->setObjectName(QStringLiteral("lblVer"));
    auto *notice = new QPlainTextEdit(terms(), this);
    notice->setObjectName(QStringLiteral("Text1"));
    notice->setReadOnly(true);
    notice->setAccessibleName(QStringLiteral("使用条款"));
    notice->setFixedHeight(fontMetrics().lineSpacing() * 7);
    auto *systems = new QLabel(QStringLiteral("Support Win98/ME/2000/XP"), this);
    systems->setObjectName(QStringLiteral("Label1"));
    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("cmdOk"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(makeLink());
    bottom->addStretch();
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeBanner());
    layout->addWidget(line(this));
    layout->addWidget(version);
    layout->addWidget(notice);
    layout->addWidget(systems);
    layout->addWidget(line(this));
    layout->addLayout(bottom);
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
}

QLabel *frmAbout::makeBanner()
{
    // Drawn with the screen's pixel density, so it stays sharp on a high-DPI screen.
    const QRect area(0, 0, 400, 72);
    const qreal density = devicePixelRatioF();
    QPixmap banner(area.size() * density);
    banner.setDevicePixelRatio(density);
    QPainter painter(&banner);
    QLinearGradient sky(area.topLeft(), area.bottomRight());
    sky.setColorAt(0, QColor(28, 64, 128));
    sky.setColorAt(1, QColor(90, 150, 210));
    painter.fillRect(area, sky);
    QFont title = font();
    title.setPointSize(22);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(area.adjusted(16, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     AppVersion::productName());
    QFont subtitle = font();
    subtitle.setPointSize(11);
    painter.setFont(subtitle);
    painter.drawText(area.adjusted(0, 0, -16, 0), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("名片管理"));
    painter.end();

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(banner);
    image->setAccessibleName(AppVersion::productName());
    return image;
}

QLabel *frmAbout::makeLink()
{
    auto *link = new ClickableLabel(
        QStringLiteral("欢迎光临Zorvane主页：") + UpdateSite::makerHost(), this);
    link->setObjectName(QStringLiteral("Label4"));
    link->setStyleSheet(
        QStringLiteral("color: #707070; background-color: #e4e4e4; padding: 2px 4px;"));
    link->setToolTip(UpdateSite::makerSite().toString());
    connect(link, &ClickableLabel::clicked, this,
            [] { Desktop::current().openUrl(UpdateSite::makerSite()); });
    return link;
}
