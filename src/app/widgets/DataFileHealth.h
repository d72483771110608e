#pragma once

class frmMain;

// Keeps watch over the main window's data file: checks a large file once the window shows (a
// write asked for meanwhile waits with a busy cursor), runs the full integrity check at most once
// a week while the program is otherwise idle, and tells the user only when a check finds damage.
namespace DataFileHealth {

void follow(frmMain &main);

} // namespace DataFileHealth
