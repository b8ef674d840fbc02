// The C entry points unixODBC calls. Each one checks its handle, then runs
// the C++ work inside guarded(), which turns any exception into a diagnostic
// record and SQL_ERROR: nothing is thrown across this boundary.
#include "Handles.h"
#include "Statement.h"
#include "Text.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <string_view>

using namespace standin;

namespace {

SQLRETURN fail(HandleBase& h, DiagRecord record) noexcept {
    try {
        h.diagnostics.push_back(std::move(record));
    } catch (...) {
        // Out of memory while reporting: the return code still tells.
    }
    return SQL_ERROR;
}

template <class H, class Body>
SQLRETURN guarded(SQLHANDLE handle, SQLSMALLINT type, Body&& body) noexcept {
    auto* h = static_cast<H*>(findHandle(handle, type));
    if (!h)
        return SQL_INVALID_HANDLE;
    h->diagnostics.clear();
    SQLRETURN rc;
    try {
        rc = body(*h);
    } catch (const Error& e) {
        rc = fail(*h, e.record);
    } catch (const std::bad_alloc&) {
        rc = fail(*h, {"HY001", 0, std::string(MessagePrefix) + "memory allocation error"});
    } catch (const std::exception& e) {
        rc = fail(*h, {"HY000", 0, std::string(MessagePrefix) + e.what()});
    } catch (...) {
        rc = fail(*h, {"HY000", 0, std::string(MessagePrefix) + "unexpected failure"});
    }
    h->lastReturn = rc;
    return rc;
}

template <class Body>
SQLRETURN onEnv(SQLHANDLE h, Body&& body) noexcept { return guarded<Env>(h, SQL_HANDLE_ENV, body); }
template <class Body>
SQLRETURN onDbc(SQLHANDLE h, Body&& body) noexcept { return guarded<Dbc>(h, SQL_HANDLE_DBC, body); }
template <class Body>
SQLRETURN onStmt(SQLHANDLE h, Body&& body) noexcept { return guarded<Stmt>(h, SQL_HANDLE_STMT, body); }

// DSN=name;DATABASE=path;... with {braced} values; keys in upper case.
std::map<std::string, std::string> parseConnectionString(const std::string& s) {
    std::map<std::string, std::string> out;
    size_t i = 0;
    auto trim = [](std::string v) {
        const size_t a = v.find_first_not_of(" \t");
        const size_t b = v.find_last_not_of(" \t");
        return a == std::string::npos ? std::string() : v.substr(a, b - a + 1);
    };
    while (i < s.size()) {
        const size_t eq = s.find('=', i);
        if (eq == std::string::npos)
            break;
        std::string key = trim(s.substr(i, eq - i));
        for (char& c : key)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        size_t j = eq + 1;
        while (j < s.size() && s[j] == ' ')
            ++j;
        std::string value;
        if (j < s.size() && s[j] == '{') {
            ++j;
            while (j < s.size()) {
                if (s[j] == '}') {
                    if (j + 1 < s.size() && s[j + 1] == '}') {
                        value += '}';
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += s[j++];
            }
            const size_t semi = s.find(';', j);
            j = semi == std::string::npos ? s.size() : semi + 1;
        } else {
            const size_t semi = s.find(';', j);
            value = trim(s.substr(j, semi == std::string::npos ? std::string::npos : semi - j));
            j = semi == std::string::npos ? s.size() : semi + 1;
        }
        if (!key.empty() && !out.count(key))
            out[key] = value;
        i = j;
    }
    return out;
}

// Text at the entry points: the W functions speak UTF-16, the narrow ones
// the client's UTF-8, which is what the driver keeps inside.
struct Wide {
    using Char = SQLWCHAR;
    static std::string in(const SQLWCHAR* text, SQLLEN length) { return utf8FromWide(text, length); }
    template <class Len>
    static bool out(std::string_view utf8, SQLPOINTER buffer, SQLLEN capacity, Unit unit, Len* length) {
        return putWide(utf8, buffer, capacity, unit, length);
    }
};
struct Narrow {
    using Char = SQLCHAR;
    static std::string in(const SQLCHAR* text, SQLLEN length) { return utf8FromNarrow(text, length); }
    // Narrow lengths count bytes, whether ODBC speaks of characters or bytes.
    template <class Len>
    static bool out(std::string_view utf8, SQLPOINTER buffer, SQLLEN capacity, Unit, Len* length) {
        return putNarrow(utf8, buffer, capacity, length);
    }
};

template <class Text>
std::optional<std::string> optionalText(const typename Text::Char* text, SQLSMALLINT length) {
    if (!text)
        return std::nullopt;
    return Text::in(text, length);
}

SQLRETURN setConnectAttr(Dbc& dbc, SQLINTEGER attribute, SQLPOINTER value) {
    const auto number = static_cast<SQLUINTEGER>(reinterpret_cast<std::uintptr_t>(value));
    switch (attribute) {
    case SQL_ATTR_LOGIN_TIMEOUT:
        dbc.loginTimeout = number;
        break;
    case SQL_ATTR_AUTOCOMMIT:
        if (number == SQL_AUTOCOMMIT_ON && dbc.connected())
            dbc.endTransaction(true);
        dbc.autocommit = number == SQL_AUTOCOMMIT_ON;
        break;
    default:
        break;  // accepted and without effect on a file database
    }
    return dbc.result();
}

template <class T, class Length>
void putNumber(SQLPOINTER target, T value, Length* length) {
    if (target)
        std::memcpy(target, &value, sizeof value);
    if (length)
        *length = Length(sizeof value);
}

// The functions this driver exports, for SQLGetFunctions.
constexpr SQLUSMALLINT Supported[] = {
    SQL_API_SQLALLOCHANDLE, SQL_API_SQLFREEHANDLE, SQL_API_SQLSETENVATTR, SQL_API_SQLCONNECT,
    SQL_API_SQLDRIVERCONNECT, SQL_API_SQLDISCONNECT, SQL_API_SQLSETCONNECTATTR, SQL_API_SQLGETCONNECTATTR,
    SQL_API_SQLGETINFO, SQL_API_SQLGETFUNCTIONS, SQL_API_SQLSETSTMTATTR, SQL_API_SQLGETSTMTATTR,
    SQL_API_SQLEXECDIRECT, SQL_API_SQLPREPARE, SQL_API_SQLEXECUTE, SQL_API_SQLTABLES, SQL_API_SQLNUMRESULTCOLS,
    SQL_API_SQLDESCRIBECOL, SQL_API_SQLCOLATTRIBUTE, SQL_API_SQLFETCH, SQL_API_SQLBINDCOL, SQL_API_SQLGETDATA, SQL_API_SQLROWCOUNT,
    SQL_API_SQLFREESTMT, SQL_API_SQLCLOSECURSOR, SQL_API_SQLMORERESULTS, SQL_API_SQLGETDIAGREC,
    SQL_API_SQLGETDIAGFIELD, SQL_API_SQLENDTRAN, SQL_API_SQLBINDPARAMETER, SQL_API_SQLPARAMDATA, SQL_API_SQLPUTDATA,
    SQL_API_SQLCANCEL, SQL_API_SQLPRIMARYKEYS, SQL_API_SQLCOLUMNS, SQL_API_SQLSTATISTICS, SQL_API_SQLFOREIGNKEYS};

}

TW_EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    if (type == SQL_HANDLE_ENV) {
        if (!output)
            return SQL_ERROR;
        *output = SQL_NULL_HANDLE;
        try {
            *output = static_cast<HandleBase*>(new Env);
            return SQL_SUCCESS;
        } catch (...) {
            return SQL_ERROR;
        }
    }
    if (type == SQL_HANDLE_DBC)
        return onEnv(input, [&](Env& env) -> SQLRETURN {
            if (!output)
                throw Error("HY009", "invalid use of null pointer");
            *output = static_cast<HandleBase*>(new Dbc(&env));
            return SQL_SUCCESS;
        });
    if (type == SQL_HANDLE_STMT)
        return onDbc(input, [&](Dbc& dbc) -> SQLRETURN {
            if (!output)
                throw Error("HY009", "invalid use of null pointer");
            dbc.requireDb();
            *output = static_cast<HandleBase*>(new Stmt(&dbc));
            return SQL_SUCCESS;
        });
    if (type == SQL_HANDLE_DESC)
        return onDbc(input, [&](Dbc&) -> SQLRETURN {
            throw Error("HYC00", "explicit descriptors are not supported");
        });
    return SQL_ERROR;
}

TW_EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    HandleBase* h = findHandle(handle, type);
    if (!h)
        return SQL_INVALID_HANDLE;
    try {
        delete h;  // a connection closes its database and statements first
    } catch (...) {
        return SQL_ERROR;
    }
    return SQL_SUCCESS;
}

TW_EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    return onEnv(handle, [&](Env& env) -> SQLRETURN {
        if (attribute == SQL_ATTR_ODBC_VERSION)
            env.odbcVersion = static_cast<SQLINTEGER>(reinterpret_cast<std::intptr_t>(value));
        return SQL_SUCCESS;
    });
}

template <class Text>
SQLRETURN connectText(SQLHDBC handle, typename Text::Char* server, SQLSMALLINT serverLength) {
    return onDbc(handle, [&](Dbc& dbc) -> SQLRETURN {
        dbc.connect(Text::in(server, serverLength), {});
        return dbc.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLConnectW(SQLHDBC handle, SQLWCHAR* server, SQLSMALLINT serverLength, SQLWCHAR*,
                                        SQLSMALLINT, SQLWCHAR*, SQLSMALLINT) {
    return connectText<Wide>(handle, server, serverLength);
}

TW_EXPORT SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR* server, SQLSMALLINT serverLength, SQLCHAR*, SQLSMALLINT,
                                       SQLCHAR*, SQLSMALLINT) {
    return connectText<Narrow>(handle, server, serverLength);
}

template <class Text>
SQLRETURN driverConnectText(SQLHDBC handle, typename Text::Char* in, SQLSMALLINT inLength, typename Text::Char* out,
                            SQLSMALLINT outCapacity, SQLSMALLINT* outLength) {
    return onDbc(handle, [&](Dbc& dbc) -> SQLRETURN {
        const std::string text = Text::in(in, inLength);
        const auto attributes = parseConnectionString(text);
        const auto dsn = attributes.find("DSN");
        const auto database = attributes.find("DATABASE");
        if (dsn == attributes.end() && database == attributes.end())
            throw Error("08001", "the connection string names no data source (DSN=)");
        dbc.connect(dsn == attributes.end() ? std::string() : dsn->second,
                    database == attributes.end() ? std::string() : database->second);
        if (Text::out(text, out, outCapacity, Unit::Chars, outLength))
            dbc.warn("01004", "string data, right truncated");
        return dbc.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC handle, SQLHWND, SQLWCHAR* in, SQLSMALLINT inLength,
                                              SQLWCHAR* out, SQLSMALLINT outCapacity, SQLSMALLINT* outLength,
                                              SQLUSMALLINT) {
    return driverConnectText<Wide>(handle, in, inLength, out, outCapacity, outLength);
}

TW_EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength, SQLCHAR* out,
                                             SQLSMALLINT outCapacity, SQLSMALLINT* outLength, SQLUSMALLINT) {
    return driverConnectText<Narrow>(handle, in, inLength, out, outCapacity, outLength);
}

TW_EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
    return onDbc(handle, [&](Dbc& dbc) -> SQLRETURN {
        dbc.requireDb();
        dbc.disconnect();
        return SQL_SUCCESS;
    });
}

// The driver manager replays a login timeout set before connecting through
// the narrow function, so both exist; no attribute of ours takes text.
TW_EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    return onDbc(handle, [&](Dbc& dbc) -> SQLRETURN { return setConnectAttr(dbc, attribute, value); });
}

TW_EXPORT SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    return onDbc(handle, [&](Dbc& dbc) -> SQLRETURN { return setConnectAttr(dbc, attribute, value); });
}

TW_EXPORT SQLRETURN SQL_API SQLGetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                               SQLINTEGER, SQLINTEGER* length) {
    return onDbc(handle, [&](Dbc& dbc) -> SQLRETURN {
        SQLUINTEGER number;
        switch (attribute) {
        case SQL_ATTR_AUTOCOMMIT:
            number = dbc.autocommit ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF;
            break;
        case SQL_ATTR_LOGIN_TIMEOUT:
            number = dbc.loginTimeout;
            break;
        case SQL_ATTR_CONNECTION_DEAD:
            number = dbc.connected() ? SQL_CD_FALSE : SQL_CD_TRUE;
            break;
        case SQL_ATTR_ACCESS_MODE:
            number = SQL_MODE_READ_WRITE;
            break;
        case SQL_ATTR_TXN_ISOLATION:
            number = SQL_TXN_SERIALIZABLE;
            break;
        default:
            throw Error("HY092", "invalid attribute " + std::to_string(attribute));
        }
        putNumber(value, number, length);
        return SQL_SUCCESS;
    });
}

// No text in these attributes: the narrow function is the same.
TW_EXPORT SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                              SQLINTEGER bufferLength, SQLINTEGER* length) {
    return SQLGetConnectAttrW(handle, attribute, value, bufferLength, length);
}

TW_EXPORT SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
    if (type == SQL_HANDLE_ENV)
        return onEnv(handle, [&](Env&) -> SQLRETURN { return SQL_SUCCESS; });
    return onDbc(handle, [&](Dbc& dbc) -> SQLRETURN {
        dbc.endTransaction(completion == SQL_COMMIT);
        return SQL_SUCCESS;
    });
}

template <class Text>
SQLRETURN getInfoText(SQLHDBC handle, SQLUSMALLINT info, SQLPOINTER value, SQLSMALLINT capacity, SQLSMALLINT* length) {
    return onDbc(handle, [&](Dbc& dbc) -> SQLRETURN {
        auto text = [&](const std::string& s) -> SQLRETURN {
            if (Text::out(s, value, capacity, Unit::Bytes, length))
                dbc.warn("01004", "string data, right truncated");
            return dbc.result();
        };
        auto small = [&](SQLUSMALLINT n) -> SQLRETURN {
            putNumber(value, n, length);
            return SQL_SUCCESS;
        };
        auto big = [&](SQLUINTEGER n) -> SQLRETURN {
            putNumber(value, n, length);
            return SQL_SUCCESS;
        };
        switch (info) {
        case SQL_DRIVER_NAME:
            return text("libtablewright_standin.so");
        case SQL_DRIVER_VER:
            return text("01.00.0000");
        case SQL_DRIVER_ODBC_VER:
            return text("03.00");
        case SQL_DBMS_NAME:
            return text("SQLite (Tablewright stand-in for SQL Anywhere)");
        case SQL_DBMS_VER:
            return text(sqlite3_libversion());
        case SQL_DATA_SOURCE_NAME:
            return text(dbc.dataSource);
        case SQL_DATABASE_NAME:
            return text(dbc.databasePath);
        case SQL_SERVER_NAME:
        case SQL_USER_NAME:
        case SQL_CATALOG_NAME_SEPARATOR:
        case SQL_CATALOG_TERM:
        case SQL_SCHEMA_TERM:
        case SQL_KEYWORDS:
            return text("");
        case SQL_IDENTIFIER_QUOTE_CHAR:
            return text("\"");
        case SQL_SEARCH_PATTERN_ESCAPE:
            return text("\\");
        case SQL_TABLE_TERM:
            return text("table");
        case SQL_DATA_SOURCE_READ_ONLY:
        case SQL_CATALOG_NAME:
        case SQL_MULT_RESULT_SETS:
        case SQL_NEED_LONG_DATA_LEN:
        case SQL_PROCEDURES:
            return text("N");
        case SQL_ACCESSIBLE_TABLES:
        case SQL_COLUMN_ALIAS:
        case SQL_LIKE_ESCAPE_CLAUSE:
            return text("Y");
        case SQL_MAX_DRIVER_CONNECTIONS:
        case SQL_MAX_CONCURRENT_ACTIVITIES:
        case SQL_MAX_CATALOG_NAME_LEN:
        case SQL_MAX_SCHEMA_NAME_LEN:
        case SQL_MAX_CURSOR_NAME_LEN:
            return small(0);
        case SQL_MAX_COLUMN_NAME_LEN:
        case SQL_MAX_TABLE_NAME_LEN:
            return small(128);
        case SQL_TXN_CAPABLE:
            return small(SQL_TC_DDL_COMMIT);
        case SQL_CURSOR_COMMIT_BEHAVIOR:
        case SQL_CURSOR_ROLLBACK_BEHAVIOR:
            return small(SQL_CB_PRESERVE);
        case SQL_IDENTIFIER_CASE:
        case SQL_QUOTED_IDENTIFIER_CASE:
            return small(SQL_IC_MIXED);
        case SQL_GETDATA_EXTENSIONS:
            return big(SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND);
        case SQL_SCROLL_OPTIONS:
            return big(SQL_SO_FORWARD_ONLY);
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1:
            return big(SQL_CA1_NEXT);
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2:
            return big(SQL_CA2_READ_ONLY_CONCURRENCY);
        case SQL_STATIC_CURSOR_ATTRIBUTES1:
        case SQL_STATIC_CURSOR_ATTRIBUTES2:
        case SQL_KEYSET_CURSOR_ATTRIBUTES1:
        case SQL_KEYSET_CURSOR_ATTRIBUTES2:
        case SQL_DYNAMIC_CURSOR_ATTRIBUTES1:
        case SQL_DYNAMIC_CURSOR_ATTRIBUTES2:
        case SQL_CATALOG_USAGE:
        case SQL_SCHEMA_USAGE:
        case SQL_MAX_ASYNC_CONCURRENT_STATEMENTS:
            return big(0);
        case SQL_DEFAULT_TXN_ISOLATION:
        case SQL_TXN_ISOLATION_OPTION:
            return big(SQL_TXN_SERIALIZABLE);
        case SQL_ODBC_INTERFACE_CONFORMANCE:
            return big(SQL_OIC_CORE);
        case SQL_ASYNC_MODE:
            return big(SQL_AM_NONE);
        default:
            throw Error("HY096", "information type " + std::to_string(info) + " is not supported");
        }
    });
}

TW_EXPORT SQLRETURN SQL_API SQLGetInfoW(SQLHDBC handle, SQLUSMALLINT info, SQLPOINTER value, SQLSMALLINT capacity,
                                        SQLSMALLINT* length) {
    return getInfoText<Wide>(handle, info, value, capacity, length);
}

TW_EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT info, SQLPOINTER value, SQLSMALLINT capacity,
                                       SQLSMALLINT* length) {
    return getInfoText<Narrow>(handle, info, value, capacity, length);
}

TW_EXPORT SQLRETURN SQL_API SQLGetFunctions(SQLHDBC handle, SQLUSMALLINT function, SQLUSMALLINT* supported) {
    return onDbc(handle, [&](Dbc&) -> SQLRETURN {
        if (!supported)
            throw Error("HY009", "invalid use of null pointer");
        if (function == SQL_API_ODBC3_ALL_FUNCTIONS) {
            std::fill(supported, supported + SQL_API_ODBC3_ALL_FUNCTIONS_SIZE, SQLUSMALLINT(0));
            for (SQLUSMALLINT f : Supported)
                supported[f >> 4] |= SQLUSMALLINT(1 << (f & 0xF));
        } else if (function == SQL_API_ALL_FUNCTIONS) {
            std::fill(supported, supported + 100, SQLUSMALLINT(0));
            for (SQLUSMALLINT f : Supported)
                if (f < 100)
                    supported[f] = SQL_TRUE;
        } else {
            *supported = std::find(std::begin(Supported), std::end(Supported), function) != std::end(Supported)
                             ? SQL_TRUE
                             : SQL_FALSE;
        }
        return SQL_SUCCESS;
    });
}

TW_EXPORT SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        const auto number = static_cast<SQLULEN>(reinterpret_cast<std::uintptr_t>(value));
        switch (attribute) {
        case SQL_ATTR_QUERY_TIMEOUT:
            stmt.queryTimeout = number;
            break;
        case SQL_ATTR_CURSOR_TYPE:
            if (number != SQL_CURSOR_FORWARD_ONLY)
                stmt.warn("01S02", "option value changed: the cursor is forward-only");
            break;
        case SQL_ATTR_CONCURRENCY:
            if (number != SQL_CONCUR_READ_ONLY)
                stmt.warn("01S02", "option value changed: the cursor is read-only");
            break;
        case SQL_ATTR_ROW_ARRAY_SIZE:
            if (number != 1)
                stmt.warn("01S02", "option value changed: one row is fetched at a time");
            break;
        case SQL_ATTR_PARAMSET_SIZE:
            if (number == 0)
                throw Error("HY024", "invalid attribute value: an array of parameters holds at least one set");
            stmt.parameterSets = number;
            break;
        case SQL_ATTR_PARAM_BIND_TYPE:
            stmt.parameterBindType = number;
            break;
        case SQL_ATTR_PARAM_STATUS_PTR:
            stmt.parameterStatus = static_cast<SQLUSMALLINT*>(value);
            break;
        case SQL_ATTR_PARAMS_PROCESSED_PTR:
            stmt.parametersProcessed = static_cast<SQLULEN*>(value);
            break;
        default:
            break;
        }
        return stmt.result();
    });
}

// No text in these attributes: the narrow function is the same.
TW_EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                                           SQLINTEGER bufferLength) {
    return SQLSetStmtAttrW(handle, attribute, value, bufferLength);
}

TW_EXPORT SQLRETURN SQL_API SQLGetStmtAttrW(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                            SQLINTEGER* length) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        SQLULEN number;
        switch (attribute) {
        case SQL_ATTR_QUERY_TIMEOUT:
            number = stmt.queryTimeout;
            break;
        case SQL_ATTR_CURSOR_TYPE:
            number = SQL_CURSOR_FORWARD_ONLY;
            break;
        case SQL_ATTR_CONCURRENCY:
            number = SQL_CONCUR_READ_ONLY;
            break;
        case SQL_ATTR_ROW_ARRAY_SIZE:
            number = 1;
            break;
        case SQL_ATTR_PARAMSET_SIZE:
            number = stmt.parameterSets;
            break;
        case SQL_ATTR_PARAM_BIND_TYPE:
            number = stmt.parameterBindType;
            break;
        case SQL_ATTR_PARAM_STATUS_PTR:
            number = reinterpret_cast<std::uintptr_t>(stmt.parameterStatus);
            break;
        case SQL_ATTR_PARAMS_PROCESSED_PTR:
            number = reinterpret_cast<std::uintptr_t>(stmt.parametersProcessed);
            break;
        default:
            // Descriptors among them: the driver manager keeps its own.
            throw Error("HY092", "invalid attribute " + std::to_string(attribute));
        }
        putNumber(value, number, length);
        return SQL_SUCCESS;
    });
}

// No text in these attributes: the narrow function is the same.
TW_EXPORT SQLRETURN SQL_API SQLGetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value,
                                           SQLINTEGER bufferLength, SQLINTEGER* length) {
    return SQLGetStmtAttrW(handle, attribute, value, bufferLength, length);
}

template <class Text>
SQLRETURN prepareText(SQLHSTMT handle, typename Text::Char* text, SQLINTEGER length) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        stmt.prepare(Text::in(text, length));
        return stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLPrepareW(SQLHSTMT handle, SQLWCHAR* text, SQLINTEGER length) {
    return prepareText<Wide>(handle, text, length);
}

TW_EXPORT SQLRETURN SQL_API SQLPrepare(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return prepareText<Narrow>(handle, text, length);
}

TW_EXPORT SQLRETURN SQL_API SQLExecute(SQLHSTMT handle) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        const SQLRETURN rc = stmt.executeWithParameters();
        return rc == SQL_NEED_DATA ? rc : stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLBindParameter(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT ioType, SQLSMALLINT cType,
                                             SQLSMALLINT, SQLULEN, SQLSMALLINT, SQLPOINTER value,
                                             SQLLEN bufferLength, SQLLEN* indicator) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        if (ioType != SQL_PARAM_INPUT)
            throw Error("HYC00", "only input parameters are supported");
        stmt.bindParameter(number, {cType, value, indicator, bufferLength});
        return SQL_SUCCESS;
    });
}

TW_EXPORT SQLRETURN SQL_API SQLParamData(SQLHSTMT handle, SQLPOINTER* token) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        const SQLRETURN rc = stmt.paramData(token);
        return rc == SQL_NEED_DATA ? rc : stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLPutData(SQLHSTMT handle, SQLPOINTER data, SQLLEN length) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        stmt.putData(data, length);
        return SQL_SUCCESS;
    });
}

template <class Text>
SQLRETURN execDirectText(SQLHSTMT handle, typename Text::Char* text, SQLINTEGER length) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        stmt.prepare(Text::in(text, length));
        stmt.execute();
        return stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT handle, SQLWCHAR* text, SQLINTEGER length) {
    return execDirectText<Wide>(handle, text, length);
}

TW_EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT handle, SQLCHAR* text, SQLINTEGER length) {
    return execDirectText<Narrow>(handle, text, length);
}

template <class Text>
SQLRETURN tablesText(SQLHSTMT handle, typename Text::Char* table, SQLSMALLINT tableLength, typename Text::Char* types,
                     SQLSMALLINT typesLength) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        stmt.tables(optionalText<Text>(table, tableLength), optionalText<Text>(types, typesLength));
        return stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLTablesW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLWCHAR* table,
                                       SQLSMALLINT tableLength, SQLWCHAR* types, SQLSMALLINT typesLength) {
    return tablesText<Wide>(handle, table, tableLength, types, typesLength);
}

TW_EXPORT SQLRETURN SQL_API SQLTables(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR* table,
                                      SQLSMALLINT tableLength, SQLCHAR* types, SQLSMALLINT typesLength) {
    return tablesText<Narrow>(handle, table, tableLength, types, typesLength);
}

template <class Text>
SQLRETURN primaryKeysText(SQLHSTMT handle, typename Text::Char* table, SQLSMALLINT tableLength) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        const std::optional<std::string> name = optionalText<Text>(table, tableLength);
        if (!name)
            throw Error("HY009", "invalid use of null pointer");
        stmt.primaryKeys(*name);
        return stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLPrimaryKeysW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                                            SQLWCHAR* table, SQLSMALLINT tableLength) {
    return primaryKeysText<Wide>(handle, table, tableLength);
}

TW_EXPORT SQLRETURN SQL_API SQLPrimaryKeys(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR* table,
                                           SQLSMALLINT tableLength) {
    return primaryKeysText<Narrow>(handle, table, tableLength);
}

template <class Text>
SQLRETURN columnsText(SQLHSTMT handle, typename Text::Char* table, SQLSMALLINT tableLength) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        stmt.catalogue(columnsQuery(stmt.dbc->requireDb(), optionalText<Text>(table, tableLength).value_or("%")));
        return stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLColumnsW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLWCHAR* table,
                                        SQLSMALLINT tableLength, SQLWCHAR*, SQLSMALLINT) {
    return columnsText<Wide>(handle, table, tableLength);
}

TW_EXPORT SQLRETURN SQL_API SQLColumns(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR* table,
                                       SQLSMALLINT tableLength, SQLCHAR*, SQLSMALLINT) {
    return columnsText<Narrow>(handle, table, tableLength);
}

template <class Text>
SQLRETURN statisticsText(SQLHSTMT handle, typename Text::Char* table, SQLSMALLINT tableLength, SQLUSMALLINT unique) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        const std::optional<std::string> name = optionalText<Text>(table, tableLength);
        if (!name)
            throw Error("HY009", "invalid use of null pointer");
        stmt.catalogue(statisticsQuery(stmt.dbc->requireDb(), *name, unique == SQL_INDEX_UNIQUE));
        return stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLStatisticsW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLWCHAR* table,
                                           SQLSMALLINT tableLength, SQLUSMALLINT unique, SQLUSMALLINT) {
    return statisticsText<Wide>(handle, table, tableLength, unique);
}

TW_EXPORT SQLRETURN SQL_API SQLStatistics(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR* table,
                                          SQLSMALLINT tableLength, SQLUSMALLINT unique, SQLUSMALLINT) {
    return statisticsText<Narrow>(handle, table, tableLength, unique);
}

template <class Text>
SQLRETURN foreignKeysText(SQLHSTMT handle, typename Text::Char* table, SQLSMALLINT tableLength) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        const std::optional<std::string> name = optionalText<Text>(table, tableLength);
        if (!name)
            throw Error("HYC00", "the stand-in answers SQLForeignKeys for a foreign-key table");
        stmt.catalogue(foreignKeysQuery(stmt.dbc->requireDb(), *name));
        return stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLForeignKeysW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*,
                                            SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLWCHAR* table,
                                            SQLSMALLINT tableLength) {
    return foreignKeysText<Wide>(handle, table, tableLength);
}

TW_EXPORT SQLRETURN SQL_API SQLForeignKeys(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                           SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR* table,
                                           SQLSMALLINT tableLength) {
    return foreignKeysText<Narrow>(handle, table, tableLength);
}

TW_EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        if (count)
            *count = stmt.columnCount();
        return SQL_SUCCESS;
    });
}

template <class Text>
SQLRETURN describeColText(SQLHSTMT handle, SQLUSMALLINT number, typename Text::Char* name, SQLSMALLINT capacity,
                          SQLSMALLINT* nameLength, SQLSMALLINT* type, SQLULEN* size, SQLSMALLINT* digits,
                          SQLSMALLINT* nullable) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        const ColumnInfo& c = stmt.column(number);
        if (capacity < 0)
            throw Error("HY090", "invalid string or buffer length");
        if (Text::out(c.name, name, capacity, Unit::Chars, nameLength))
            stmt.warn("01004", "string data, right truncated");
        if (type)
            *type = c.sqlType;
        if (size)
            *size = c.columnSize;
        if (digits)
            *digits = c.decimalDigits;
        if (nullable)
            *nullable = c.nullable;
        return stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLDescribeColW(SQLHSTMT handle, SQLUSMALLINT number, SQLWCHAR* name, SQLSMALLINT capacity,
                                            SQLSMALLINT* nameLength, SQLSMALLINT* type, SQLULEN* size,
                                            SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    return describeColText<Wide>(handle, number, name, capacity, nameLength, type, size, digits, nullable);
}

TW_EXPORT SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT number, SQLCHAR* name, SQLSMALLINT capacity,
                                           SQLSMALLINT* nameLength, SQLSMALLINT* type, SQLULEN* size,
                                           SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    return describeColText<Narrow>(handle, number, name, capacity, nameLength, type, size, digits, nullable);
}

template <class Text>
SQLRETURN colAttributeText(SQLHSTMT handle, SQLUSMALLINT number, SQLUSMALLINT field, SQLPOINTER text,
                           SQLSMALLINT capacity, SQLSMALLINT* textLength, SQLLEN* numeric) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        const Attribute a = stmt.columnAttribute(number, field);
        if (const auto* s = std::get_if<std::string>(&a)) {
            if (capacity < 0)
                throw Error("HY090", "invalid string or buffer length");
            if (Text::out(*s, text, capacity, Unit::Bytes, textLength))
                stmt.warn("01004", "string data, right truncated");
        } else if (numeric) {
            *numeric = std::get<SQLLEN>(a);
        }
        return stmt.result();
    });
}

TW_EXPORT SQLRETURN SQL_API SQLColAttributeW(SQLHSTMT handle, SQLUSMALLINT number, SQLUSMALLINT field, SQLPOINTER text,
                                             SQLSMALLINT capacity, SQLSMALLINT* textLength, SQLLEN* numeric) {
    return colAttributeText<Wide>(handle, number, field, text, capacity, textLength, numeric);
}

TW_EXPORT SQLRETURN SQL_API SQLColAttribute(SQLHSTMT handle, SQLUSMALLINT number, SQLUSMALLINT field, SQLPOINTER text,
                                            SQLSMALLINT capacity, SQLSMALLINT* textLength, SQLLEN* numeric) {
    return colAttributeText<Narrow>(handle, number, field, text, capacity, textLength, numeric);
}

TW_EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT handle) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN { return stmt.fetch(); });
}

TW_EXPORT SQLRETURN SQL_API SQLBindCol(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT cType, SQLPOINTER target,
                                       SQLLEN capacity, SQLLEN* indicator) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        stmt.bindColumn(number, {cType, target, capacity, indicator});
        return SQL_SUCCESS;
    });
}

TW_EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT cType, SQLPOINTER target,
                                       SQLLEN capacity, SQLLEN* indicator) {
    return onStmt(handle,
                  [&](Stmt& stmt) -> SQLRETURN { return stmt.getData(number, cType, target, capacity, indicator); });
}

TW_EXPORT SQLRETURN SQL_API SQLRowCount(SQLHSTMT handle, SQLLEN* count) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        const SQLLEN n = stmt.rowCount();
        if (count)
            *count = n;
        return SQL_SUCCESS;
    });
}

TW_EXPORT SQLRETURN SQL_API SQLMoreResults(SQLHSTMT handle) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        stmt.closeCursor();
        return SQL_NO_DATA;
    });
}

TW_EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle) {
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        if (!stmt.cursorOpen())
            throw Error("24000", "invalid cursor state: no result set is open");
        stmt.closeCursor();
        return SQL_SUCCESS;
    });
}

// Called from another thread while the statement runs: it touches nothing
// of the statement, and asks SQLite, which allows it from any thread, to
// stop what runs on the connection.
TW_EXPORT SQLRETURN SQL_API SQLCancel(SQLHSTMT handle) {
    auto* stmt = static_cast<Stmt*>(findHandle(handle, SQL_HANDLE_STMT));
    if (!stmt)
        return SQL_INVALID_HANDLE;
    if (stmt->dbc->db)
        sqlite3_interrupt(stmt->dbc->db);
    return SQL_SUCCESS;
}

TW_EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option) {
    if (option == SQL_DROP)
        return SQLFreeHandle(SQL_HANDLE_STMT, handle);
    return onStmt(handle, [&](Stmt& stmt) -> SQLRETURN {
        if (option == SQL_CLOSE)
            stmt.closeCursor();
        if (option == SQL_RESET_PARAMS)
            stmt.resetParameters();
        if (option == SQL_UNBIND)
            stmt.unbindColumns();
        return SQL_SUCCESS;
    });
}

// The diagnostics functions read a handle's records, so they must not clear them.
template <class Text>
SQLRETURN getDiagRecText(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, typename Text::Char* state,
                         SQLINTEGER* native, typename Text::Char* message, SQLSMALLINT capacity,
                         SQLSMALLINT* messageLength) {
    HandleBase* h = findHandle(handle, type);
    if (!h)
        return SQL_INVALID_HANDLE;
    if (record < 1 || capacity < 0)
        return SQL_ERROR;
    if (size_t(record) > h->diagnostics.size())
        return SQL_NO_DATA;
    try {
        const DiagRecord& d = h->diagnostics[size_t(record - 1)];
        if (state) {
            for (size_t k = 0; k < 5; ++k)
                state[k] = typename Text::Char(k < d.sqlState.size() ? d.sqlState[k] : '0');
            state[5] = 0;
        }
        if (native)
            *native = d.nativeError;
        return Text::out(d.message, message, capacity, Unit::Chars, messageLength) ? SQL_SUCCESS_WITH_INFO
                                                                                   : SQL_SUCCESS;
    } catch (...) {
        return SQL_ERROR;
    }
}

TW_EXPORT SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLWCHAR* state,
                                           SQLINTEGER* native, SQLWCHAR* message, SQLSMALLINT capacity,
                                           SQLSMALLINT* messageLength) {
    return getDiagRecText<Wide>(type, handle, record, state, native, message, capacity, messageLength);
}

TW_EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR* state,
                                          SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT capacity,
                                          SQLSMALLINT* messageLength) {
    return getDiagRecText<Narrow>(type, handle, record, state, native, message, capacity, messageLength);
}

template <class Text>
SQLRETURN getDiagFieldText(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER info,
                           SQLSMALLINT capacity, SQLSMALLINT* length) {
    HandleBase* h = findHandle(handle, type);
    if (!h)
        return SQL_INVALID_HANDLE;
    try {
        auto text = [&](const std::string& s) -> SQLRETURN {
            return Text::out(s, info, capacity, Unit::Bytes, length) ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
        };
        switch (field) {
        case SQL_DIAG_NUMBER:
            putNumber(info, SQLINTEGER(h->diagnostics.size()), length);
            return SQL_SUCCESS;
        case SQL_DIAG_RETURNCODE:
            putNumber(info, h->lastReturn, length);
            return SQL_SUCCESS;
        case SQL_DIAG_ROW_COUNT:
        case SQL_DIAG_CURSOR_ROW_COUNT: {
            if (type != SQL_HANDLE_STMT)
                return SQL_ERROR;
            putNumber(info, static_cast<Stmt*>(h)->rowCount(), length);
            return SQL_SUCCESS;
        }
        case SQL_DIAG_DYNAMIC_FUNCTION:
            return type == SQL_HANDLE_STMT ? text("") : SQL_ERROR;
        default:
            break;
        }
        if (record < 1)
            return SQL_ERROR;
        if (size_t(record) > h->diagnostics.size())
            return SQL_NO_DATA;
        const DiagRecord& d = h->diagnostics[size_t(record - 1)];
        const bool odbcSubclass = d.sqlState.rfind("IM", 0) == 0 || (d.sqlState.size() > 2 && d.sqlState[2] == 'S');
        std::string server;
        if (type == SQL_HANDLE_DBC)
            server = static_cast<Dbc*>(h)->dataSource;
        else if (type == SQL_HANDLE_STMT)
            server = static_cast<Stmt*>(h)->dbc->dataSource;
        switch (field) {
        case SQL_DIAG_SQLSTATE:
            return text(d.sqlState);
        case SQL_DIAG_MESSAGE_TEXT:
            return text(d.message);
        case SQL_DIAG_NATIVE:
            putNumber(info, SQLINTEGER(d.nativeError), length);
            return SQL_SUCCESS;
        case SQL_DIAG_CLASS_ORIGIN:
            return text(d.sqlState.rfind("IM", 0) == 0 ? "ODBC 3.0" : "ISO 9075");
        case SQL_DIAG_SUBCLASS_ORIGIN:
            return text(odbcSubclass ? "ODBC 3.0" : "ISO 9075");
        case SQL_DIAG_CONNECTION_NAME:
        case SQL_DIAG_SERVER_NAME:
            return text(server);
        case SQL_DIAG_COLUMN_NUMBER:
            putNumber(info, SQLINTEGER(SQL_COLUMN_NUMBER_UNKNOWN), length);
            return SQL_SUCCESS;
        case SQL_DIAG_ROW_NUMBER:
            putNumber(info, SQLLEN(SQL_ROW_NUMBER_UNKNOWN), length);
            return SQL_SUCCESS;
        default:
            return SQL_ERROR;
        }
    } catch (...) {
        return SQL_ERROR;
    }
}

TW_EXPORT SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
                                             SQLPOINTER info, SQLSMALLINT capacity, SQLSMALLINT* length) {
    return getDiagFieldText<Wide>(type, handle, record, field, info, capacity, length);
}

TW_EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
                                            SQLPOINTER info, SQLSMALLINT capacity, SQLSMALLINT* length) {
    return getDiagFieldText<Narrow>(type, handle, record, field, info, capacity, length);
}
