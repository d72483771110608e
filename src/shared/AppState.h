#pragma once

#include <QString>

// The program-wide state every window reads: the current data file and the logged-in user.
class AppState
{
public:
    static AppState &instance();

    QString dbPath;
    QString loginUser;
    // 1 is a normal user; every other value is an administrator.
    static constexpr int normalUserAccess = 1;
    int userAccess = 0;

    bool isNormalUser() const { return userAccess == normalUserAccess; }
    void reset();

private:
    AppState() = default;
};
