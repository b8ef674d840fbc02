#pragma once
#include <sqlite3.h>
#include <optional>
#include <string>
#include <string_view>

namespace standin {

// What SQL Anywhere keeps of a table besides its columns that SQLite keeps
// otherwise or not at all, rewritten with the file's own catalogue at hand:
//   COMMENT ON TABLE t IS '…' and COMMENT ON COLUMN t.c IS '…' go to the
//   table sa_remark;
//   ALTER TABLE t ADD [CONSTRAINT n] FOREIGN KEY (…) REFERENCES p (…)
//   [ON UPDATE a] [ON DELETE a] checks the rows already there, is kept in
//   sa_foreign_key and enforced by triggers, with SQL Anywhere's messages;
//   CREATE [UNIQUE] INDEX n ON t (…) keeps n for t alone (SQLite's index
//   names are the file's), as n@<tag>;
//   DROP TABLE t takes its comments and foreign keys, both ways, with it;
//   ALTER TABLE o RENAME n carries them to the new name.
struct StructureRewrite {
    std::optional<std::string> replacement;  // the statement's text for SQLite, when it is not translated as usual
    std::string before, after;               // statements run around it
};
StructureRewrite rewriteStructure(sqlite3* db, std::string_view sql);

// The name SQL Anywhere gives an index that SQLite holds under name.
std::string indexNameOf(const std::string& sqliteName);

// The catalogue's tables are no user's.
inline constexpr const char* RemarkTable = "sa_remark";
inline constexpr const char* ForeignKeyTable = "sa_foreign_key";
bool tableExists(sqlite3* db, const char* name);

// Functions the rewritten defaults and checks call: sa_current_timestamp(),
// sa_timestamp() and sa_current_date() give the local time; the
// autoincrement default sa_autoincrement(notNull) leaves the value to its
// trigger.
void registerStructureFunctions(sqlite3* db);

// The default SQL Anywhere's catalogue reports for SQLite's default text.
std::string defaultText(const std::string& sqliteDefault);

// SQL Anywhere's words for a row that a primary key or a unique index
// refuses, from SQLite's "UNIQUE constraint failed: t.a, t.b".
std::string duplicateKeyMessage(sqlite3* db, const std::string& sqliteMessage, bool primaryKey);

// A string as an SQL literal.
std::string sqlLiteral(std::string_view text);

}
