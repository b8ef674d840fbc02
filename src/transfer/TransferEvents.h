#pragma once
#include "base/Prompts.h"
#include "base/Yield.h"
#include "transfer/TableProgress.h"
#include "transfer/TransferAccount.h"

namespace tw {

// What a transfer tells, and asks, whoever runs it. The window shows it in
// its lists, bar and boxes; the command line writes it to its streams. All
// calls come on the thread that runs the transfer.
class TransferEvents {
public:
    virtual ~TransferEvents() = default;
    // The questions (an existing table, a failure that repeats) and the
    // failures, each a box with its text: a failed row, a failed statement.
    virtual Prompts& prompts() = 0;
    // Called between steps, often: it lets the caller's loop run, and may
    // end the transfer at once by raising ProgramEnding.
    virtual Yield& yield() = 0;
    // Whether the user asked to stop: the transfer ends as after its last table.
    virtual bool stopRequested() const = 0;

    virtual void busy(bool working) { (void)working; }
    // The share of the current table's rows done, 0 to 100.
    virtual void barAt(int percent) { (void)percent; }
    // Where the transfer stands, at most four times a second while it runs.
    virtual void progress(const TableProgress& progress) { (void)progress; }
    // A table now stands in the target under this name, or no longer does.
    virtual void tableListed(const QString& name) { (void)name; }
    virtual void tableUnlisted(const QString& name) { (void)name; }
    virtual void tableEnded(const TableAccount& table) { (void)table; }
    virtual void transferEnded(const TransferAccount& account) = 0;
};

}
