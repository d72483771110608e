#include "DataFileHealth.h"

#include "data/DataFileCheck.h"
#include "data/WriteGate.h"
#include "frmMain.h"
#include "shared/AppSettings.h"
#include "shared/AppVersion.h"
#include "shared/Clock.h"
#include "shared/widgets/Prompts.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace {

// The full check reads every page and every index entry: it waits until the user has settled in.
constexpr int fullCheckDelayMs = 60 * 1000;
constexpr int fullCheckEveryDays = 7;

void showBusyWhileWaiting()
{
    WriteGate::setWaitIndicator([](bool waiting) {
        if (waiting)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}

void tellDamage(frmMain *main, const QString &damage)
{
    Prompts::current().message(main, MessageIcon::Exclamation, AppVersion::productName(),
                               DataFileCheck::readOnlyNotice(main->DB().path(), damage));
}

bool fullCheckDue(const QString &path)
{
    const QDate last = AppSettings::lastFullCheck(path);
    const QDate today = Clock::current().now().date();
    return !last.isValid() || last.daysTo(today) >= fullCheckEveryDays || last > today;
}

void runFullCheck(QPointer<frmMain> main)
{
    if (!main || !fullCheckDue(main->DB().path()))
        return;
    main->DB().gate().startFullCheck([main](const Status &outcome) {
        if (!main)
            return;
        if (outcome)
            AppSettings::setLastFullCheck(main->DB().path(), Clock::current().now().date());
        else
            tellDamage(main, outcome.message());
    });
}

} // namespace

namespace DataFileHealth {

void follow(frmMain &main)
{
    showBusyWhileWaiting();
    QPointer<frmMain> guarded(&main);
    WriteGate &gate = main.DB().gate();
    gate.onChecked([guarded](const Status &outcome) {
        if (guarded && !outcome)
            tellDamage(guarded, outcome.message());
    });
    gate.whenSound([guarded] {
        if (guarded)
            QTimer::singleShot(fullCheckDelayMs, guarded, [guarded] { runFullCheck(guarded); });
    });
    gate.start();
}

} // namespace DataFileHealth
