#include "frmSplash.h"

#include "StartUp.h"
#include "shared/Twips.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_timer(new QTimer(this))
    , m_warning(new QLabel(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(6075), Twips::toPixels(3465));
    setFocusPolicy(Qt::StrongFocus);

    m_warning->setObjectName(QStringLiteral("lblWarning"));
    m_warning->setText(QStringLiteral("欢迎使用 Zorvane 名片管理！\n由 Zorvane 开发组设计制作"));
    m_warning->setStyleSheet(QStringLiteral("color: white;"));
    m_warning->setGeometry(Twips::toPixels(300), height() - Twips::toPixels(900),
                           width() - Twips::toPixels(600), Twips::toPixels(700));

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(500);
    connect(m_timer, &QTimer::timeout, this, &frmSplash::proceed);
    m_timer->start();
}

void frmSplash::proceed()
{
    if (m_done)
        return;
    m_done = true;
    m_timer->stop();
    StartUp::showLogin();
    close();
}

void frmSplash::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient sky(rect().topLeft(), rect().bottomRight());
    sky.setColorAt(0, QColor(28, 64, 128));
    sky.setColorAt(1, QColor(90, 150, 210));
    painter.fillRect(rect(), sky);
    QFont title = font();
    title.setPointSize(28);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(0, 0, 0, -height() / 3), Qt::AlignCenter,
                     QStringLiteral("Zorvane"));
}

void frmSplash::mousePressEvent(QMouseEvent *)
{
    proceed();
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        proceed();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
