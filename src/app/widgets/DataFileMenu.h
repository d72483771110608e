#pragma once

class frmMain;

// The whole-file commands of the main window's "系统" menu. Each switch of data file ends in a
// fresh login on the new file, or, when the main window cannot close, in no switch at all; a
// failure is reported and changes nothing.
namespace DataFileMenu {

void createNew(frmMain &main);
void backUp(frmMain &main);
void chooseFile(frmMain &main);
void useDefault(frmMain &main);

} // namespace DataFileMenu
