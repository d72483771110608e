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

    // False once the user cancelled.
    bool update(int done, int total);

private:
    QPointer<QProgressDialog> m_dialog;
};
