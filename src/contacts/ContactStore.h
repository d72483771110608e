#pragma once

#include "ContactRecord.h"
#include "shared/Status.h"

class Database;

// Reads and writes one Contacts row for the detail editor. Values travel only as bound values.
class ContactStore
{
public:
    enum class SaveOutcome {
        Saved,
        // A blank family or given name; nothing was written.
        NameMissing,
        // The row is no longer in the file (deleted while it was being edited).
        RowMissing,
        // The file refused the change; nothing was written.
        Failed,
    };

    struct SaveResult
    {
        SaveOutcome outcome = SaveOutcome::Failed;
        // What to tell the user, unless saved.
        QString message;

        bool ok() const { return outcome == SaveOutcome::Saved; }
    };

    explicit ContactStore(Database &database);

    // The row with that ID; a failure when there is none or it cannot be read.
    Result<ContactRecord> load(qint64 id);
    // Writes every field of the row in one statement, so the row is stored whole or not at all.
    // The names are stored without outer blanks and the group as the group box's rule leaves it
    // (never blank).
    SaveResult save(const ContactRecord &record);

private:
    Database &m_database;
};
