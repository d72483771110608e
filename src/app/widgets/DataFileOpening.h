#pragma once

#include "data/Database.h"

#include <memory>

class QWidget;

namespace DataFileOpening {

// Opens the data file the settings name, telling the user about a fallback to the default file.
// nullptr when not even the default file can be opened; the user has been told why.
std::unique_ptr<Database> openForLogin(QWidget *parent);

} // namespace DataFileOpening
