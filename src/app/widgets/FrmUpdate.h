#pragma once

#include <QWidget>

class ClickableLabel;
class QPlainTextEdit;
class QPushButton;
class UpdateCheck;

// Tells the user whether a newer version exists. A child window of the main frame: it starts the
// check as soon as it is made and fills in the result when the answer comes.
class FrmUpdate : public QWidget
{
    Q_OBJECT

public:
    explicit FrmUpdate(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    QWidget *frameWindow();
    void openDownload();
    void toggleDetails();
    void closeWindow();

    UpdateCheck *m_check;
    QPlainTextEdit *m_text = nullptr;
    ClickableLabel *m_download = nullptr;
    ClickableLabel *m_details = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_sized = false;
};
