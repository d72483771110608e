#pragma once

#include <QDialog>

class QLineEdit;

// The small modal dialog that asks for the text of a new or edited to-do item.
class frmAgent : public QDialog
{
    Q_OBJECT

public:
    explicit frmAgent(QWidget *parent = nullptr);

    void setText(const QString &text);
    // The saved text without surrounding blanks; empty when the dialog was cancelled.
    QString NowStr() const { return m_nowStr; }

private:
    void save();

    QLineEdit *m_text;
    QString m_nowStr;
};
