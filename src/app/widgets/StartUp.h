#pragma once

// How the program starts: the data file is opened, then the user meets the first window.
namespace StartUp {

void begin();

} // namespace StartUp
