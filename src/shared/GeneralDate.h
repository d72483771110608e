#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The system's general date format: short date, a blank, and the time of day as the locale's
// long time writes it, without a time-zone name ("2026/12/7 14:05:09" on a Chinese system).
namespace GeneralDate {

QString text(const QDateTime &when, const QLocale &locale = QLocale::system());

} // namespace GeneralDate
