#include "DragForm.h"

#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QWidget>

DragForm::DragForm(QWidget *form)
    : QObject(form)
    , m_form(form)
{ }

void DragForm::install(QWidget *form)
{
    form->installEventFilter(new DragForm(form));
}

QWidget *DragForm::movedWindow() const
{
    for (QWidget *widget = m_form; widget; widget = widget->parentWidget()) {
        if (qobject_cast<QMdiSubWindow *>(widget) || widget->isWindow())
            return widget;
    }
    return m_form;
}

bool DragForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_form)
        return false;
    // Only a mouse event may be read as one.
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseMove
        && event->type() != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        QWidget *window = movedWindow();
        if (window->isMaximized())
            return false;
        m_dragged = window;
        m_grabOffset = mouse->globalPosition().toPoint() - window->pos();
        return true;
    }
    case QEvent::MouseMove:
        if (m_dragged && (mouse->buttons() & Qt::LeftButton)) {
            m_dragged->move(mouse->globalPosition().toPoint() - m_grabOffset);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        m_dragged.clear();
        return false;
    default:
        return false;
    }
}
