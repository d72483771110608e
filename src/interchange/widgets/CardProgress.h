#pragma once

#include <QPointer>
#include <QProgressDialog>

// A progress bar with a cancel button that shows only when the work takes a while.
class CardProgress
{
public:
    CardProgress(QWidget *parent, const QString &text);
    ~CardProgress();
    CardProgress(const CardProgress &) = delete;
    CardProgress &operator=(const CardProgress &) = delete;

    // False once the user cancelled; lets the window's events run.
    bool update(qint64 done, qint64 total);
    bool cancelled() const { return !m_dialog || m_dialog->wasCanceled(); }

private:
    QPointer<QProgressDialog> m_dialog;
};
