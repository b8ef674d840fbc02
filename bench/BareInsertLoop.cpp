#include "BareInsertLoop.h"
#include "ProcessUsage.h"
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#include <chrono>
#include <stdexcept>

namespace bench {

namespace {
void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what) {
    if (SQL_SUCCEEDED(rc))
        return;
    SQLWCHAR state[6] = {}, message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRecW(type, handle, 1, state, &native, message, 1024, &length);
    throw std::runtime_error(std::string(what) + ": " +
                             QString::fromUtf16(reinterpret_cast<const char16_t*>(message)).toStdString());
}

SQLWCHAR* wide(const QString& s) { return reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(s.utf16())); }
}

long long runBareInserts(const QString& connectString, const QString& createTable, RecordedInserts& inserts,
                         double& seconds, double& cpu, int rowsPerInsert) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLSMALLINT outLength = 0;
    check(SQLDriverConnectW(dbc, nullptr, wide(connectString), SQLSMALLINT(connectString.size()), nullptr, 0,
                            &outLength, SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, dbc, "connect");
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_HANDLE_DBC, dbc, "statement");
    check(SQLExecDirectW(stmt, wide(createTable), SQLINTEGER(createTable.size())), SQL_HANDLE_STMT, stmt, "create");

    long long sent = 0;
    const char16_t* text = nullptr;
    int length = 0;
    const double cpuBefore = bench::cpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    auto execute = [&](const char16_t* sql, int sqlLength) {
        check(SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(sql)), sqlLength),
              SQL_HANDLE_STMT, stmt, "insert");
    };
    if (rowsPerInsert > 1)
        check(SQLSetConnectAttrW(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
              SQL_HANDLE_DBC, dbc, "transaction");
    QString batch;
    int inBatch = 0;
    auto flush = [&] {
        batch += u')';
        execute(reinterpret_cast<const char16_t*>(batch.utf16()), int(batch.size()));
        batch.clear();
        inBatch = 0;
    };
    while (inserts.next(text, length)) {
        ++sent;
        if (rowsPerInsert <= 1) {
            execute(text, length);
            continue;
        }
        // "INSERT INTO t VALUES(1, 'a')": the first row whole but its ")",
        // the others from their values on.
        const QStringView insert(text, length - 1);
        if (inBatch == 0) {
            batch += insert;
        } else {
            batch += u"),(";
            batch += insert.sliced(insert.indexOf(u"VALUES(") + 7);
        }
        if (++inBatch == rowsPerInsert)
            flush();
    }
    if (inBatch > 0)
        flush();
    if (rowsPerInsert > 1)
        check(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_HANDLE_DBC, dbc, "commit");
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    cpu = bench::cpuSeconds() - cpuBefore;

    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return sent;
}

}
