#pragma once

class QWidget;

// The delete right: an administrator may delete silently; a normal user is told why not.
bool CheckAccess(QWidget *parent);
