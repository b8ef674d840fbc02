#include "Structure.h"
#include "Handles.h"
#include "SqliteRows.h"
#include "Tokens.h"
#include "Translate.h"
#include <cctype>
#include <chrono>
#include <ctime>
#include <random>
#include <vector>

namespace standin {

namespace {

std::string quoted(const std::string& name) {
    std::string q = "\"";
    for (char c : name)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string randomTag() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(random()));
    return buffer;
}

// The significant tokens of one statement, read from the front.
class Reader {
public:
    explicit Reader(std::string_view sql) : s(sql) {
        for (const Token& t : tokenize(sql))
            if (significant(t) && t.kind != Token::Semicolon)
                toks.push_back(t);
    }
    bool word(std::string_view w) {
        if (k < toks.size() && isWord(s, toks[k], w)) {
            ++k;
            return true;
        }
        return false;
    }
    bool punctuation(char c) {
        if (k < toks.size() && isPunctuation(s, toks[k], c)) {
            ++k;
            return true;
        }
        return false;
    }
    bool atName() const { return k < toks.size() && isName(toks[k]); }
    std::string name() {
        if (!atName())
            throw Error("42000", "Syntax error near '" + rest() + "'");
        return nameText(s, toks[k++]);
    }
    // owner.table: the table
    std::string tableName() {
        std::string n = name();
        while (k + 1 < toks.size() && isDot(s, toks[k]) && isName(toks[k + 1])) {
            ++k;
            n = name();
        }
        return n;
    }
    std::vector<std::string> nameList() {
        std::vector<std::string> names;
        if (!punctuation('('))
            throw Error("42000", "Syntax error near '" + rest() + "'");
        do {
            names.push_back(name());
            word("ASC") || word("DESC");
        } while (punctuation(','));
        if (!punctuation(')'))
            throw Error("42000", "Syntax error near '" + rest() + "'");
        return names;
    }
    bool atString() const { return k < toks.size() && toks[k].kind == Token::String; }
    std::string_view tokenText() { return s.substr(toks[k].begin, toks[k].end - toks[k].begin); }
    size_t offset() const { return k < toks.size() ? toks[k].begin : s.size(); }
    size_t position() const { return k; }
    void skip() { ++k; }
    bool atEnd() const { return k >= toks.size(); }
    std::string rest() const { return std::string(s.substr(offset())); }

private:
    std::string_view s;
    std::vector<Token> toks;
    size_t k = 0;
};


std::string columnText(sqlite3_stmt* stmt, int i) {
    const unsigned char* text = sqlite3_column_text(stmt, i);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

// The table as the file names it; an error in SQL Anywhere's words when there is none.
std::string existingTable(sqlite3* db, const std::string& name) {
    std::string found;
    eachRow(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name = " + sqlLiteral(name) + " COLLATE NOCASE",
            [&](sqlite3_stmt* s) { found = columnText(s, 0); });
    if (found.empty())
        throw Error("42S02", "Table '" + name + "' not found");
    return found;
}

std::vector<std::string> primaryKeyOf(sqlite3* db, const std::string& table) {
    std::vector<std::string> key;
    eachRow(db, "SELECT name FROM pragma_table_info(" + sqlLiteral(table) + ") WHERE pk > 0 ORDER BY pk",
            [&](sqlite3_stmt* s) { key.push_back(columnText(s, 0)); });
    return key;
}

const char* RemarkTableDefinition =
    "CREATE TABLE IF NOT EXISTS sa_remark(table_name TEXT NOT NULL, column_name TEXT NOT NULL, remarks TEXT, "
    "PRIMARY KEY (table_name, column_name)); ";
const char* ForeignKeyTableDefinition =
    "CREATE TABLE IF NOT EXISTS sa_foreign_key(name TEXT NOT NULL, table_name TEXT NOT NULL, key_seq INTEGER NOT NULL, "
    "column_name TEXT NOT NULL, referenced_table TEXT NOT NULL, referenced_column TEXT NOT NULL, "
    "on_update TEXT NOT NULL, on_delete TEXT NOT NULL, triggers TEXT NOT NULL); ";

// COMMENT ON TABLE t IS '…' | COMMENT ON COLUMN t.c IS '…'
std::optional<std::string> comment(sqlite3* db, Reader& r) {
    if (!r.word("COMMENT") || !r.word("ON"))
        return std::nullopt;
    const bool onColumn = r.word("COLUMN");
    if (!onColumn && !r.word("TABLE"))
        return std::nullopt;
    std::vector<std::string> names{r.name()};
    while (r.punctuation('.'))
        names.push_back(r.name());
    if (onColumn && names.size() < 2)
        throw Error("42000", "Syntax error near 'IS'");
    const std::string column = onColumn ? names.back() : std::string();
    const std::string table = existingTable(db, names[names.size() - (onColumn ? 2 : 1)]);
    if (!r.word("IS"))
        throw Error("42000", "Syntax error near '" + r.rest() + "'");
    std::string sql = std::string(RemarkTableDefinition) + "DELETE FROM sa_remark WHERE table_name = " + sqlLiteral(table) +
                      " COLLATE NOCASE AND column_name = " + sqlLiteral(column) + " COLLATE NOCASE";
    if (r.atString())
        sql += "; INSERT INTO sa_remark VALUES (" + sqlLiteral(table) + ", " + sqlLiteral(column) + ", " +
               sqliteStringLiteral(r.tokenText()) + ")";
    else if (!r.word("NULL"))
        throw Error("42000", "Syntax error near '" + r.rest() + "'");
    return sql;
}

std::string action(Reader& r) {
    if (r.word("CASCADE"))
        return "CASCADE";
    if (r.word("RESTRICT"))
        return "RESTRICT";
    if (r.word("SET")) {
        if (r.word("NULL"))
            return "SET NULL";
        if (r.word("DEFAULT"))
            throw Error("HYC00", "the stand-in does not take ON … SET DEFAULT");
    }
    if (r.word("NO") && r.word("ACTION"))
        return "RESTRICT";
    throw Error("42000", "Syntax error near '" + r.rest() + "'");
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? separator : "") + parts[i];
    return out;
}

struct ForeignKey {
    std::string name, table, parent;
    std::vector<std::string> columns, parentColumns;
    std::string onUpdate = "RESTRICT", onDelete = "RESTRICT";

    // row.a = other.x AND …
    std::string match(const std::string& row, const std::string& other) const {
        std::vector<std::string> terms;
        for (size_t i = 0; i < columns.size(); ++i)
            terms.push_back((row.empty() ? "" : row + ".") + quoted(columns[i]) + " = " + other + "." + quoted(parentColumns[i]));
        return joined(terms, " AND ");
    }
    std::string childHasValue(const std::string& row) const {
        std::vector<std::string> terms;
        for (const std::string& c : columns)
            terms.push_back(row + "." + quoted(c) + " IS NOT NULL");
        return joined(terms, " AND ");
    }
    std::string parentHas(const std::string& row) const {
        std::vector<std::string> terms;
        for (size_t i = 0; i < columns.size(); ++i)
            terms.push_back(quoted(parentColumns[i]) + " = " + row + "." + quoted(columns[i]));
        return "EXISTS (SELECT 1 FROM " + quoted(parent) + " WHERE " + joined(terms, " AND ") + ")";
    }
    std::string parentChanged() const {
        std::vector<std::string> terms;
        for (const std::string& c : parentColumns)
            terms.push_back("OLD." + quoted(c) + " IS NOT NEW." + quoted(c));
        return "(" + joined(terms, " OR ") + ")";
    }
    std::string childSet(const std::string& from) const {
        std::vector<std::string> terms;
        for (size_t i = 0; i < columns.size(); ++i)
            terms.push_back(quoted(columns[i]) + " = " + (from.empty() ? "NULL" : from + "." + quoted(parentColumns[i])));
        return joined(terms, ", ");
    }
    std::string noParent() const {
        return sqlLiteral("No primary key value for foreign key '" + name + "' in table '" + table + "'");
    }
    std::string referenced() const { return sqlLiteral("Primary key for row in table '" + parent + "' is referenced in another table"); }
};

// The triggers that enforce a foreign key, SQL Anywhere's way; their names in names.
std::string enforcement(const ForeignKey& fk, std::vector<std::string>& names) {
    const std::string tag = "sa_fk_" + randomTag() + "_";
    const std::string child = quoted(fk.table), parent = quoted(fk.parent);
    std::string sql;
    auto trigger = [&](const std::string& timing, const std::string& on, const std::string& when, const std::string& body) {
        names.push_back(tag + std::to_string(names.size() + 1));
        sql += "; CREATE TRIGGER " + quoted(names.back()) + " " + timing + " ON " + on + " FOR EACH ROW" +
               (when.empty() ? "" : " WHEN " + when) + " BEGIN " + body + "; END";
    };
    std::vector<std::string> quotedColumns, quotedParents;
    for (const std::string& c : fk.columns)
        quotedColumns.push_back(quoted(c));
    for (const std::string& c : fk.parentColumns)
        quotedParents.push_back(quoted(c));
    const std::string orphan = fk.childHasValue("NEW") + " AND NOT " + fk.parentHas("NEW");
    trigger("BEFORE INSERT", child, orphan, "SELECT RAISE(ABORT, " + fk.noParent() + ")");
    trigger("BEFORE UPDATE OF " + joined(quotedColumns, ", "), child, orphan, "SELECT RAISE(ABORT, " + fk.noParent() + ")");
    const std::string referencing = "EXISTS (SELECT 1 FROM " + child + " WHERE " + fk.match("", "OLD") + ")";
    if (fk.onDelete == "RESTRICT")
        trigger("BEFORE DELETE", parent, referencing, "SELECT RAISE(ABORT, " + fk.referenced() + ")");
    else if (fk.onDelete == "CASCADE")
        trigger("AFTER DELETE", parent, "", "DELETE FROM " + child + " WHERE " + fk.match("", "OLD"));
    else
        trigger("AFTER DELETE", parent, "", "UPDATE " + child + " SET " + fk.childSet("") + " WHERE " + fk.match("", "OLD"));
    const std::string updateOf = "UPDATE OF " + joined(quotedParents, ", ");
    if (fk.onUpdate == "RESTRICT")
        trigger("BEFORE " + updateOf, parent, fk.parentChanged() + " AND " + referencing,
                "SELECT RAISE(ABORT, " + fk.referenced() + ")");
    else
        trigger("AFTER " + updateOf, parent, fk.parentChanged(),
                "UPDATE " + child + " SET " + fk.childSet(fk.onUpdate == "CASCADE" ? "NEW" : "") + " WHERE " + fk.match("", "OLD"));
    return sql;
}

// ALTER TABLE t ADD [CONSTRAINT n] FOREIGN KEY [role] (…) REFERENCES p [(…)] [ON UPDATE|DELETE action]…
std::optional<std::string> addForeignKey(sqlite3* db, Reader& r) {
    if (!r.word("ALTER") || !r.word("TABLE"))
        return std::nullopt;
    ForeignKey fk;
    fk.table = r.tableName();
    if (!r.word("ADD"))
        return std::nullopt;
    if (r.word("CONSTRAINT"))
        fk.name = r.name();
    if (!r.word("FOREIGN") || !r.word("KEY"))
        return std::nullopt;
    if (r.atName())
        fk.name = r.name();  // the role name
    fk.table = existingTable(db, fk.table);
    fk.columns = r.nameList();
    if (!r.word("REFERENCES"))
        throw Error("42000", "Syntax error near '" + r.rest() + "'");
    fk.parent = existingTable(db, r.tableName());
    fk.parentColumns = r.punctuation('(') ? (([&] {
        std::vector<std::string> names{r.name()};
        while (r.punctuation(','))
            names.push_back(r.name());
        if (!r.punctuation(')'))
            throw Error("42000", "Syntax error near '" + r.rest() + "'");
        return names;
    })())
                                          : primaryKeyOf(db, fk.parent);
    while (r.word("ON")) {
        if (r.word("UPDATE"))
            fk.onUpdate = action(r);
        else if (r.word("DELETE"))
            fk.onDelete = action(r);
        else
            throw Error("42000", "Syntax error near '" + r.rest() + "'");
    }
    if (fk.name.empty())
        fk.name = fk.parent;
    if (fk.columns.size() != fk.parentColumns.size())
        throw Error("42000", "Number of columns does not match the primary key of table '" + fk.parent + "'");
    // The rows already there must meet it.
    bool orphan = false;
    eachRow(db, "SELECT 1 FROM " + quoted(fk.table) + " AS c WHERE " + fk.childHasValue("c") + " AND NOT " + fk.parentHas("c") + " LIMIT 1",
            [&](sqlite3_stmt*) { orphan = true; });
    if (orphan)
        throw Error("23000", "No primary key value for foreign key '" + fk.name + "' in table '" + fk.table + "'");
    std::vector<std::string> triggers;
    const std::string enforce = enforcement(fk, triggers);
    std::string sql = ForeignKeyTableDefinition;
    for (size_t i = 0; i < fk.columns.size(); ++i)
        sql += (i ? "; " : "") + std::string("INSERT INTO sa_foreign_key VALUES (") + sqlLiteral(fk.name) + ", " + sqlLiteral(fk.table) +
               ", " + std::to_string(i + 1) + ", " + sqlLiteral(fk.columns[i]) + ", " + sqlLiteral(fk.parent) + ", " +
               sqlLiteral(fk.parentColumns[i]) + ", " + sqlLiteral(fk.onUpdate) + ", " + sqlLiteral(fk.onDelete) + ", " +
               sqlLiteral(joined(triggers, " ")) + ")";
    return sql + enforce;
}

// CREATE [UNIQUE] INDEX n ON t (…): n is t's alone.
std::optional<std::string> createIndex(sqlite3* db, Reader& r, std::string_view sql) {
    if (!r.word("CREATE"))
        return std::nullopt;
    r.word("UNIQUE");
    if (!r.word("INDEX"))
        return std::nullopt;
    const size_t nameAt = r.offset();
    const std::string name = r.name();
    const size_t afterName = r.offset();
    if (!r.word("ON"))
        return std::nullopt;
    const std::string table = existingTable(db, r.tableName());
    eachRow(db, "SELECT name FROM pragma_index_list(" + sqlLiteral(table) + ")", [&](sqlite3_stmt* s) {
        if (indexNameOf(columnText(s, 0)) == name)
            throw Error("42S11", "Item '" + name + "' already exists");
    });
    return std::string(sql.substr(0, nameAt)) + quoted(name + "@" + randomTag()) + " " +
           translateStatement(sql.substr(afterName));
}

// Statements that keep the catalogue's tables in step with DROP TABLE and a rename.
void dropOrRename(sqlite3* db, Reader& r, StructureRewrite& out) {
    const bool drop = r.word("DROP");
    if (!drop && !r.word("ALTER"))
        return;
    if (!r.word("TABLE"))
        return;
    if (drop && r.word("IF"))
        r.word("EXISTS");
    const std::string table = r.tableName();
    const bool hasKeys = tableExists(db, ForeignKeyTable), hasRemarks = tableExists(db, RemarkTable);
    if (drop) {
        if (hasKeys) {
            std::vector<std::string> triggers;
            eachRow(db, "SELECT DISTINCT triggers FROM sa_foreign_key WHERE table_name = " + sqlLiteral(table) +
                            " COLLATE NOCASE OR referenced_table = " + sqlLiteral(table) + " COLLATE NOCASE",
                    [&](sqlite3_stmt* s) { triggers.push_back(columnText(s, 0)); });
            for (const std::string& list : triggers) {
                size_t from = 0;
                while (from < list.size()) {
                    const size_t space = std::min(list.find(' ', from), list.size());
                    out.before += "DROP TRIGGER IF EXISTS " + quoted(list.substr(from, space - from)) + "; ";
                    from = space + 1;
                }
            }
            out.before += "DELETE FROM sa_foreign_key WHERE table_name = " + sqlLiteral(table) + " COLLATE NOCASE OR referenced_table = " +
                          sqlLiteral(table) + " COLLATE NOCASE; ";
        }
        if (hasRemarks)
            out.before += "DELETE FROM sa_remark WHERE table_name = " + sqlLiteral(table) + " COLLATE NOCASE; ";
        return;
    }
    if (!r.word("RENAME"))
        return;
    r.word("TO");
    const std::string to = r.name();
    if (hasKeys)
        out.after += "; UPDATE sa_foreign_key SET table_name = " + sqlLiteral(to) + " WHERE table_name = " + sqlLiteral(table) +
                     " COLLATE NOCASE; UPDATE sa_foreign_key SET referenced_table = " + sqlLiteral(to) +
                     " WHERE referenced_table = " + sqlLiteral(table) + " COLLATE NOCASE";
    if (hasRemarks)
        out.after += "; UPDATE sa_remark SET table_name = " + sqlLiteral(to) + " WHERE table_name = " + sqlLiteral(table) + " COLLATE NOCASE";
}

void localTime(sqlite3_context* context, const char* format, bool fraction) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[48];
    size_t n = std::strftime(text, sizeof text, format, &local);
    if (fraction) {
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000;
        n += size_t(std::snprintf(text + n, sizeof text - n, ".%06lld", static_cast<long long>(micros)));
    }
    sqlite3_result_text(context, text, int(n), SQLITE_TRANSIENT);
}

}

StructureRewrite rewriteStructure(sqlite3* db, std::string_view sql) {
    StructureRewrite out;
    // Looked at cheaply first: every INSERT comes this way.
    size_t start = 0;
    while (start < sql.size() && std::isspace(static_cast<unsigned char>(sql[start])))
        ++start;
    const char first = start < sql.size() ? char(std::toupper(static_cast<unsigned char>(sql[start]))) : ' ';
    const bool commented = first == '-' || first == '/';
    if (!commented && first != 'C' && first != 'A' && first != 'D')
        return out;
    const std::string keyword = firstKeyword(sql);
    Reader r(sql);
    if (keyword == "COMMENT") {
        out.replacement = comment(db, r);
    } else if (keyword == "CREATE") {
        out.replacement = createIndex(db, r, sql);
    } else if (keyword == "ALTER") {
        out.replacement = addForeignKey(db, r);
        if (!out.replacement) {
            Reader again(sql);
            dropOrRename(db, again, out);
        }
    } else if (keyword == "DROP") {
        dropOrRename(db, r, out);
    }
    return out;
}

std::string indexNameOf(const std::string& sqliteName) {
    const size_t at = sqliteName.rfind('@');
    return at == std::string::npos ? sqliteName : sqliteName.substr(0, at);
}

bool tableExists(sqlite3* db, const char* name) {
    bool found = false;
    eachRow(db, std::string("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '") + name + "'",
            [&](sqlite3_stmt*) { found = true; });
    return found;
}

std::string defaultText(const std::string& d) {
    if (d.rfind("sa_autoincrement(", 0) == 0)
        return "autoincrement";
    if (d == "sa_current_timestamp()")
        return "current timestamp";
    if (d == "sa_timestamp()")
        return "timestamp";
    if (d == "sa_current_date()")
        return "current date";
    return d;
}

std::string duplicateKeyMessage(sqlite3* db, const std::string& sqliteMessage, bool primaryKey) {
    const size_t colon = sqliteMessage.find(": ");
    if (colon == std::string::npos)
        return sqliteMessage;
    // t.a, t.b: the table, and the columns in the index's order
    std::string table;
    std::vector<std::string> columns;
    for (size_t from = colon + 2; from < sqliteMessage.size();) {
        const size_t end = std::min(sqliteMessage.find(", ", from), sqliteMessage.size());
        const std::string item = sqliteMessage.substr(from, end - from);
        const size_t dot = item.find('.');
        table = item.substr(0, dot);
        columns.push_back(dot == std::string::npos ? item : item.substr(dot + 1));
        from = end + 2;
    }
    if (primaryKey)
        return "Primary key for table '" + table + "' is not unique";
    std::string index = joined(columns, ", ");
    try {
        eachRow(db, "SELECT name FROM pragma_index_list(" + sqlLiteral(table) + ") WHERE \"unique\" = 1", [&](sqlite3_stmt* s) {
            const std::string name = columnText(s, 0);
            std::vector<std::string> indexed;
            eachRow(db, "SELECT name FROM pragma_index_info(" + sqlLiteral(name) + ") ORDER BY seqno",
                    [&](sqlite3_stmt* c) { indexed.push_back(columnText(c, 0)); });
            // A UNIQUE written in CREATE TABLE has no name of its own: its columns tell it.
            if (indexed == columns && name.rfind("sqlite_autoindex_", 0) != 0)
                index = indexNameOf(name);
        });
    } catch (const Error&) {
        // the message names the columns then
    }
    return "Index '" + index + "' for table '" + table + "' would not be unique";
}

std::string sqlLiteral(std::string_view text) {
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("''") : std::string(1, c);
    return q + "'";
}

void registerStructureFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8;
    sqlite3_create_function(db, "sa_current_timestamp", 0, flags, nullptr,
                            [](sqlite3_context* c, int, sqlite3_value**) { localTime(c, "%Y-%m-%d %H:%M:%S", true); }, nullptr, nullptr);
    sqlite3_create_function(db, "sa_timestamp", 0, flags, nullptr,
                            [](sqlite3_context* c, int, sqlite3_value**) { localTime(c, "%Y-%m-%d %H:%M:%S", true); }, nullptr, nullptr);
    sqlite3_create_function(db, "sa_current_date", 0, flags, nullptr,
                            [](sqlite3_context* c, int, sqlite3_value**) { localTime(c, "%Y-%m-%d", false); }, nullptr, nullptr);
    sqlite3_create_function(db, "sa_autoincrement", 1, flags | SQLITE_DETERMINISTIC, nullptr,
                            [](sqlite3_context* c, int, sqlite3_value**) { sqlite3_result_null(c); }, nullptr, nullptr);
}

}
