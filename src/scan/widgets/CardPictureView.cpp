#include "CardPictureView.h"

#include <QPainter>

CardPictureView::CardPictureView(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(240, 150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CardPictureView::setImage(const QImage &image)
{
    m_image = image;
    m_highlight = QRect();
    update();
}

void CardPictureView::setHighlight(const QRect &box)
{
    m_highlight = box;
    update();
}

QRect CardPictureView::imageArea() const
{
    if (m_image.isNull())
        return {};
    QSize shown = m_image.size().scaled(size(), Qt::KeepAspectRatio);
    return { QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown };
}

void CardPictureView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRect area = imageArea();
    if (area.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(area, m_image);
    if (m_highlight.isEmpty())
        return;
    const double scale = double(area.width()) / m_image.width();
    const QRectF box(area.left() + m_highlight.left() * scale,
                     area.top() + m_highlight.top() * scale, m_highlight.width() * scale,
                     m_highlight.height() * scale);
    painter.setPen(QPen(QColor(230, 120, 0), 2));
    painter.setBrush(QColor(255, 200, 0, 60));
    painter.drawRect(box.adjusted(-3, -3, 3, 3));
}
