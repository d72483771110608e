#pragma once

class frmMain;

// The card-file commands of the "名片" menu, given what the main window shows.
namespace CardMenu {

void importCards(frmMain &main);
void exportCards(frmMain &main);

} // namespace CardMenu
