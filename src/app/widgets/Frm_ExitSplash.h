#pragma once

#include <QFrame>
#include <QPoint>

class QLabel;

// A small movable notice without a title bar: a message and a short second line under it. It
// keeps its place on the screen between uses.
class Frm_ExitSplash : public QFrame
{
    Q_OBJECT

public:
    // The notice stays above owner; it deletes itself when closed.
    explicit Frm_ExitSplash(QWidget *owner = nullptr);

    QLabel *Label1() const { return m_label1; }
    QLabel *Label2() const { return m_label2; }
    void setLabel1(const QString &text);
    void setLabel2(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *makeLabel(const QString &name);
    void centre(QLabel *label, int top);
    void placeOnScreen();

    QLabel *m_label1;
    QLabel *m_label2;
    // Where the window was placed, in twips, and the pixel position that stands for it: an
    // unmoved window stores its position back unrounded.
    QPoint m_placedTwips;
    QPoint m_placedPixels;
};
