#pragma once

#include <QLabel>

// A caption the user clicks, keeping a label's look. The keyboard reaches it with Tab and
// presses it with Enter or Space; it then shows a focus frame. Screen readers see a button with
// a press action.
class ClickableLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ClickableLabel(const QString &text = QString(), QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
