#include "QrCodeDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int quietZone = 4;
// Large enough for a phone held at arm's length, small enough for a laptop screen.
constexpr int drawnSide = 360;

} // namespace

QrCodeDialog::QrCodeDialog(const ContactQrCode &shown, const QString &displayName, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("QrCodeDialog"));
    setWindowTitle(QStringLiteral("二维码 - ") + displayName);
    m_image = draw(shown.code, qMax(2, drawnSide / (shown.code.size + 2 * quietZone)));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgQrCode"));
    picture->setAccessibleName(QStringLiteral("联系人的二维码"));
    picture->setPixmap(QPixmap::fromImage(m_image));
    picture->setAlignment(Qt::AlignCenter);
    auto *hint
        = new QLabel(QStringLiteral("用手机相机扫描这个二维码，即可把联系人加入通讯录。"), this);
    hint->setObjectName(QStringLiteral("lblQrHint"));
    hint->setTextFormat(Qt::PlainText);
    auto *dropped = new QLabel(this);
    dropped->setObjectName(QStringLiteral("lblDropped"));
    dropped->setTextFormat(Qt::PlainText);
    dropped->setWordWrap(true);
    dropped->setText(QStringLiteral("二维码放不下全部内容，已省去：%1。")
                         .arg(shown.dropped.join(QStringLiteral("、"))));
    dropped->setVisible(!shown.dropped.isEmpty());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *close = buttons->button(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(hint);
    layout->addWidget(dropped);
    layout->addWidget(buttons);
}

QImage QrCodeDialog::draw(const QrCode &code, int moduleSide)
{
    const int side = (code.size + 2 * quietZone) * moduleSide;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x) {
            if (!code.isDark(x, y))
                continue;
            for (int row = 0; row < moduleSide; ++row) {
                uchar *line = image.scanLine((y + quietZone) * moduleSide + row);
                std::fill_n(line + (x + quietZone) * moduleSide, moduleSide, uchar(0));
            }
        }
    }
    return image;
}
