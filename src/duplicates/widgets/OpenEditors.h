#pragma once

#include <QList>
#include <QString>

class QWidget;

// The detail editors open in the same main window as a given window.
namespace OpenEditors {

// Closes every open editor on one of the contacts, which stores what it holds. The caption of
// the first editor that refused to close (it has told the user why), or an empty text.
QString storeAndClose(QWidget *window, const QList<qint64> &contactIds);

} // namespace OpenEditors
