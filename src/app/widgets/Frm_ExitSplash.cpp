#include "Frm_ExitSplash.h"

#include "shared/AppSettings.h"
#include "shared/Twips.h"
#include "shared/widgets/DragForm.h"
#include "shared/widgets/PlainText.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <cmath>

namespace {

// Client area and label rows, in twips.
constexpr int windowWidth = 3840;
constexpr int windowHeight = 810;
constexpr int label1Top = 120;
constexpr int label2Top = 480;
// A stored right edge stays this far inside the screen.
constexpr int rightMargin = 5;

// A stored position in twips; fallback when it is missing or not a number.
int storedOr(const QVariant &stored, int fallback)
{
    bool ok = false;
    const double value = stored.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > 1e9)
        return fallback;
    return int(value);
}

QRect screenArea()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

} // namespace

Frm_ExitSplash::Frm_ExitSplash(QWidget *owner)
    : QFrame(owner, Qt::Tool | Qt::FramelessWindowHint)
    , m_label1(makeLabel(QStringLiteral("Label1")))
    , m_label2(makeLabel(QStringLiteral("Label2")))
{
    setObjectName(QStringLiteral("Frm_ExitSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::Box);
    setFixedSize(Twips::toPixels(windowWidth), Twips::toPixels(windowHeight));
    setCursor(Qt::SizeAllCursor);
    m_label1->setFont(QFont(QStringLiteral("Arial"), 12));
    // Shows the whole message when it is wider than the window.
    m_label1->setMouseTracking(true);
    m_label1->installEventFilter(this);
    DragForm::install(this);
    centre(m_label1, label1Top);
    centre(m_label2, label2Top);
    placeOnScreen();
}

QLabel *Frm_ExitSplash::makeLabel(const QString &name)
{
    auto *label = new QLabel(this);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    // The notices carry names from the data files being merged.
    label->setTextFormat(Qt::PlainText);
    label->setCursor(Qt::SizeAllCursor);
    return label;
}

void Frm_ExitSplash::centre(QLabel *label, int top)
{
    label->adjustSize();
    label->move((width() - label->width()) / 2, Twips::toPixels(top));
}

void Frm_ExitSplash::setLabel1(const QString &text)
{
    m_label1->setText(text);
    centre(m_label1, label1Top);
}

void Frm_ExitSplash::setLabel2(const QString &text)
{
    m_label2->setText(text);
    centre(m_label2, label2Top);
}

void Frm_ExitSplash::placeOnScreen()
{
    const QRect area = screenArea();
    const int screenWidth = Twips::fromPixels(area.width());
    const int screenHeight = Twips::fromPixels(area.height());
    int left = storedOr(AppSettings::formSplashLeft(), (screenWidth - windowWidth) / 2);
    int top = storedOr(AppSettings::formSplashTop(), (screenHeight - windowHeight) / 2);
    left = qMax(0, qMin(left, screenWidth - windowWidth - rightMargin));
    top = qMax(0, qMin(top, screenHeight - windowHeight));
    m_placedTwips = QPoint(left, top);
    m_placedPixels = area.topLeft() + QPoint(Twips::toPixels(left), Twips::toPixels(top));
    move(m_placedPixels);
}

void Frm_ExitSplash::closeEvent(QCloseEvent *event)
{
    const QPoint place = pos() == m_placedPixels
        ? m_placedTwips
        : QPoint(Twips::fromPixels(x() - screenArea().x()),
                 Twips::fromPixels(y() - screenArea().y()));
    AppSettings::setFormSplashPosition(place.x(), place.y());
    QFrame::closeEvent(event);
}

void Frm_ExitSplash::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    close();
}

bool Frm_ExitSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_label1
        && (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter))
        m_label1->setToolTip(PlainText::toolTip(m_label1->text()));
    return QFrame::eventFilter(watched, event);
}
