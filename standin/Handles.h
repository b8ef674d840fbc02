#pragma once
#include "Odbc.h"
#include <sqlite3.h>
#include <string>
#include <vector>

namespace standin {

// Every message of ours starts with this, so a user can tell the stand-in's
// messages from those of the driver manager or a real server.
inline constexpr const char* MessagePrefix = "[Tablewright][SQLite stand-in] ";

struct DiagRecord {
    std::string sqlState;
    int nativeError = 0;
    std::string message;  // with the prefix
};

// A failure inside an entry point; the C boundary turns it into a
// diagnostic record and SQL_ERROR.
struct Error {
    DiagRecord record;
    Error(std::string sqlState, const std::string& text, int nativeError = 0)
        : record{std::move(sqlState), nativeError, MessagePrefix + text} {}
};

// The SQLSTATE for a failed SQLite call, from its result code and message.
Error sqliteError(sqlite3* db, int rc);

class HandleBase {
public:
    explicit HandleBase(SQLSMALLINT type);
    virtual ~HandleBase();
    HandleBase(const HandleBase&) = delete;
    HandleBase& operator=(const HandleBase&) = delete;

    const SQLSMALLINT handleType;
    std::vector<DiagRecord> diagnostics;
    SQLRETURN lastReturn = SQL_SUCCESS;

    void warn(const std::string& sqlState, const std::string& text) {
        diagnostics.push_back({sqlState, 0, MessagePrefix + text});
    }
    // SQL_SUCCESS, or SQL_SUCCESS_WITH_INFO once a warning was recorded.
    SQLRETURN result() const { return diagnostics.empty() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO; }
};

// The live handles, so a stale or foreign pointer gives SQL_INVALID_HANDLE
// instead of a crash.
HandleBase* findHandle(SQLHANDLE handle, SQLSMALLINT type);

class Stmt;

class Env : public HandleBase {
public:
    Env() : HandleBase(SQL_HANDLE_ENV) {}
    SQLINTEGER odbcVersion = SQL_OV_ODBC3;
};

class Dbc : public HandleBase {
public:
    explicit Dbc(Env* env) : HandleBase(SQL_HANDLE_DBC), env(env) {}
    ~Dbc() override;

    Env* const env;
    sqlite3* db = nullptr;
    std::string dataSource;
    std::string databasePath;
    SQLUINTEGER loginTimeout = 0;
    bool autocommit = true;
    std::vector<Stmt*> statements;
    int busyTimeoutMs = -1;  // as last given to SQLite; set again only when it changes

    // Opens the data source's Database= file, which must exist.
    void connect(const std::string& dsn, const std::string& databaseOverride);
    void disconnect();
    bool connected() const { return db != nullptr; }
    sqlite3* requireDb() const;
    // With autocommit off, the first statement after a commit opens a transaction.
    void beginIfManual();
    void endTransaction(bool commit);
};

}
