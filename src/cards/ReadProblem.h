#pragma once

#include <QString>

// A card or line that could not be read, and why.
struct ReadProblem
{
    int line = 0;
    QString reason;
};
