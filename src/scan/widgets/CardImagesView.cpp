#include "CardImagesView.h"

#include "scan/CardImageStore.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace {

const QSize thumbnailSize(240, 150);

QLabel *thumbnail(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setAccessibleName(caption);
    label->setToolTip(caption);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumSize(thumbnailSize);
    return label;
}

} // namespace

CardImagesView::CardImagesView(Database &database, qint64 contactId, QWidget *parent)
    : QWidget(parent)
    , m_database(database)
    , m_contactId(contactId)
    , m_front(thumbnail(this, QStringLiteral("imgCardFront"), QStringLiteral("名片正面")))
    , m_back(thumbnail(this, QStringLiteral("imgCardBack"), QStringLiteral("名片背面")))
    , m_none(new QLabel(QStringLiteral("没有名片图片"), this))
{
    setObjectName(QStringLiteral("CardImagesView"));
    m_none->setObjectName(QStringLiteral("lblNoCardImage"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_front);
    layout->addWidget(m_back);
    layout->addWidget(m_none);
    layout->addStretch();
    reload();
}

void CardImagesView::setContact(qint64 contactId)
{
    m_contactId = contactId;
    reload();
}

void CardImagesView::reload()
{
    m_front->clear();
    m_back->clear();
    m_front->hide();
    m_back->hide();
    const auto images = CardImageStore(m_database).images(m_contactId);
    const QList<CardImageStore::Image> found
        = images ? images.value() : QList<CardImageStore::Image>();
    for (const CardImageStore::Image &image : found) {
        QLabel *label = image.side == CardImageStore::Side::Front ? m_front : m_back;
        const QImage picture = QImage::fromData(image.bytes);
        if (picture.isNull())
            continue;
        label->setPixmap(QPixmap::fromImage(
            picture.scaled(thumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        label->show();
    }
    m_none->setText(images ? QStringLiteral("没有名片图片") : images.message());
    m_none->setVisible(m_front->isHidden() && m_back->isHidden());
}
