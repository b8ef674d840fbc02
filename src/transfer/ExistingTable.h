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
};

// The words the settings store keeps: "Ask", "Replace", "Append", "Skip".
QString existingTableKey(ExistingTable mode);
ExistingTable existingTableFromKey(const QString& key);  // Ask for anything else

}
