#pragma once

#include <functional>

// Ends the program. Tests install a handler to see the request instead of leaving the event loop.
namespace AppLifetime {

void endProgram(int code = 0);
void setEndHandler(std::function<void(int)> handler);

} // namespace AppLifetime
