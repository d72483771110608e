#pragma once

#include <QList>
#include <QString>

class Database;
class QMdiSubWindow;
class QWidget;

// The main frame as its child windows see it: where they are shown and found, and the data file
// they work on. A window finds it from any of its widgets through of().
class ChildWindowHost
{
public:
    virtual ~ChildWindowHost() = default;

    // The shared connection to the open data file.
    virtual Database &DB() = 0;
    // The frame itself, as the parent of the boxes a command shows.
    virtual QWidget *hostWidget() = 0;
    // Puts a window into the frame (once) and shows it; the frame deletes it when it closes.
    virtual QMdiSubWindow *showChild(QWidget *child) = 0;
    virtual void activateChild(QMdiSubWindow *window) = 0;
    // Child windows that are open (a closed one may linger until it is deleted).
    virtual QList<QMdiSubWindow *> openChildren() const = 0;
    virtual QMdiSubWindow *childWindow(const QString &objectName) const = 0;
    // Closes every child window and loads the contact list afresh, so renamed groups show.
    virtual void RefreshContacts() = 0;

    // The host of the window the widget is in; nullptr for a window outside the frame.
    static ChildWindowHost *of(const QWidget *widget);
};
