#include "BareOdbc.h"
#include <stdexcept>
#include <string>

namespace bench {

QString diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
    SQLWCHAR state[6] = {}, message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRecW(type, handle, 1, state, &native, message, 1024, &length);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(message));
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what) {
    if (!SQL_SUCCEEDED(rc))
        throw std::runtime_error(std::string(what) + ": " + diagnostic(type, handle).toStdString());
}

BareOdbc::BareOdbc(const QString& connectString) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLSMALLINT outLength = 0;
    check(SQLDriverConnectW(dbc, nullptr, wide(connectString), SQLSMALLINT(connectString.size()), nullptr, 0, &outLength,
                            SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, dbc, "connect");
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_HANDLE_DBC, dbc, "statement");
}

BareOdbc::~BareOdbc() {
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}

void BareOdbc::run(const QString& sql) {
    check(SQLExecDirectW(stmt, wide(sql), SQLINTEGER(sql.size())), SQL_HANDLE_STMT, stmt, "statement");
}

void BareOdbc::manualCommit() {
    check(SQLSetConnectAttrW(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
          SQL_HANDLE_DBC, dbc, "transaction");
}

void BareOdbc::commit() { check(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT), SQL_HANDLE_DBC, dbc, "commit"); }

}
