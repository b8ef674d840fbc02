#pragma once
#include <QString>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace bench {

// The first diagnostic record's message.
QString diagnostic(SQLSMALLINT type, SQLHANDLE handle);
// Throws the diagnostic, named by what, unless rc succeeded.
void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what);
inline SQLWCHAR* wide(const QString& s) { return reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(s.utf16())); }

// One connection with one statement handle, by plain ODBC and nothing of
// the program's: what a driver does without our layer.
class BareOdbc {
public:
    explicit BareOdbc(const QString& connectString);
    ~BareOdbc();
    BareOdbc(const BareOdbc&) = delete;
    BareOdbc& operator=(const BareOdbc&) = delete;

    void run(const QString& sql);
    void manualCommit();
    void commit();

    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
};

}
