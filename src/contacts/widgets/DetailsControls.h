#pragma once

#include <QList>
#include <array>

class ClickableLabel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QWidget;

// The controls of the contact detail editor, laid out on its two tabs. The editor wires them up.
struct DetailsControls
{
    QTabWidget *tabs = nullptr;
    QLineEdit *firstName = nullptr;
    QLineEdit *lastName = nullptr;
    QLineEdit *address1 = nullptr;
    QLineEdit *address2 = nullptr;
    // Carried with the row, never shown.
    QLineEdit *address3 = nullptr;
    QLineEdit *companyName = nullptr;
    QLineEdit *postcode = nullptr;
    // Title (0) and group (1): the box the user sees and the hidden box that holds the value.
    std::array<QComboBox *, 2> categories {};
    std::array<QLineEdit *, 2> storedCategories {};
    // The four contact numbers, their label boxes and the hidden boxes holding the labels.
    std::array<QComboBox *, 4> labels {};
    std::array<QLineEdit *, 4> storedLabels {};
    std::array<QLineEdit *, 4> numbers {};
    QLineEdit *email = nullptr;
    QLineEdit *website = nullptr;
    QPlainTextEdit *notes = nullptr;
    // Captions that open the category manager: titles, contact methods, groups.
    ClickableLabel *titleCaption = nullptr;
    ClickableLabel *labelCaption = nullptr;
    ClickableLabel *groupCaption = nullptr;
    ClickableLabel *mailLink = nullptr;
    ClickableLabel *webLink = nullptr;
    ClickableLabel *closeCaption = nullptr;

    // Makes the controls on form, in the tab order the user moves through them.
    static DetailsControls build(QWidget *form);
    // Every control that takes keys, for the form's own look at them first.
    QList<QWidget *> inputs() const;
};
