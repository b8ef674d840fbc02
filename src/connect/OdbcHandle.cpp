#include "connect/OdbcHandle.h"
#include "connect/DbError.h"
#include <vector>

namespace tw {

void checkOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle) {
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA)
        return;
    if (rc == SQL_INVALID_HANDLE)
        throw DbError(QStringLiteral("Invalid ODBC handle"));
    std::vector<DiagRecord> records;
    if (handle != SQL_NULL_HANDLE) {
        for (SQLSMALLINT i = 1;; ++i) {
            SQLWCHAR state[6] = {};
            SQLINTEGER native = 0;
            SQLSMALLINT length = 0;
            std::vector<SQLWCHAR> text(1024);
            SQLRETURN r = SQLGetDiagRecW(handleType, handle, i, state, &native, text.data(),
                                         SQLSMALLINT(text.size()), &length);
            if (r == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
                text.resize(length + 1);
                r = SQLGetDiagRecW(handleType, handle, i, state, &native, text.data(),
                                   SQLSMALLINT(text.size()), &length);
            }
            if (!SQL_SUCCEEDED(r))
                break;
            records.push_back({fromWide(state, 5), int(native),
                               fromWide(text.data(), std::min<qsizetype>(length, text.size() - 1))});
        }
    }
    if (records.empty())
        records.push_back({QStringLiteral("HY000"), 0,
                           QStringLiteral("The ODBC call failed without a diagnostic (code %1)").arg(rc)});
    throw DbError(std::move(records));
}

// Never freed: a driver call the program stopped waiting for may still run
// on it while the process ends.
SQLHENV odbcEnvironment() {
    static EnvHandle* env = [] {
        auto* h = new EnvHandle(SQL_NULL_HANDLE);
        h->check(SQLSetEnvAttr(h->get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
        return h;
    }();
    return env->get();
}

}
