#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tw {

// Whether a copied table holds what was read from the source, less the rows
// the target rejected.
// Two checks: the rows read back from the target against the rows as read
// from the source (digests), and each server's own profile of its copy
// (counts, sums, lengths, extremes), which also catches a fault in reading.
struct Verification {
    enum class Result { NotChecked, Verified, Differs, CouldNotCheck } result = Result::NotChecked;
    long long rowsDiffering = 0;
    QStringList profileDifferences;  // "column f: 1 NULL in the source, 4 in the target"
    QString notCompared;             // what of the profiles could not be compared, and why
    QString problem;                 // why it could not be checked
};

// Where a table's copy that ended early can go on. The source is read in
// the order of its key, and every row up to the one of lastKey has its fate
// settled: committed, or refused and counted.
struct ResumePoint {
    QString into;        // the target table the rows go into
    QString replaces;    // the table into takes the place of once its rows are in; empty for none
    bool appended = false;  // into held rows of its own before the copy
    QStringList keyColumns;  // the source's key, in its order
    QStringList lastKey;     // the key's literals in the source's SQL; empty when no row is settled
    long long rowsBefore = 0;    // into's rows before the copy
    long long rowsAccepted = 0;  // rows into accepted up to lastKey, over every run
    long long rowsRefused = 0;   // rows it refused up to lastKey
    long long rowsInDoubt = 0;   // rows sent after lastKey whose fate is not known
};

// What happened to one table of a transfer.
struct TableAccount {
    QString name;
    QString skipped;  // why the table was not copied; empty when it was
    QString replacedBy;  // a table copied later in the same transfer that took its place
    QString replacement;  // how replacing an existing table ended, when the original stayed
    bool appended = false;       // the rows went into the existing table
    QStringList columnsNotSent;  // source columns the existing table lacks
    QString readPath; // how the source was read: "in key order, …" or "as one result"
    long long rowsRead = 0;
    long long rowsAccepted = 0;
    long long rowsFailed = 0;
    QString firstFailure;             // the first failed row's message
    long long firstFailureShared = 0;  // failed rows with that same message
    // Rows whose fate the program cannot know: the connection was lost
    // while they were sent or committed, so they may or may not be there.
    long long rowsInDoubt = 0;
    QString inDoubtBecause;
    QString readFailure;  // why the source could not be read to its end
    std::optional<ResumePoint> resumeFrom;  // ended early where a resumed copy can go on
    QString cannotResume;  // ended early, and why a resumed copy cannot go on
    QString resumed;       // a resumed copy: where it went on, and what became of the rows in doubt
    // With the types and keys kept: what the target table was given besides
    // its columns ("primary key", "2 indexes"), what it could not be given
    // and why, and the column types that are not the source's own.
    QStringList structureKept, structureLeftOut, typesChanged;
    Verification verification;
    double seconds = 0;

    void rowFailed(const QString& message);
    void rowsLostInDoubt(long long rows, const QString& because);
    bool copied() const { return skipped.isEmpty(); }
    // Its line of the account's Details: "orders: 100 rows read, …".
    QString text() const;
};

// The account of one transfer: every table it looked at, in order, and
// whether it ran to its end. Its text is what the window shows and what
// Copy puts on the clipboard.
struct TransferAccount {
    QString direction;  // "MySQL to iAnywhere"
    std::vector<TableAccount> tables;
    bool fastCopy = false;    // rows went in batches inside transactions
    bool stopped = false;     // by the user
    QString endedEarly;       // the reason a lost connection ended it
    QStringList notReached;   // tables it ended before, in their order
    // It ended early, leaving something a resumed copy does: kept in the
    // resume state.
    bool resumable = false;
    double seconds = 0;

    // One line: "3 tables, 47,301 rows copied and verified in 12.4 s".
    QString summary() const;
    // A line per table and the outcome, as plain text.
    QString details() const;
};

}
