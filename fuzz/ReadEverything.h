#pragma once

#include "app/AccountStore.h"
#include "categories/CategoryModel.h"
#include "contacts/ContactGrouping.h"
#include "contacts/ContactRows.h"
#include "contacts/ContactSearchIndex.h"
#include "contacts/ContactStore.h"
#include "data/Database.h"
#include "reminders/ReminderStore.h"

// Everything the program reads from a data file when it works with it, plus a few writes: a file
// that passed the checks must survive all of it whatever it holds. Failures are fine; crashes are
// not.
inline void readEverything(Database &database)
{
    AccountStore accounts(database);
    const auto names = accounts.namesInLoginOrder();
    if (names && !names.value().isEmpty()) {
        accounts.choose(names.value().first());
        accounts.checkPassword(names.value().first(), QString());
    }
    if (const auto groups = ContactGrouping::groups(database)) {
        for (const ContactGrouping::Group &group : groups.value())
            ContactGrouping::contacts(database, group);
    }
    CategoryModel categories(database);
    for (int kind = 1; kind <= 3; ++kind)
        categories.list(kind);
    ReminderStore reminders(database);
    reminders.list();
    reminders.add(QStringLiteral("检查"));
    {
        ContactSearchIndex index(database);
        index.search(QStringLiteral("王 a"));
        if (const auto all = index.search(QStringLiteral("*"))) {
            for (const quint32 contact : all.value().contacts)
                index.row(contact);
        }
    }
    ContactStore store(database);
    if (auto fresh = store.fresh()) {
        fresh.value().firstName = QStringLiteral("新");
        store.add(fresh.value());
    }
    ContactRows::templateRow(database);
}
