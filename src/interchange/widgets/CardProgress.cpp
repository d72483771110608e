#include "CardProgress.h"

#include <QCoreApplication>

CardProgress::CardProgress(QWidget *parent, const QString &text)
    : m_dialog(new QProgressDialog(text, QStringLiteral("取消"), 0, 100, parent))
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

bool CardProgress::update(int done, int total)
{
    if (!m_dialog)
        return false;
    m_dialog->setMaximum(qMax(total, 1));
    m_dialog->setValue(done);
    QCoreApplication::processEvents();
    return m_dialog && !m_dialog->wasCanceled();
}
