#pragma once

#include <QDialog>

class QLabel;

// The about box: version, distribution terms and a link to the maker's web site.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

private:
    QLabel *makeBanner();
    QLabel *makeLink();
};
