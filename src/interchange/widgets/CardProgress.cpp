#include "CardProgress.h"

#include <QCoreApplication>

namespace {

// Steps of the bar: a file's bytes and a list's contacts both fit.
constexpr int steps = 1000;

} // namespace

CardProgress::CardProgress(QWidget *parent, const QString &text)
    : m_dialog(new QProgressDialog(text, QStringLiteral("取消"), 0, steps, parent))
{
    m_dialog->setObjectName(QStringLiteral("FrmCardProgress"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(500);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setValue(0);
}

CardProgress::~CardProgress()
{
    delete m_dialog;
}

bool CardProgress::update(qint64 done, qint64 total)
{
    if (!m_dialog)
        return false;
    m_dialog->setValue(int(done * steps / qMax<qint64>(total, 1)));
    QCoreApplication::processEvents();
    return !cancelled();
}
