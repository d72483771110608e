#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

// Lets the user move a window by pressing anywhere on its own background (not on a control),
// as if by its title bar. Works for top-level windows and for child windows of the main frame.
class DragForm : public QObject
{
    Q_OBJECT

public:
    static void install(QWidget *form);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit DragForm(QWidget *form);
    QWidget *movedWindow() const;

    QWidget *m_form;
    QPointer<QWidget> m_dragged;
    QPoint m_grabOffset;
};
