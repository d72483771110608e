#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

class frmMain;

// The card-file commands of the "名片" menu, given what the main window shows.
namespace CardMenu {

void importCards(frmMain &main);
void exportCards(frmMain &main);
// Opens the scan review window (once) with the images queued; with none given, asks for one.
void scanCards(frmMain &main, const QStringList &images = {});
// The image files among dropped or chosen ones.
QStringList cardImages(const QList<QUrl> &urls);

} // namespace CardMenu
