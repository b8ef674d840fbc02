#include "connect/Recordset.h"
#include "connect/BoundedWait.h"
#include "connect/ColumnReader.h"
#include "connect/Connection.h"
#include "connect/DbError.h"
#include "base/Yield.h"

namespace tw {

struct Recordset::Impl {
    // The driver's session, held as long as the statement on it: whatever
    // closes first, the connection is not freed under an open result.
    std::shared_ptr<void> session;
    StmtHandle stmt;
    ColumnReader reader;
    std::vector<Field> fields;
    // Rows read ahead when a client-side read meets a driver that cannot
    // count its result: then the whole result is held here. (A vector, not
    // a deque, which would take memory for every statement, INSERTs too.)
    std::vector<std::vector<Value>> buffered;
    size_t nextBuffered = 0;
    bool buffering = false;
    long long recordCount = -1;
    bool eof = true;
    bool open = false;

    // counted: the driver's row count for a client-side cursor, else -1.
    void start(StmtHandle executed, Connection& connection, long long counted);
    bool fetchFromDriver();
    void advance();
    void close();
};

namespace {
// The tables schema under the names ADO gives its columns.
const char16_t* const schemaColumnNames[] = {u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"TABLE_TYPE",
                                             u"DESCRIPTION"};
const char16_t* const primaryKeyColumnNames[] = {u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"COLUMN_NAME",
                                                 u"ORDINAL", u"PK_NAME"};

bool countsRows(const Connection& connection) { return connection.CursorLocation == CursorLocationCode::Client; }

long long rowCount(const StmtHandle& stmt) {
    SQLLEN rows = -1;
    stmt.check(SQLRowCount(stmt.get(), &rows));
    return rows;
}

}

Recordset::Recordset() : d(std::make_unique<Impl>()) {}
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;

void Recordset::Open(const QString& sql, Connection& connection, int, int, Yield* whileRunning) {
    if (isOpen())
        throw DbError(QStringLiteral("Operation is not allowed when the object is open."));
    // A client-side result is read and counted inside these two calls.
    const bool counts = countsRows(connection);
    auto execute = [sql, counts](const StmtHandle& stmt) {
        // Terminated, not counted: MariaDB Connector/ODBC reads past a
        // given length when the text holds surrogate pairs (emoji), which
        // crashed the program on long statements.
        stmt.check(SQLExecDirectW(stmt.get(), const_cast<SQLWCHAR*>(wide(sql)), SQL_NTS));
        return counts ? rowCount(stmt) : -1LL;
    };
    if (!whileRunning) {
        StmtHandle stmt = connection.takeStatement();
        const long long counted = execute(stmt);
        d->start(std::move(stmt), connection, counted);
        return;
    }
    // The statement and the session it runs on belong to the call until it
    // returns; a call given up keeps them, and the connection is closed.
    struct Running {
        std::shared_ptr<void> session;
        StmtHandle stmt;
        long long counted = -1;
        ~Running() { stmt.reset(); }
    };
    auto running = std::make_shared<Running>();
    running->session = connection.session();
    running->stmt = connection.takeStatement();
    waitBounded({[running, execute] { running->counted = execute(running->stmt); }, connection.CommandTimeout,
                 whileRunning,
                 didNotAnswer(connection.serverDescription(), connection.CommandTimeout),
                 [&connection, running] {
                     // Asked first to give up; whether the driver does, the
                     // call keeps what it owns until it returns.
                     SQLCancel(running->stmt.get());
                     connection.Close();
                 }});
    d->start(std::move(running->stmt), connection, running->counted);
}

void Recordset::openTables(Connection& connection) {
    StmtHandle stmt = connection.takeStatement();
    stmt.check(SQLTablesW(stmt.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0));
    const long long counted = countsRows(connection) ? rowCount(stmt) : -1;
    d->start(std::move(stmt), connection, counted);
    for (size_t i = 0; i < d->fields.size() && i < std::size(schemaColumnNames); ++i)
        d->fields[i].Name = QString::fromUtf16(schemaColumnNames[i]);
}

void Recordset::openPrimaryKeys(Connection& connection, const QString& table) {
    StmtHandle stmt = connection.takeStatement();
    const std::u16string name = table.toStdU16String();
    stmt.check(SQLPrimaryKeysW(stmt.get(), nullptr, 0, nullptr, 0,
                               reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(name.c_str())), SQLSMALLINT(name.size())));
    d->start(std::move(stmt), connection, -1);
    for (size_t i = 0; i < d->fields.size() && i < std::size(primaryKeyColumnNames); ++i)
        d->fields[i].Name = QString::fromUtf16(primaryKeyColumnNames[i]);
}

void Recordset::openCatalogue(Connection& connection, int schema, const QString& table) {
    StmtHandle stmt = connection.takeStatement();
    std::u16string name = table.toStdU16String();
    auto* text = reinterpret_cast<SQLWCHAR*>(name.data());
    const auto length = SQLSMALLINT(name.size());
    if (schema == adSchemaColumns) {
        // The name is a pattern here: its _ and % are escaped to stand for themselves.
        std::u16string pattern;
        for (char16_t c : name) {
            if (c == u'_' || c == u'%' || c == u'\\')
                pattern += u'\\';
            pattern += c;
        }
        stmt.check(SQLColumnsW(stmt.get(), nullptr, 0, nullptr, 0, reinterpret_cast<SQLWCHAR*>(pattern.data()),
                               SQLSMALLINT(pattern.size()), nullptr, 0));
    } else if (schema == adSchemaIndexes) {
        stmt.check(SQLStatisticsW(stmt.get(), nullptr, 0, nullptr, 0, text, length, SQL_INDEX_ALL, SQL_QUICK));
    } else {
        stmt.check(SQLForeignKeysW(stmt.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, text, length));
    }
    d->start(std::move(stmt), connection, -1);
}

void Recordset::Impl::start(StmtHandle executed, Connection& connection, long long counted) {
    session = connection.session();
    stmt = std::move(executed);
    reader.setNarrowTextIsUtf8(connection.narrowTextIsUtf8());
    fields = reader.describe(stmt);
    if (fields.empty()) {
        connection.giveBackStatement(std::move(stmt));  // a statement without a result: nothing to read
        session.reset();
        return;
    }
    if (connection.BindsColumns)
        reader.bindColumns(stmt, fields, connection.getDataExtensions());
    open = true;
    recordCount = counted;
    buffering = countsRows(connection) && counted < 0;
    // A result whose first row cannot be read leaves the row set closed, so
    // the next Open on it works.
    try {
        if (buffering) {
            while (fetchFromDriver()) {
                std::vector<Value> row;
                row.reserve(fields.size());
                for (auto& f : fields)
                    row.push_back(std::move(f.Value));
                buffered.push_back(std::move(row));
            }
            recordCount = qsizetype(buffered.size());
        }
        advance();
    } catch (...) {
        close();
        throw;
    }
}

void Recordset::Impl::close() {
    stmt.reset();
    session.reset();
    fields.clear();
    buffered.clear();
    nextBuffered = 0;
    buffering = false;
    open = false;
    eof = true;
}

bool Recordset::Impl::fetchFromDriver() {
    SQLRETURN rc = SQLFetch(stmt.get());
    if (rc == SQL_NO_DATA)
        return false;
    stmt.check(rc);
    reader.readRow(stmt, fields);
    return true;
}

void Recordset::Impl::advance() {
    if (!buffering) {
        eof = !fetchFromDriver();
        return;
    }
    eof = nextBuffered == buffered.size();
    if (eof)
        return;
    std::vector<Value>& row = buffered[nextBuffered++];
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i].Value = std::move(row[i]);
    row = {};
}

void Recordset::Close() {
    if (!d->open)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    d->close();
}

bool Recordset::isOpen() const { return d->open; }

long long Recordset::RecordCount() const {
    if (!d->open)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    return d->recordCount;
}

bool Recordset::isEOF() const {
    if (!d->open)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    return d->eof;
}

void Recordset::MoveNext() {
    if (!d->open)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    if (d->eof)
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    d->advance();
}

void Recordset::swapValues(std::vector<Value>& values) {
    values.resize(d->fields.size());
    for (size_t i = 0; i < values.size(); ++i)
        std::swap(d->fields[i].Value, values[i]);
}

int Recordset::fieldCount() const { return int(d->fields.size()); }

const Field& Recordset::Fields(int index) const {
    if (index < 0 || index >= int(d->fields.size()))
        throw DbError(QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return d->fields[index];
}

const Field& Recordset::Fields(const QString& name) const {
    for (const auto& f : d->fields)
        if (f.Name.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    throw DbError(QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
}

}
