#include "Handles.h"
#include "ServerFunctions.h"
#include "ExactNumbers.h"
#include "Statement.h"
#include "Moments.h"
#include "Structure.h"
#include <odbcinst.h>
#include <climits>
#include <mutex>
#include <unordered_set>

namespace standin {

namespace {

std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}

std::unordered_set<const HandleBase*>& registry() {
    static std::unordered_set<const HandleBase*> live;
    return live;
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}

HandleBase::HandleBase(SQLSMALLINT type) : handleType(type) {
    std::lock_guard lock(registryMutex());
    registry().insert(this);
}

HandleBase::~HandleBase() {
    std::lock_guard lock(registryMutex());
    registry().erase(this);
}

HandleBase* findHandle(SQLHANDLE handle, SQLSMALLINT type) {
    if (!handle)
        return nullptr;
    auto* h = static_cast<HandleBase*>(handle);
    std::lock_guard lock(registryMutex());
    if (!registry().count(h) || h->handleType != type)
        return nullptr;
    return h;
}

Error sqliteError(sqlite3* db, int rc) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    std::string state = "HY000";
    static const std::string notNull = "NOT NULL constraint failed: ";
    switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT:
        state = "23000";
        // SQL Anywhere's words and state for a NULL in a column that refuses it.
        if (rc == SQLITE_CONSTRAINT_NOTNULL && startsWith(message, notNull.c_str())) {
            const std::string where = message.substr(notNull.size());
            const size_t dot = where.rfind('.');
            state = "23502";
            message = "Column '" + where.substr(dot + 1) + "' in table '" + where.substr(0, dot) + "' cannot be NULL";
        } else if (rc == SQLITE_CONSTRAINT_PRIMARYKEY || rc == SQLITE_CONSTRAINT_UNIQUE) {
            message = duplicateKeyMessage(db, message, rc == SQLITE_CONSTRAINT_PRIMARYKEY);
        }
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        state = "HYT00";
        break;
    case SQLITE_TOOBIG:
        state = "22001";
        break;
    case SQLITE_INTERRUPT:
        // SQL Anywhere's words for a statement that SQLCancel stopped.
        state = "HY008";
        message = "Statement interrupted by user";
        break;
    case SQLITE_MISMATCH:
        state = "22018";
        break;
    case SQLITE_ERROR:
        if (startsWith(message, "Value ") && message.find(" out of range for destination") != std::string::npos)
            state = "22003";
        else if (startsWith(message, "Cannot convert "))
            state = "22018";
        else if (startsWith(message, "no such table") || startsWith(message, "no such view"))
            state = "42S02";
        else if (startsWith(message, "no such column"))
            state = "42S22";
        else if ((startsWith(message, "table ") || startsWith(message, "view ")) &&
                 message.find("already exists") != std::string::npos)
            state = "42S01";
        else if (startsWith(message, "index ") && message.find("already exists") != std::string::npos)
            state = "42S11";
        else if (message.find("syntax error") != std::string::npos ||
                 startsWith(message, "incomplete input") || startsWith(message, "unrecognized token"))
            state = "42000";
        break;
    }
    return Error(state, message, rc);
}

Dbc::~Dbc() { disconnect(); }

sqlite3* Dbc::requireDb() const {
    if (!db)
        throw Error("08003", "connection not open");
    return db;
}

void Dbc::connect(const std::string& dsn, const std::string& databaseOverride) {
    if (db)
        throw Error("08002", "connection name in use");
    std::string path = databaseOverride;
    if (path.empty() && !dsn.empty()) {
        char buffer[4096] = "";
        SQLGetPrivateProfileString(dsn.c_str(), "Database", "", buffer, int(sizeof buffer), "odbc.ini");
        path = buffer;
    }
    if (path.empty())
        throw Error("08001", "the data source \"" + dsn + "\" names no Database file");

    // No SQLITE_OPEN_CREATE: a mistyped path must fail, not leave an empty database behind.
    sqlite3* handle = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc);
        sqlite3_close(handle);
        throw Error("08001", message + ": " + path, rc);
    }
    sqlite3_extended_result_codes(handle, 1);
    registerColumnRuleFunctions(handle);
    registerMomentFunction(handle);
    registerServerFunctions(handle);
    registerStructureFunctions(handle);
    sqlite3_busy_timeout(handle, loginTimeout > 0 && loginTimeout < INT_MAX / 1000 ? int(loginTimeout * 1000) : 15000);
    char* failure = nullptr;
    rc = sqlite3_exec(handle, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, &failure);
    if (rc != SQLITE_OK) {
        const std::string message = failure ? failure : sqlite3_errmsg(handle);
        sqlite3_free(failure);
        sqlite3_close(handle);
        throw Error("08001", message + ": " + path, rc);
    }
    db = handle;
    dataSource = dsn;
    databasePath = path;
}

void Dbc::beginIfManual() {
    sqlite3* handle = requireDb();
    if (autocommit || !sqlite3_get_autocommit(handle))
        return;
    if (const int rc = sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr); rc != SQLITE_OK)
        throw sqliteError(handle, rc);
}

void Dbc::endTransaction(bool commit) {
    sqlite3* handle = requireDb();
    if (sqlite3_get_autocommit(handle))
        return;
    if (const int rc = sqlite3_exec(handle, commit ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
        rc != SQLITE_OK)
        throw sqliteError(handle, rc);
}

void Dbc::disconnect() {
    while (!statements.empty())
        delete statements.back();
    if (db)
        sqlite3_close_v2(db);
    db = nullptr;
}

}
