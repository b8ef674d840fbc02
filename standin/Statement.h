#pragma once
#include "CatalogueQueries.h"
#include "Columns.h"
#include "Handles.h"
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace standin {

// One value of SQLColAttribute: text, or a number.
using Attribute = std::variant<std::string, SQLLEN>;

class Stmt : public HandleBase {
public:
    explicit Stmt(Dbc* dbc);
    ~Stmt() override;

    Dbc* const dbc;
    SQLULEN queryTimeout = 0;  // seconds; 0 waits as long as it takes

    // iAnywhere SQL, translated for SQLite; several statements may follow
    // one another, the last one's result is the statement's result.
    void prepare(const std::string& sql);
    void execute();
    // The tables schema; a pattern or type list left out matches everything.
    void tables(const std::optional<std::string>& namePattern, const std::optional<std::string>& tableTypes);
    // The primary key's columns of one table, in the key's order.
    void primaryKeys(const std::string& table);
    // SQLColumns, SQLStatistics and SQLForeignKeys: a catalogue query's result.
    void catalogue(const CatalogueQuery& query);

    SQLSMALLINT columnCount() const { return SQLSMALLINT(m_columns.size()); }
    const ColumnInfo& column(SQLUSMALLINT number) const;  // 1-based
    Attribute columnAttribute(SQLUSMALLINT number, SQLUSMALLINT field) const;
    SQLRETURN fetch();
    SQLRETURN getData(SQLUSMALLINT number, SQLSMALLINT cType, SQLPOINTER target, SQLLEN bufferLength,
                      SQLLEN* indicator);
    SQLLEN rowCount();
    bool cursorOpen() const { return m_cursorOpen; }

    // Parameters bound with SQLBindParameter: their values are read when
    // the statement runs; those marked data-at-execution come in pieces
    // through SQLParamData and SQLPutData first.
    struct BoundParameter {
        SQLSMALLINT cType;
        SQLPOINTER value;
        SQLLEN* indicator;
        SQLLEN bufferLength = 0;  // the stride of a column-wise array
    };
    // Arrays of parameters: the statement runs once for each set of
    // values, in order, and stops at the first one refused.
    SQLULEN parameterSets = 1;
    SQLULEN parameterBindType = SQL_PARAM_BIND_BY_COLUMN;  // else the size of one row-wise set
    SQLUSMALLINT* parameterStatus = nullptr;
    SQLULEN* parametersProcessed = nullptr;
    void bindParameter(SQLUSMALLINT number, const BoundParameter& parameter);
    void resetParameters() { m_bound.clear(); }
    SQLRETURN executeWithParameters();  // SQL_NEED_DATA while pieces are due
    SQLRETURN paramData(SQLPOINTER* token);
    void putData(SQLPOINTER data, SQLLEN length);
    void closeCursor();
    void finalize();

    // Columns bound with SQLBindCol: each fetch writes their values, as
    // SQLGetData would, and SQLGetData may read them again afterwards.
    struct BoundColumn {
        SQLSMALLINT cType = 0;
        SQLPOINTER target = nullptr;  // null: not bound
        SQLLEN length = 0;
        SQLLEN* indicator = nullptr;
    };
    void bindColumn(SQLUSMALLINT number, const BoundColumn& column);
    void unbindColumns() { m_boundColumns.clear(); }

private:
    // What SQLGetData has handed out of one column of the current row.
    struct Piece {
        bool started = false;
        bool finished = false;
        std::string bytes;
        std::u16string wide;
        size_t offset = 0;
    };

    void load(std::string text);
    sqlite3_stmt* prepareAt(size_t from);
    void bindParameters(sqlite3_stmt* stmt) const;
    struct SetValue {
        char* value;
        SQLLEN length;  // the indicator's word: a length, SQL_NTS, SQL_NULL_DATA or data at execution
    };
    SetValue valueOf(size_t k, SQLULEN set) const;  // of the parameter numbered k + 1
    // The values of one set of an array of parameters; false when one comes in pieces.
    bool loadParameterSet(SQLULEN set);
    void bindParameterSet(SQLULEN set);
    void prepareToRun();
    SQLRETURN executeParameterSets();
    void describe();
    long long countRows();
    bool wholeTextInto(int index, SQLSMALLINT cType, SQLPOINTER target, SQLLEN bufferLength, SQLLEN* indicator) const;
    std::string textOf(int index, int storage) const;
    std::string storedText(int index, int storage) const;
    SQLRETURN getPieces(Piece& piece, int index, int storage, SQLSMALLINT cType, SQLPOINTER target,
                        SQLLEN bufferLength, SQLLEN* indicator);

    std::string m_text;
    sqlite3_stmt* m_stmt = nullptr;
    size_t m_begin = 0;  // where m_stmt's text starts in m_text
    size_t m_rest = 0;   // where the statements after it start
    bool m_ranAhead = false;  // m_stmt is a later statement of m_text
    bool m_changesRows = false;  // m_stmt inserts, updates or deletes: its count is the row count
    bool m_prepared = false;
    std::vector<std::optional<std::string>> m_parameters;
    std::vector<bool> m_binaryParameters;  // bound as blobs
    std::vector<BoundParameter> m_bound;   // by number less one; cType 0 where none is bound
    std::vector<SQLUSMALLINT> m_dueData;   // numbers of parameters whose data is still to come
    size_t m_nextDue = 0;
    SQLUSMALLINT m_receiving = 0;          // the parameter SQLPutData fills
    SQLRETURN fillBoundColumns();
    std::vector<BoundColumn> m_boundColumns;  // by number less one
    std::vector<ColumnInfo> m_fixedColumns;
    std::vector<ColumnInfo> m_columns;

    bool m_cursorOpen = false;
    bool m_pending = false;  // the first row is stepped to but not fetched yet
    bool m_onRow = false;
    bool m_done = false;
    long long m_produced = 0;
    std::optional<long long> m_total;
    SQLLEN m_rowCount = -1;
    std::vector<Piece> m_pieces;
};

}
