#include "CatalogueQueries.h"
#include "Handles.h"
#include "SqliteRows.h"
#include "Structure.h"
#include <optional>

namespace standin {

namespace {

using Row = std::vector<std::optional<std::string>>;

std::string number(long long n) { return std::to_string(n); }

ColumnInfo integerColumn(const std::string& name, SQLSMALLINT nullable) {
    ColumnInfo c = *fromDeclaredType("integer");
    c.name = name;
    c.nullable = nullable;
    return c;
}

// The rows as one query; the values of integer columns unquoted.
std::string rowsQuery(const std::vector<Row>& rows, const std::vector<ColumnInfo>& columns) {
    auto value = [&](const std::optional<std::string>& v, size_t c) {
        if (!v)
            return std::string("NULL");
        return columns[c].sqlType == SQL_INTEGER || columns[c].sqlType == SQL_SMALLINT ? *v : sqlLiteral(*v);
    };
    if (rows.empty()) {
        std::string sql = "SELECT ";
        for (size_t c = 0; c < columns.size(); ++c)
            sql += (c ? ", NULL" : "NULL");
        return sql + " WHERE 0";
    }
    std::string sql = "SELECT * FROM (VALUES ";
    for (size_t r = 0; r < rows.size(); ++r) {
        sql += r ? ", (" : "(";
        for (size_t c = 0; c < columns.size(); ++c)
            sql += (c ? ", " : "") + value(rows[r][c], c);
        sql += ")";
    }
    return sql + ")";
}


std::optional<std::string> text(sqlite3_stmt* s, int i) {
    if (sqlite3_column_type(s, i) == SQLITE_NULL)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, i)));
}

std::vector<ColumnInfo> names(std::initializer_list<const char*> varchars) {
    std::vector<ColumnInfo> columns;
    for (const char* n : varchars)
        columns.push_back(varcharColumn(n, 128, SQL_NULLABLE));
    return columns;
}
}

CatalogueQuery columnsQuery(sqlite3* db, const std::string& pattern) {
    CatalogueQuery q;
    q.columns = names({"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "COLUMN_NAME"});
    q.columns.push_back(smallintColumn("DATA_TYPE"));
    q.columns.push_back(varcharColumn("TYPE_NAME", 128, SQL_NO_NULLS));
    q.columns.push_back(integerColumn("COLUMN_SIZE", SQL_NULLABLE));
    q.columns.push_back(integerColumn("BUFFER_LENGTH", SQL_NULLABLE));
    q.columns.push_back(smallintColumn("DECIMAL_DIGITS"));
    q.columns.push_back(smallintColumn("NUM_PREC_RADIX"));
    q.columns.push_back(smallintColumn("NULLABLE"));
    q.columns.push_back(varcharColumn("REMARKS", 32767, SQL_NULLABLE));
    q.columns.push_back(varcharColumn("COLUMN_DEF", 32767, SQL_NULLABLE));
    q.columns.push_back(smallintColumn("SQL_DATA_TYPE"));
    q.columns.push_back(smallintColumn("SQL_DATETIME_SUB"));
    q.columns.push_back(integerColumn("CHAR_OCTET_LENGTH", SQL_NULLABLE));
    q.columns.push_back(integerColumn("ORDINAL_POSITION", SQL_NO_NULLS));
    q.columns.push_back(varcharColumn("IS_NULLABLE", 3, SQL_NULLABLE));
    const bool remarks = tableExists(db, RemarkTable);
    std::vector<Row> rows;
    std::vector<std::string> tables;
    eachRow(db, "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name LIKE " + sqlLiteral(pattern) +
                    " ESCAPE '\\' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name",
            [&](sqlite3_stmt* s) { tables.push_back(*text(s, 0)); });
    for (const std::string& table : tables) {
        const std::string remark = remarks ? "(SELECT remarks FROM sa_remark r WHERE r.table_name = " + sqlLiteral(table) +
                                                 " COLLATE NOCASE AND r.column_name = c.name COLLATE NOCASE)"
                                           : std::string("NULL");
        eachRow(db, "SELECT c.cid, c.name, c.type, c.\"notnull\", c.dflt_value, c.pk, " + remark + " FROM pragma_table_info(" +
                        sqlLiteral(table) + ") AS c ORDER BY c.cid",
                [&](sqlite3_stmt* s) {
                    const ColumnInfo type = fromDeclaredType(text(s, 2).value_or("")).value_or(fromStorageClass(SQLITE_TEXT));
                    const std::string defaultValue = text(s, 4).value_or("");
                    const bool notNull = sqlite3_column_int(s, 3) != 0 || sqlite3_column_int(s, 5) != 0 ||
                                         defaultValue == "sa_autoincrement(1)";
                    rows.push_back({std::nullopt, std::nullopt, table, text(s, 1), number(type.sqlType), type.typeName,
                                    number(static_cast<long long>(type.columnSize)), number(type.octetLength), number(type.decimalDigits),
                                    std::string("10"), number(notNull ? SQL_NO_NULLS : SQL_NULLABLE), text(s, 6),
                                    defaultValue.empty() ? std::nullopt : std::optional(defaultText(defaultValue)),
                                    number(type.sqlType), std::nullopt, number(type.octetLength),
                                    number(sqlite3_column_int(s, 0) + 1), std::string(notNull ? "NO" : "YES")});
                });
    }
    q.sql = rowsQuery(rows, q.columns);
    return q;
}

CatalogueQuery statisticsQuery(sqlite3* db, const std::string& table, bool uniqueOnly) {
    CatalogueQuery q;
    q.columns = names({"TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME"});
    q.columns.push_back(smallintColumn("NON_UNIQUE"));
    for (const ColumnInfo& c : names({"INDEX_QUALIFIER", "INDEX_NAME"}))
        q.columns.push_back(c);
    q.columns.push_back(smallintColumn("TYPE"));
    q.columns.push_back(smallintColumn("ORDINAL_POSITION"));
    for (const ColumnInfo& c : names({"COLUMN_NAME", "ASC_OR_DESC"}))
        q.columns.push_back(c);
    q.columns.push_back(integerColumn("CARDINALITY", SQL_NULLABLE));
    q.columns.push_back(integerColumn("PAGES", SQL_NULLABLE));
    q.columns.push_back(varcharColumn("FILTER_CONDITION", 128, SQL_NULLABLE));
    std::vector<Row> rows;
    // A key on a column SQLite keeps as the row's number has no index of its own.
    eachRow(db, "SELECT name, pk FROM pragma_table_info(" + sqlLiteral(table) + ") WHERE pk > 0 AND NOT EXISTS "
                "(SELECT 1 FROM pragma_index_list(" + sqlLiteral(table) + ") WHERE origin = 'pk') ORDER BY pk",
            [&](sqlite3_stmt* s) {
                rows.push_back({std::nullopt, std::nullopt, table, number(SQL_FALSE), std::nullopt, table, number(SQL_INDEX_OTHER),
                                text(s, 1), text(s, 0), std::string("A"), std::nullopt, std::nullopt, std::nullopt});
            });
    eachRow(db, "SELECT l.name, l.\"unique\", l.origin, i.seqno, i.name, x.desc FROM pragma_index_list(" + sqlLiteral(table) +
                    ") AS l, pragma_index_info(l.name) AS i, pragma_index_xinfo(l.name) AS x "
                    "WHERE x.seqno = i.seqno ORDER BY l.\"unique\" DESC, l.name, i.seqno",
            [&](sqlite3_stmt* s) {
                const bool unique = sqlite3_column_int(s, 1) != 0;
                if (uniqueOnly && !unique)
                    return;
                const std::string origin = text(s, 2).value_or("");
                // The primary key's index goes by the table's name, as SQL Anywhere's does.
                const std::string name = origin == "pk" ? table : indexNameOf(*text(s, 0));
                rows.push_back({std::nullopt, std::nullopt, table, number(unique ? SQL_FALSE : SQL_TRUE), std::nullopt, name,
                                number(SQL_INDEX_OTHER), number(sqlite3_column_int(s, 3) + 1), text(s, 4),
                                std::string(sqlite3_column_int(s, 5) ? "D" : "A"), std::nullopt, std::nullopt, std::nullopt});
            });
    q.sql = rowsQuery(rows, q.columns);
    return q;
}

CatalogueQuery foreignKeysQuery(sqlite3* db, const std::string& table) {
    CatalogueQuery q;
    q.columns = names({"PKTABLE_CAT", "PKTABLE_SCHEM", "PKTABLE_NAME", "PKCOLUMN_NAME", "FKTABLE_CAT", "FKTABLE_SCHEM",
                       "FKTABLE_NAME", "FKCOLUMN_NAME"});
    for (const char* n : {"KEY_SEQ", "UPDATE_RULE", "DELETE_RULE"})
        q.columns.push_back(smallintColumn(n));
    for (const ColumnInfo& c : names({"FK_NAME", "PK_NAME"}))
        q.columns.push_back(c);
    q.columns.push_back(smallintColumn("DEFERRABILITY"));
    std::vector<Row> rows;
    auto rule = [](const std::string& r) {
        return number(r == "CASCADE" ? SQL_CASCADE : r == "SET NULL" ? SQL_SET_NULL : SQL_RESTRICT);
    };
    if (tableExists(db, ForeignKeyTable))
        eachRow(db, "SELECT referenced_table, referenced_column, table_name, column_name, key_seq, on_update, on_delete, name "
                    "FROM sa_foreign_key WHERE table_name = " + sqlLiteral(table) + " COLLATE NOCASE ORDER BY name, key_seq",
                [&](sqlite3_stmt* s) {
                    rows.push_back({std::nullopt, std::nullopt, text(s, 0), text(s, 1), std::nullopt, std::nullopt, text(s, 2),
                                    text(s, 3), text(s, 4), rule(*text(s, 5)), rule(*text(s, 6)), text(s, 7), text(s, 0),
                                    number(SQL_NOT_DEFERRABLE)});
                });
    q.sql = rowsQuery(rows, q.columns);
    return q;
}

std::string tableRemarksExpression(sqlite3* db, const std::string& nameColumn) {
    if (!tableExists(db, RemarkTable))
        return "NULL";
    return "(SELECT remarks FROM sa_remark r WHERE r.table_name = " + nameColumn + " COLLATE NOCASE AND r.column_name = '')";
}

}
