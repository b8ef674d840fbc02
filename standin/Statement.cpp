#include "Statement.h"
#include "ExactNumbers.h"
#include "Text.h"
#include "Translate.h"
#include "Structure.h"
#include "CatalogueQueries.h"
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace standin {

namespace {

// sqlite_master lists neither itself nor its order: it comes first, the
// rest in the order the database keeps them.
// The comment's expression takes the place of %REMARKS%.
constexpr const char* TablesQuery = R"(SELECT NULL AS TABLE_CAT, NULL AS TABLE_SCHEM, name AS TABLE_NAME,
       kind AS TABLE_TYPE, %REMARKS% AS REMARKS
FROM (SELECT 'sqlite_master' AS name, 'SYSTEM TABLE' AS kind, 0 AS ord
      UNION ALL
      SELECT name,
             CASE WHEN type = 'view' THEN 'VIEW'
                  WHEN name LIKE 'sqlite\_%' ESCAPE '\' OR name IN ('sa_remark', 'sa_foreign_key') THEN 'SYSTEM TABLE'
                  ELSE 'TABLE' END,
             rowid
      FROM sqlite_master WHERE type IN ('table', 'view'))
WHERE (?1 IS NULL OR name LIKE ?1 ESCAPE '\')
  AND (?2 IS NULL OR instr(?2, ',' || kind || ',') > 0)
ORDER BY ord)";

// SQL Anywhere names a primary key after its table.
constexpr const char* PrimaryKeysQuery = R"(SELECT NULL, NULL, ?1, name, pk, ?1
FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk)";

std::string shortestText(double d) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}

std::string trimmedStatement(std::string_view s) {
    size_t end = s.size();
    while (end > 0 && (std::isspace(static_cast<unsigned char>(s[end - 1])) || s[end - 1] == ';'))
        --end;
    return std::string(s.substr(0, end));
}

// A column value as a number, for the numeric C types.
struct Number {
    enum Kind { Integer, Unsigned, Real } kind = Integer;
    long long i = 0;
    unsigned long long u = 0;
    double d = 0;
};

Number numberOf(sqlite3_stmt* stmt, int index, int storage) {
    Number n;
    if (storage == SQLITE_INTEGER) {
        n.i = sqlite3_column_int64(stmt, index);
        return n;
    }
    if (storage == SQLITE_FLOAT) {
        n.kind = Number::Real;
        n.d = sqlite3_column_double(stmt, index);
        return n;
    }
    if (storage == SQLITE_BLOB)
        throw Error("07006", "a binary value cannot be read as a number");
    const char* raw = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
    std::string text = raw ? raw : "";
    const size_t first = text.find_first_not_of(" \t\r\n");
    const size_t last = text.find_last_not_of(" \t\r\n");
    const std::string t = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    if (!t.empty()) {
        char* end = nullptr;
        errno = 0;
        const long long i = std::strtoll(t.c_str(), &end, 10);
        if (*end == 0 && errno == 0) {
            n.i = i;
            return n;
        }
        errno = 0;
        if (t[0] != '-') {
            const unsigned long long u = std::strtoull(t.c_str(), &end, 10);
            if (*end == 0 && errno == 0) {
                n.kind = Number::Unsigned;
                n.u = u;
                return n;
            }
        }
        errno = 0;
        const double d = std::strtod(t.c_str(), &end);
        if (*end == 0 && !std::isnan(d)) {
            n.kind = Number::Real;
            n.d = d;
            return n;
        }
    }
    throw Error("22018", "invalid character value for cast: '" + text + "'");
}

// Converts to an integer C type: 22003 when out of range, and sets
// fraction when digits after the point are dropped (01S07).
template <class T>
T integerValue(const Number& n, bool& fraction) {
    long double v;
    switch (n.kind) {
    case Number::Integer:
        v = n.i;
        break;
    case Number::Unsigned:
        v = n.u;
        break;
    default:
        v = std::trunc(static_cast<long double>(n.d));
        if (v != static_cast<long double>(n.d))
            fraction = true;
    }
    if (v < static_cast<long double>(std::numeric_limits<T>::min()) ||
        v > static_cast<long double>(std::numeric_limits<T>::max()))
        throw Error("22003", "numeric value out of range");
    if (n.kind == Number::Integer)
        return static_cast<T>(n.i);
    if (n.kind == Number::Unsigned)
        return static_cast<T>(n.u);
    return static_cast<T>(v);
}

double doubleValue(const Number& n) {
    switch (n.kind) {
    case Number::Integer:
        return double(n.i);
    case Number::Unsigned:
        return double(n.u);
    default:
        return n.d;
    }
}

template <class T>
SQLRETURN putFixed(HandleBase& h, T value, SQLPOINTER target, SQLLEN* indicator, bool fraction) {
    if (!target)
        throw Error("HY009", "invalid use of null pointer");
    std::memcpy(target, &value, sizeof value);
    if (indicator)
        *indicator = sizeof value;
    if (fraction)
        h.warn("01S07", "fractional truncation");
    return h.result();
}

template <class T>
SQLRETURN putInteger(HandleBase& h, const Number& n, SQLPOINTER target, SQLLEN* indicator) {
    bool fraction = false;
    const T value = integerValue<T>(n, fraction);
    return putFixed(h, value, target, indicator, fraction);
}

bool isCharacterType(SQLSMALLINT t) {
    return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR || t == SQL_WCHAR || t == SQL_WVARCHAR ||
           t == SQL_WLONGVARCHAR;
}

bool isBinaryType(SQLSMALLINT t) { return t == SQL_BINARY || t == SQL_VARBINARY || t == SQL_LONGVARBINARY; }

bool isNumericType(SQLSMALLINT t) {
    switch (t) {
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_BIT:
        return true;
    default:
        return false;
    }
}

bool isDatetimeType(SQLSMALLINT t) { return t == SQL_TYPE_DATE || t == SQL_TYPE_TIME || t == SQL_TYPE_TIMESTAMP; }

std::optional<std::string> typeList(const std::optional<std::string>& types) {
    if (!types)
        return std::nullopt;
    std::string list = ",";
    size_t items = 0;
    std::string item;
    auto flush = [&] {
        if (item == "%")
            items = SIZE_MAX / 2;
        else if (!item.empty()) {
            list += item + ",";
            ++items;
        }
        item.clear();
    };
    for (char c : *types) {
        if (c == ',')
            flush();
        else if (c != '\'' && !std::isspace(static_cast<unsigned char>(c)))
            item += char(std::toupper(static_cast<unsigned char>(c)));
        else if (c == ' ' && !item.empty() && item != "%")
            item += ' ';  // "SYSTEM TABLE"
    }
    flush();
    if (items == 0 || items >= SIZE_MAX / 2)
        return std::nullopt;
    for (size_t p; (p = list.find(" ,")) != std::string::npos;)
        list.erase(p, 1);
    return list;
}

}

Stmt::Stmt(Dbc* owner) : HandleBase(SQL_HANDLE_STMT), dbc(owner) { dbc->statements.push_back(this); }

Stmt::~Stmt() {
    finalize();
    auto& list = dbc->statements;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void Stmt::finalize() {
    closeCursor();
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_prepared = false;
    m_columns.clear();
    m_rowCount = -1;
}

void Stmt::closeCursor() {
    if (m_stmt)
        sqlite3_reset(m_stmt);
    m_cursorOpen = m_pending = m_onRow = m_done = false;
    m_produced = 0;
    m_total.reset();
    m_pieces.clear();
}

sqlite3_stmt* Stmt::prepareAt(size_t from) {
    sqlite3* db = dbc->requireDb();
    size_t pos = from;
    while (pos < m_text.size()) {
        const char* start = m_text.c_str() + pos;
        const char* tail = nullptr;
        sqlite3_stmt* stmt = nullptr;
        const int rc = sqlite3_prepare_v2(db, start, int(m_text.size() - pos), &stmt, &tail);
        if (rc != SQLITE_OK)
            throw sqliteError(db, rc);
        const size_t next = tail ? size_t(tail - m_text.c_str()) : m_text.size();
        if (stmt) {
            m_begin = pos;
            m_rest = next;
            const std::string keyword = firstKeyword(std::string_view(m_text).substr(m_begin, m_rest - m_begin));
            m_changesRows = keyword == "INSERT" || keyword == "UPDATE" || keyword == "DELETE" ||
                            keyword == "REPLACE" || (keyword == "WITH" && !sqlite3_stmt_readonly(stmt));
            return stmt;
        }
        if (next <= pos)
            break;
        pos = next;
    }
    m_begin = m_rest = m_text.size();
    return nullptr;
}

void Stmt::load(std::string text) {
    finalize();
    m_text = std::move(text);
    m_stmt = prepareAt(0);
    m_ranAhead = false;
    m_prepared = true;
    describe();
}

void Stmt::prepare(const std::string& sql) {
    m_fixedColumns.clear();
    m_parameters.clear();
    m_binaryParameters.clear();
    const StructureRewrite rewrite = rewriteStructure(dbc->requireDb(), sql);
    load(rewrite.before + (rewrite.replacement ? *rewrite.replacement : translateStatement(sql)) + rewrite.after);
}

void Stmt::bindParameter(SQLUSMALLINT number, const BoundParameter& parameter) {
    if (number == 0)
        throw Error("07009", "invalid parameter number 0");
    if (parameter.cType != SQL_C_CHAR && parameter.cType != SQL_C_WCHAR && parameter.cType != SQL_C_BINARY)
        throw Error("HYC00", "parameters are bound as SQL_C_CHAR, SQL_C_WCHAR or SQL_C_BINARY");
    if (m_bound.size() < number)
        m_bound.resize(number, BoundParameter{0, nullptr, nullptr});
    m_bound[number - 1] = parameter;
}

namespace {
// Into a string that keeps its room from row to row.
void assignParameterText(std::string& into, SQLSMALLINT cType, SQLPOINTER value, SQLLEN length) {
    if (cType == SQL_C_WCHAR) {
        into = utf8FromWide(static_cast<const SQLWCHAR*>(value), length == SQL_NTS ? SQL_NTS : length / SQLLEN(sizeof(SQLWCHAR)));
        return;
    }
    const char* bytes = static_cast<const char*>(value);
    into.assign(bytes, length == SQL_NTS ? std::strlen(bytes) : size_t(length));
}

std::string parameterText(SQLSMALLINT cType, SQLPOINTER value, SQLLEN length) {
    std::string text;
    assignParameterText(text, cType, value, length);
    return text;
}
}

SQLRETURN Stmt::executeWithParameters() {
    if (m_bound.empty()) {
        execute();
        return SQL_SUCCESS;
    }
    closeCursor();  // nothing steps the statement on values that are being replaced
    if (parameterSets > 1)
        return executeParameterSets();
    if (!loadParameterSet(0))
        return SQL_NEED_DATA;
    execute();
    return SQL_SUCCESS;
}

// Where one set's value and indicator of a bound parameter lie.
Stmt::SetValue Stmt::valueOf(size_t k, SQLULEN set) const {
    const BoundParameter& p = m_bound[k];
    if (p.cType == 0)
        throw Error("07002", "parameter " + std::to_string(k + 1) + " is not bound");
    const bool byColumn = parameterBindType == SQL_PARAM_BIND_BY_COLUMN;
    const SQLULEN stride = byColumn ? SQLULEN(p.bufferLength) : parameterBindType;
    const SQLLEN* indicator = !p.indicator ? nullptr
                              : byColumn   ? p.indicator + set
                                           : reinterpret_cast<const SQLLEN*>(
                                               reinterpret_cast<const char*>(p.indicator) + set * parameterBindType);
    return {static_cast<char*>(p.value) + set * stride, indicator ? *indicator : SQL_NTS};
}

bool Stmt::loadParameterSet(SQLULEN set) {
    m_parameters.resize(m_bound.size());
    m_binaryParameters.assign(m_bound.size(), false);
    m_dueData.clear();
    m_nextDue = 0;
    m_receiving = 0;
    for (size_t k = 0; k < m_bound.size(); ++k) {
        const BoundParameter& p = m_bound[k];
        const SetValue v = valueOf(k, set);
        m_binaryParameters[k] = p.cType == SQL_C_BINARY;
        if (v.length == SQL_NULL_DATA) {
            m_parameters[k].reset();
            continue;
        }
        if (!m_parameters[k])
            m_parameters[k].emplace();
        if (v.length == SQL_DATA_AT_EXEC || v.length <= SQL_LEN_DATA_AT_EXEC_OFFSET) {
            m_parameters[k]->clear();
            m_dueData.push_back(SQLUSMALLINT(k + 1));
            continue;
        }
        assignParameterText(*m_parameters[k], p.cType, v.value, v.length);
    }
    return m_dueData.empty();
}

// One set's values bound where they lie; wide text goes through UTF-8 first.
void Stmt::bindParameterSet(SQLULEN set) {
    const int count = sqlite3_bind_parameter_count(m_stmt);
    m_parameters.resize(m_bound.size());
    for (size_t k = 0; k < m_bound.size() && int(k) < count; ++k) {
        const BoundParameter& p = m_bound[k];
        const SetValue v = valueOf(k, set);
        const int at = int(k + 1);
        if (v.length == SQL_NULL_DATA)
            sqlite3_bind_null(m_stmt, at);
        else if (v.length == SQL_DATA_AT_EXEC || v.length <= SQL_LEN_DATA_AT_EXEC_OFFSET)
            throw Error("HYC00", "an array of parameters takes no data at execution");
        else if (p.cType == SQL_C_BINARY)
            sqlite3_bind_blob(m_stmt, at, v.value, int(v.length), SQLITE_STATIC);
        else if (p.cType == SQL_C_CHAR)
            sqlite3_bind_text(m_stmt, at, v.value, int(v.length == SQL_NTS ? std::strlen(v.value) : size_t(v.length)),
                              SQLITE_STATIC);
        else {
            m_parameters[k].emplace();
            assignParameterText(*m_parameters[k], p.cType, v.value, v.length);
            sqlite3_bind_text(m_stmt, at, m_parameters[k]->c_str(), int(m_parameters[k]->size()), SQLITE_STATIC);
        }
    }
}

// The sets run one after another in the connection's transaction, each
// value read where the application keeps it. A refused set ends the run:
// it is marked an error, the sets after it unused, and the error is the
// execution's. Arrays are taken for one statement that gives no rows.
SQLRETURN Stmt::executeParameterSets() {
    sqlite3* db = dbc->requireDb();
    prepareToRun();
    if (!m_stmt || !isBlankSql(std::string_view(m_text).substr(m_rest)) || sqlite3_column_count(m_stmt) > 0)
        throw Error("HYC00", "an array of parameters takes one statement that gives no rows");
    SQLULEN done = 0;
    SQLLEN changed = 0;
    auto mark = [&](SQLULEN set, SQLUSMALLINT status) {
        if (parameterStatus)
            parameterStatus[set] = status;
    };
    if (parametersProcessed)
        *parametersProcessed = 0;
    for (; done < parameterSets; ++done) {
        try {
            bindParameterSet(done);
            const sqlite3_int64 before = sqlite3_total_changes64(db);
            const int rc = sqlite3_step(m_stmt);
            if (rc != SQLITE_DONE) {
                Error e = sqliteError(db, rc);
                sqlite3_reset(m_stmt);
                throw e;
            }
            sqlite3_reset(m_stmt);
            if (m_changesRows && sqlite3_total_changes64(db) != before)
                changed += SQLLEN(sqlite3_changes64(db));
        } catch (const Error&) {
            mark(done, SQL_PARAM_ERROR);
            for (SQLULEN later = done + 1; later < parameterSets; ++later)
                mark(later, SQL_PARAM_UNUSED);
            if (parametersProcessed)
                *parametersProcessed = done + 1;
            throw;
        }
        mark(done, SQL_PARAM_SUCCESS);
    }
    if (parametersProcessed)
        *parametersProcessed = done;
    m_rowCount = changed;
    return SQL_SUCCESS;
}

SQLRETURN Stmt::paramData(SQLPOINTER* token) {
    if (m_nextDue < m_dueData.size()) {
        m_receiving = m_dueData[m_nextDue++];
        if (token)
            *token = m_bound[m_receiving - 1].value;
        return SQL_NEED_DATA;
    }
    if (m_dueData.empty())
        throw Error("HY010", "no parameter data is due");
    m_dueData.clear();
    m_receiving = 0;
    execute();
    return SQL_SUCCESS;
}

void Stmt::putData(SQLPOINTER data, SQLLEN length) {
    if (m_receiving == 0)
        throw Error("HY010", "SQLPutData without a parameter that is due");
    if (length == SQL_NULL_DATA) {
        m_parameters[m_receiving - 1].reset();
        return;
    }
    m_parameters[m_receiving - 1]->append(parameterText(m_bound[m_receiving - 1].cType, data, length));
}

void Stmt::tables(const std::optional<std::string>& namePattern, const std::optional<std::string>& tableTypes) {
    m_parameters = {namePattern && *namePattern != "%" && !namePattern->empty() ? namePattern : std::nullopt,
                    typeList(tableTypes)};
    m_fixedColumns = {varcharColumn("TABLE_CAT", 128, SQL_NULLABLE), varcharColumn("TABLE_SCHEM", 128, SQL_NULLABLE),
                      varcharColumn("TABLE_NAME", 128, SQL_NO_NULLS), varcharColumn("TABLE_TYPE", 128, SQL_NO_NULLS),
                      varcharColumn("REMARKS", 254, SQL_NULLABLE)};
    std::string query = TablesQuery;
    query.replace(query.find("%REMARKS%"), 9, tableRemarksExpression(dbc->requireDb(), "name"));
    load(query);
    execute();
}

void Stmt::catalogue(const CatalogueQuery& query) {
    m_parameters.clear();
    m_fixedColumns = query.columns;
    load(query.sql);
    execute();
}

void Stmt::primaryKeys(const std::string& table) {
    m_parameters = {table};
    m_fixedColumns = {varcharColumn("TABLE_CAT", 128, SQL_NULLABLE), varcharColumn("TABLE_SCHEM", 128, SQL_NULLABLE),
                      varcharColumn("TABLE_NAME", 128, SQL_NO_NULLS), varcharColumn("COLUMN_NAME", 128, SQL_NO_NULLS),
                      smallintColumn("KEY_SEQ"), varcharColumn("PK_NAME", 128, SQL_NULLABLE)};
    load(PrimaryKeysQuery);
    execute();
}

// The values stay where they are until the statement is run again or
// finalized, and are bound again before it steps: SQLite need not copy them.
void Stmt::bindParameters(sqlite3_stmt* stmt) const {
    const int count = sqlite3_bind_parameter_count(stmt);
    for (size_t k = 0; k < m_parameters.size() && int(k) < count; ++k) {
        if (m_parameters[k] && k < m_binaryParameters.size() && m_binaryParameters[k])
            sqlite3_bind_blob(stmt, int(k + 1), m_parameters[k]->data(), int(m_parameters[k]->size()), SQLITE_STATIC);
        else if (m_parameters[k])
            sqlite3_bind_text(stmt, int(k + 1), m_parameters[k]->c_str(), int(m_parameters[k]->size()), SQLITE_STATIC);
        else
            sqlite3_bind_null(stmt, int(k + 1));
    }
}

void Stmt::describe() {
    m_columns.clear();
    if (!m_stmt)
        return;
    if (!m_fixedColumns.empty()) {
        m_columns = m_fixedColumns;
        return;
    }
    sqlite3* db = dbc->requireDb();
    const int n = sqlite3_column_count(m_stmt);
    for (int i = 0; i < n; ++i) {
        const char* declared = sqlite3_column_decltype(m_stmt, i);
        std::optional<ColumnInfo> c = declared ? fromDeclaredType(declared) : std::nullopt;
        if (!c)
            c = fromStorageClass(m_pending ? sqlite3_column_type(m_stmt, i) : SQLITE_NULL);
        const char* name = sqlite3_column_name(m_stmt, i);
        c->name = name ? name : "";
        const char* database = sqlite3_column_database_name(m_stmt, i);
        const char* table = sqlite3_column_table_name(m_stmt, i);
        const char* origin = sqlite3_column_origin_name(m_stmt, i);
        if (table && origin) {
            c->tableName = table;
            c->baseColumnName = origin;
            int notNull = 0;
            if (sqlite3_table_column_metadata(db, database, table, origin, nullptr, nullptr, &notNull, nullptr,
                                              nullptr) == SQLITE_OK)
                c->nullable = notNull ? SQL_NO_NULLS : SQL_NULLABLE;
        }
        m_columns.push_back(std::move(*c));
    }
}

// Ready to run from the text's first statement, in the connection's
// transaction, waiting on a locked file as long as the timeout says.
void Stmt::prepareToRun() {
    sqlite3* db = dbc->requireDb();
    if (!m_prepared)
        throw Error("HY010", "no statement is prepared");
    closeCursor();
    m_rowCount = -1;
    dbc->beginIfManual();
    if (m_ranAhead || !m_stmt) {
        if (m_stmt)
            sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        m_stmt = prepareAt(0);
        m_ranAhead = false;
    }
    const SQLULEN ms = queryTimeout * 1000;
    const int busyMs = queryTimeout == 0 || ms > SQLULEN(INT_MAX) ? INT_MAX : int(ms);
    if (dbc->busyTimeoutMs != busyMs) {
        sqlite3_busy_timeout(db, busyMs);
        dbc->busyTimeoutMs = busyMs;
    }
}

void Stmt::execute() {
    sqlite3* db = dbc->requireDb();
    prepareToRun();

    // Statements before the last run to their end, the last one keeps its result.
    while (m_stmt && !isBlankSql(std::string_view(m_text).substr(m_rest))) {
        bindParameters(m_stmt);
        int rc;
        while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            Error e = sqliteError(db, rc);
            sqlite3_reset(m_stmt);
            throw e;
        }
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        m_ranAhead = true;
        m_stmt = prepareAt(m_rest);
    }
    if (!m_stmt) {
        describe();
        return;
    }

    bindParameters(m_stmt);
    const sqlite3_int64 before = sqlite3_total_changes64(db);
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        m_cursorOpen = true;
        m_pending = true;
        m_produced = 1;
    } else if (rc == SQLITE_DONE) {
        if (sqlite3_column_count(m_stmt) > 0) {
            m_cursorOpen = true;
            m_done = true;
            m_total = 0;
        } else {
            if (m_changesRows)
                m_rowCount = sqlite3_total_changes64(db) != before ? SQLLEN(sqlite3_changes64(db)) : 0;
        }
        sqlite3_reset(m_stmt);
    } else {
        Error e = sqliteError(db, rc);
        sqlite3_reset(m_stmt);
        throw e;
    }
    describe();
}

long long Stmt::countRows() {
    sqlite3* db = dbc->requireDb();
    if (!sqlite3_stmt_readonly(m_stmt))
        return -1;  // counting would run it a second time
    const std::string own = trimmedStatement(std::string_view(m_text).substr(m_begin, m_rest - m_begin));
    sqlite3_stmt* counter = nullptr;
    const std::string wrapped = "SELECT COUNT(*) FROM (" + own + "\n)";
    long long count = -1;
    // m_stmt is still open, so this reads the same snapshot it does.
    if (sqlite3_prepare_v2(db, wrapped.c_str(), int(wrapped.size()), &counter, nullptr) == SQLITE_OK && counter) {
        bindParameters(counter);
        if (sqlite3_step(counter) == SQLITE_ROW)
            count = sqlite3_column_int64(counter, 0);
        sqlite3_finalize(counter);
        if (count >= 0)
            return count;
    }
    counter = nullptr;
    const int rc = sqlite3_prepare_v2(db, own.c_str(), int(own.size()), &counter, nullptr);
    if (rc != SQLITE_OK || !counter) {
        sqlite3_finalize(counter);
        throw sqliteError(db, rc);
    }
    bindParameters(counter);
    count = 0;
    int step;
    while ((step = sqlite3_step(counter)) == SQLITE_ROW)
        ++count;
    sqlite3_finalize(counter);
    if (step != SQLITE_DONE)
        throw sqliteError(db, step);
    return count;
}

SQLLEN Stmt::rowCount() {
    if (!m_cursorOpen)
        return m_rowCount;
    if (!m_total)
        m_total = m_done ? m_produced : countRows();
    return SQLLEN(*m_total);
}

const ColumnInfo& Stmt::column(SQLUSMALLINT number) const {
    if (number == 0)
        throw Error("07009", "bookmark columns are not supported");
    if (number > m_columns.size())
        throw Error("07009", "invalid descriptor index " + std::to_string(number));
    return m_columns[number - 1];
}

void Stmt::bindColumn(SQLUSMALLINT number, const BoundColumn& column) {
    if (number == 0)
        throw Error("07009", "invalid descriptor index 0: bookmarks are not supported");
    if (m_boundColumns.size() < number)
        m_boundColumns.resize(number);
    m_boundColumns[number - 1] = column;
}

// Each bound column of the row just fetched, as SQLGetData gives it; a
// truncated one warns, and may be read again in full.
SQLRETURN Stmt::fillBoundColumns() {
    SQLRETURN result = SQL_SUCCESS;
    for (size_t k = 0; k < m_boundColumns.size() && k < m_columns.size(); ++k) {
        const BoundColumn& b = m_boundColumns[k];
        if (!b.target)
            continue;
        if (getData(SQLUSMALLINT(k + 1), b.cType, b.target, b.length, b.indicator) == SQL_SUCCESS_WITH_INFO)
            result = SQL_SUCCESS_WITH_INFO;
        m_pieces[k] = Piece{};
    }
    return result;
}

SQLRETURN Stmt::fetch() {
    if (!m_cursorOpen)
        throw Error("24000", "invalid cursor state: no result set is open");
    m_pieces.assign(m_columns.size(), Piece{});
    if (m_pending) {
        m_pending = false;
        m_onRow = true;
        return fillBoundColumns();
    }
    m_onRow = false;
    if (m_done)
        return SQL_NO_DATA;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        ++m_produced;
        m_onRow = true;
        return fillBoundColumns();
    }
    m_done = true;
    if (rc == SQLITE_DONE) {
        if (!m_total)
            m_total = m_produced;
        sqlite3_reset(m_stmt);
        return SQL_NO_DATA;
    }
    Error e = sqliteError(dbc->requireDb(), rc);
    sqlite3_reset(m_stmt);
    throw e;
}

// The usual text value, short and read whole in one call, goes straight
// from SQLite's row into the buffer; false leaves it to the general way.
bool Stmt::wholeTextInto(int index, SQLSMALLINT cType, SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator) const {
    const SQLSMALLINT sqlType = m_columns[size_t(index)].sqlType;
    if ((cType != SQL_C_CHAR && cType != SQL_C_WCHAR) || !target || sqlType == SQL_NUMERIC || sqlType == SQL_DECIMAL)
        return false;
    const auto* text = sqlite3_column_text(m_stmt, index);
    const size_t bytes = size_t(sqlite3_column_bytes(m_stmt, index));
    if (cType == SQL_C_CHAR) {
        if (bufferLength < 0 || bytes + 1 > size_t(bufferLength))
            return false;
        std::memcpy(target, text, bytes);
        static_cast<char*>(target)[bytes] = 0;
    } else {
        // Only ASCII widens a byte to a unit.
        if (bufferLength < 0 || bytes + 1 > size_t(bufferLength) / sizeof(SQLWCHAR) ||
            !std::all_of(text, text + bytes, [](unsigned char c) { return c < 0x80; }))
            return false;
        auto* out = static_cast<SQLWCHAR*>(target);
        std::copy(text, text + bytes, out);
        out[bytes] = 0;
    }
    if (indicator)
        *indicator = SQLLEN(cType == SQL_C_CHAR ? bytes : bytes * sizeof(SQLWCHAR));
    return true;
}

std::string Stmt::textOf(int index, int storage) const {
    const ColumnInfo& column = m_columns[size_t(index)];
    if ((column.sqlType == SQL_NUMERIC || column.sqlType == SQL_DECIMAL) && storage != SQLITE_BLOB) {
        // Exact numbers read with exactly their scale, as the server gives them.
        const std::string stored = storedText(index, storage);
        try {
            return exactDecimal(stored, int(column.columnSize), column.decimalDigits);
        } catch (const Error&) {
            return stored;  // written before the column kept its rules
        }
    }
    return storedText(index, storage);
}

std::string Stmt::storedText(int index, int storage) const {
    switch (storage) {
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_column_int64(m_stmt, index));
    case SQLITE_FLOAT:
        return shortestText(sqlite3_column_double(m_stmt, index));
    case SQLITE_BLOB: {
        static const char digits[] = "0123456789abcdef";
        const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(m_stmt, index));
        const int n = sqlite3_column_bytes(m_stmt, index);
        std::string hex;
        hex.reserve(size_t(n) * 2);
        for (int k = 0; k < n; ++k) {
            hex += digits[p[k] >> 4];
            hex += digits[p[k] & 15];
        }
        return hex;
    }
    default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
        return p ? std::string(p, size_t(sqlite3_column_bytes(m_stmt, index))) : std::string();
    }
    }
}

SQLRETURN Stmt::getPieces(Piece& piece, int index, int storage, SQLSMALLINT cType, SQLPOINTER target,
                          SQLLEN bufferLength, SQLLEN* indicator) {
    if (!piece.started && storage == SQLITE_TEXT && wholeTextInto(index, cType, target, bufferLength, indicator)) {
        piece.started = piece.finished = true;
        return SQL_SUCCESS;
    }
    if (!piece.started) {
        piece.started = true;
        if (cType == SQL_C_WCHAR) {
            piece.wide = utf16FromUtf8(textOf(index, storage));
        } else if (cType == SQL_C_BINARY && storage == SQLITE_BLOB) {
            const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, index));
            piece.bytes.assign(p ? p : "", size_t(sqlite3_column_bytes(m_stmt, index)));
        } else {
            piece.bytes = textOf(index, storage);
        }
    }
    if (bufferLength < 0)
        throw Error("HY090", "invalid string or buffer length");

    const bool wide = cType == SQL_C_WCHAR;
    const size_t unit = wide ? sizeof(SQLWCHAR) : 1;
    const size_t total = wide ? piece.wide.size() : piece.bytes.size();
    const size_t remaining = total - piece.offset;
    if (indicator)
        *indicator = SQLLEN(remaining * unit);

    const bool terminated = cType != SQL_C_BINARY;
    const SQLLEN roomWithNul = target ? bufferLength / SQLLEN(unit) : 0;
    const SQLLEN room = terminated ? roomWithNul - 1 : roomWithNul;
    if (room < 0 || (room == 0 && remaining > 0)) {
        if (remaining == 0) {
            piece.finished = true;
            return SQL_SUCCESS;
        }
        warn("01004", "string data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    size_t n;
    if (wide) {
        n = wholeUnits(piece.wide, piece.offset, size_t(room));
        auto* out = static_cast<SQLWCHAR*>(target);
        std::memcpy(out, piece.wide.data() + piece.offset, n * sizeof(SQLWCHAR));
        out[n] = 0;
    } else if (terminated) {
        n = wholeUnits(std::string_view(piece.bytes), piece.offset, size_t(room));
        auto* out = static_cast<char*>(target);
        std::memcpy(out, piece.bytes.data() + piece.offset, n);
        out[n] = 0;
    } else {
        n = std::min(remaining, size_t(room));
        std::memcpy(target, piece.bytes.data() + piece.offset, n);
    }
    piece.offset += n;
    if (n < remaining) {
        warn("01004", "string data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    piece.finished = true;
    return SQL_SUCCESS;
}

SQLRETURN Stmt::getData(SQLUSMALLINT number, SQLSMALLINT cType, SQLPOINTER target, SQLLEN bufferLength,
                        SQLLEN* indicator) {
    if (!m_cursorOpen || !m_onRow)
        throw Error("24000", "invalid cursor state: no row is fetched");
    const ColumnInfo& col = column(number);
    const int index = number - 1;
    Piece& piece = m_pieces[size_t(index)];
    if (piece.finished)
        return SQL_NO_DATA;
    if (cType == SQL_C_DEFAULT)
        cType = defaultCType(col);

    const int storage = sqlite3_column_type(m_stmt, index);
    if (!piece.started && storage == SQLITE_NULL) {
        if (!indicator)
            throw Error("22002", "indicator variable required but not supplied");
        *indicator = SQL_NULL_DATA;
        piece.finished = true;
        return SQL_SUCCESS;
    }

    if (cType == SQL_C_CHAR || cType == SQL_C_WCHAR || cType == SQL_C_BINARY)
        return getPieces(piece, index, storage, cType, target, bufferLength, indicator);

    SQLRETURN rc;
    switch (cType) {
    case SQL_C_BIT: {
        const Number n = numberOf(m_stmt, index, storage);
        const double d = doubleValue(n);
        if (d < 0 || d >= 2)
            throw Error("22003", "numeric value out of range");
        const bool fraction = d != 0 && d != 1;
        rc = putFixed<unsigned char>(*this, d >= 1 ? 1 : 0, target, indicator, fraction);
        break;
    }
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
        rc = putInteger<signed char>(*this, numberOf(m_stmt, index, storage), target, indicator);
        break;
    case SQL_C_UTINYINT:
        rc = putInteger<unsigned char>(*this, numberOf(m_stmt, index, storage), target, indicator);
        break;
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
        rc = putInteger<SQLSMALLINT>(*this, numberOf(m_stmt, index, storage), target, indicator);
        break;
    case SQL_C_USHORT:
        rc = putInteger<SQLUSMALLINT>(*this, numberOf(m_stmt, index, storage), target, indicator);
        break;
    case SQL_C_SLONG:
    case SQL_C_LONG:
        rc = putInteger<SQLINTEGER>(*this, numberOf(m_stmt, index, storage), target, indicator);
        break;
    case SQL_C_ULONG:
        rc = putInteger<SQLUINTEGER>(*this, numberOf(m_stmt, index, storage), target, indicator);
        break;
    case SQL_C_SBIGINT:
        rc = putInteger<SQLBIGINT>(*this, numberOf(m_stmt, index, storage), target, indicator);
        break;
    case SQL_C_UBIGINT:
        rc = putInteger<SQLUBIGINT>(*this, numberOf(m_stmt, index, storage), target, indicator);
        break;
    case SQL_C_DOUBLE:
        rc = putFixed(*this, doubleValue(numberOf(m_stmt, index, storage)), target, indicator, false);
        break;
    case SQL_C_FLOAT: {
        const double d = doubleValue(numberOf(m_stmt, index, storage));
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX)
            throw Error("22003", "numeric value out of range");
        rc = putFixed(*this, float(d), target, indicator, false);
        break;
    }
    default:
        throw Error("07006", "restricted data type attribute violation: C type " + std::to_string(cType) +
                                 " is not supported");
    }
    piece.finished = true;
    return rc;
}

Attribute Stmt::columnAttribute(SQLUSMALLINT number, SQLUSMALLINT field) const {
    if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT)
        return SQLLEN(m_columns.size());
    const ColumnInfo& c = column(number);
    const SQLSMALLINT t = c.sqlType;
    switch (field) {
    case SQL_DESC_NAME:
    case SQL_DESC_LABEL:
    case SQL_COLUMN_NAME:
        return c.name;
    case SQL_DESC_BASE_COLUMN_NAME:
        return c.baseColumnName.empty() ? c.name : c.baseColumnName;
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
        return c.tableName;
    case SQL_DESC_TYPE_NAME:
    case SQL_DESC_LOCAL_TYPE_NAME:
        return c.typeName;
    case SQL_DESC_CATALOG_NAME:
    case SQL_DESC_SCHEMA_NAME:
        return std::string();
    case SQL_DESC_LITERAL_PREFIX:
        return std::string(isCharacterType(t) ? "'" : isBinaryType(t) ? "0x" : "");
    case SQL_DESC_LITERAL_SUFFIX:
        return std::string(isCharacterType(t) ? "'" : "");
    case SQL_DESC_CONCISE_TYPE:
        return SQLLEN(t);
    case SQL_DESC_TYPE:
        return SQLLEN(isDatetimeType(t) ? SQL_DATETIME : t);
    case SQL_DESC_DATETIME_INTERVAL_CODE:
        return SQLLEN(t == SQL_TYPE_DATE ? SQL_CODE_DATE
                      : t == SQL_TYPE_TIME ? SQL_CODE_TIME
                      : t == SQL_TYPE_TIMESTAMP ? SQL_CODE_TIMESTAMP
                                                : 0);
    case SQL_DESC_LENGTH:
    case SQL_COLUMN_PRECISION:
        return SQLLEN(c.columnSize);
    case SQL_COLUMN_LENGTH:
    case SQL_DESC_OCTET_LENGTH:
        return c.octetLength;
    case SQL_DESC_DISPLAY_SIZE:
        return c.displaySize;
    case SQL_DESC_PRECISION:
        return isDatetimeType(t) ? SQLLEN(c.decimalDigits) : SQLLEN(c.columnSize);
    case SQL_DESC_SCALE:
    case SQL_COLUMN_SCALE:
        return SQLLEN(t == SQL_NUMERIC || t == SQL_DECIMAL ? c.decimalDigits : 0);
    case SQL_DESC_UNSIGNED:
        return SQLLEN(c.isUnsigned || !isNumericType(t) ? SQL_TRUE : SQL_FALSE);
    case SQL_DESC_NULLABLE:
    case SQL_COLUMN_NULLABLE:
        return SQLLEN(c.nullable);
    case SQL_DESC_NUM_PREC_RADIX:
        return SQLLEN(isNumericType(t) && t != SQL_BIT ? 10 : 0);
    case SQL_DESC_AUTO_UNIQUE_VALUE:
    case SQL_DESC_FIXED_PREC_SCALE:
        return SQLLEN(SQL_FALSE);
    case SQL_DESC_CASE_SENSITIVE:
        return SQLLEN(isCharacterType(t) ? SQL_TRUE : SQL_FALSE);
    case SQL_DESC_SEARCHABLE:
        return SQLLEN(SQL_PRED_SEARCHABLE);
    case SQL_DESC_UPDATABLE:
        return SQLLEN(SQL_ATTR_READWRITE_UNKNOWN);
    case SQL_DESC_UNNAMED:
        return SQLLEN(c.name.empty() ? SQL_UNNAMED : SQL_NAMED);
    default:
        throw Error("HY091", "invalid descriptor field identifier " + std::to_string(field));
    }
}

}
