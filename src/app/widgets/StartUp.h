#pragma once

// How the program starts and how a re-login comes back to the login dialog.
namespace StartUp {

// Gives every window the application icon and names the desktop entry the program belongs to.
void setDesktopIdentity();
// Shows the splash, which then opens the login.
void begin();
// Opens the data file the settings name and shows the login dialog; ends the program when no
// data file can be opened. Answers whether the dialog is shown.
bool showLogin();
// Qt does not delete top-level windows without an owner; windows owned by others go with them.
void deleteOwnerlessWindows();

} // namespace StartUp
