#pragma once

#include <QWidget>

class QLabel;
class QTimer;

// The start-up picture. After half a second, or at once on a click, Enter or Esc, it opens the
// login dialog and closes itself; the login appears once however these race.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void proceed();

    QTimer *m_timer;
    QLabel *m_warning;
    bool m_done = false;
};
