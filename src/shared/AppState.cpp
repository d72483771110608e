#include "AppState.h"

AppState &AppState::instance()
{
    static AppState state;
    return state;
}

void AppState::reset()
{
    dbPath.clear();
    loginUser.clear();
    userAccess = 0;
}
