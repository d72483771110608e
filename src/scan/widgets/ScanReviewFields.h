#pragma once

#include "contacts/ContactRecord.h"
#include "scan/ScanResult.h"

#include <QHash>
#include <QWidget>
#include <array>
#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// The fields read from one card, laid out like the contact editor's, for the user to check and
// correct. A field the reader was unsure of is marked "待确认" until the user edits it; the box
// its text was read from is handed on when the field gets the focus.
class ScanReviewFields : public QWidget
{
public:
    // Below this confidence a field asks to be checked.
    static constexpr double sureEnough = 0.8;

    explicit ScanReviewFields(QWidget *parent = nullptr);

    // Shows the row made from the scan; the scan gives each field its confidence and box.
    void load(const ScanResult &scan, const ContactRecord &row);
    void clear();
    // The row as the user left it (without a group).
    ContactRecord reviewed() const;
    void setEditable(bool editable);

    std::function<void(const QRect &)> onFieldFocused;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *addLine(const QString &name, int maxLength);
    void mark(QLineEdit *box, const ScannedText &read);
    void unmark(QLineEdit *box);

    QLineEdit *m_family = nullptr;
    QLineEdit *m_given = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_company = nullptr;
    std::array<QComboBox *, 4> m_labels {};
    std::array<QLineEdit *, 4> m_numbers {};
    QLineEdit *m_email = nullptr;
    QLineEdit *m_website = nullptr;
    QLineEdit *m_address1 = nullptr;
    QLineEdit *m_address2 = nullptr;
    QLineEdit *m_postcode = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    QList<QLineEdit *> m_lines;
    QHash<QObject *, QRect> m_boxes;
};
