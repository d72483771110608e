#include "AppLifetime.h"

#include <QCoreApplication>

namespace {

std::function<void(int)> &endHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

} // namespace

namespace AppLifetime {

void endProgram(int code)
{
    if (endHandler())
        endHandler()(code);
    else
        QCoreApplication::exit(code);
}

void setEndHandler(std::function<void(int)> handler)
{
    endHandler() = std::move(handler);
}

} // namespace AppLifetime
