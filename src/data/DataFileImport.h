#pragma once

#include "shared/Status.h"

#include <QString>
#include <functional>

class Database;

// What an import did.
struct ImportSummary
{
    int categoriesCopied = 0;
    int contactsCopied = 0;
    // Source rows that are no contact: the template and the new-contact placeholder.
    int reservedSkipped = 0;
    // Source contacts whose name the target held, skipped as the user chose.
    int duplicatesSkipped = 0;
    // Rows the target refused (a text longer than its field allows, for example).
    int rowsFailed = 0;
    QString firstFailure;
    // The user cancelled at a duplicate question; the rows copied before it stay.
    bool cancelled = false;
    // Set when the import had to stop early; the rows counted above are in the target.
    QString stoppedBy;
};

// Merges another data file's categories and contacts into the open data file. Categories come
// first (each unless its name and kind exist), then contacts in ID order, skipping only the
// template and the placeholder rows (both names must match: a family name "姓" alone is a real
// contact). Rows are matched by column name, so the order of columns in either file does not
// matter.
//
// onStage and onDuplicate run with all rows so far committed and no transaction open, so they may
// wait for the user without keeping the file locked. onProgress may run while a batch of rows is
// not committed yet: it may repaint, but must neither write to the file nor wait for the user.
class DataFileImport
{
public:
    enum class Stage { Categories, Contacts };
    enum class DuplicateChoice { Copy, Skip, Stop };

    std::function<void(Stage)> onStage;
    // The share of source contacts handled, handled × 100 / total without the remainder; called
    // when it changes.
    std::function<void(int percent)> onProgress;
    // A source contact whose name the target holds already: copy it as another contact, skip it,
    // or stop the import. Without a handler duplicates are skipped.
    std::function<DuplicateChoice(const QString &firstName, const QString &lastName)> onDuplicate;

    explicit DataFileImport(Database &target);

    // Opens sourcePath as a data file (checked) and imports from it. Fails, with nothing changed,
    // when the file cannot be opened as a data file.
    Result<ImportSummary> importFile(const QString &sourcePath);
    Result<ImportSummary> importFrom(Database &source);

private:
    Database &m_target;
};
