#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

// A card image scaled to fit, with the box of one printed line marked on it.
class CardPictureView : public QWidget
{
public:
    explicit CardPictureView(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    // A box on the image, in its pixels; an empty one marks nothing.
    void setHighlight(const QRect &box);
    QRect highlight() const { return m_highlight; }

    QSize sizeHint() const override { return { 420, 260 }; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect imageArea() const;

    QImage m_image;
    QRect m_highlight;
};
