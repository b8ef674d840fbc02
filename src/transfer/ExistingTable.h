#pragma once
#include <QString>

namespace tw {

// What a transfer does with a selected table that the target already holds,
// decided before the first row is copied.
enum class ExistingTable {
    Ask,      // the overwrite question, for each such table before the copy begins
    Replace,  // replaced without asking
    Append,   // its rows go into the existing table, by column name
    Skip,     // left alone
    Fail,     // left alone, and the table counts as failed: there is nobody to ask
};

// The words the settings store keeps: "Ask", "Replace", "Append", "Skip";
// Fail is the command line's alone.
QString existingTableKey(ExistingTable mode);
ExistingTable existingTableFromKey(const QString& key);  // Ask for anything else

}
