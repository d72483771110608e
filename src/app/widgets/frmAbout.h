#pragma once

#include <QDialog>

class QLabel;

// The about box: version, distribution terms and a link to the maker's web site.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *makeBanner();
    QLabel *makeLink();
    void openMakerSite();

    QLabel *m_link = nullptr;
};
