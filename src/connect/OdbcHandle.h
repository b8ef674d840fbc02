#pragma once
#include <sql.h>
#include <sqlext.h>
#include <QString>
#include <utility>

namespace tw {

// Throws DbError built from every diagnostic record of the handle when the
// return code is an error. SQL_SUCCESS_WITH_INFO and SQL_NO_DATA pass.
void checkOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);

// One owner per ODBC handle; nothing else frees handles.
template <SQLSMALLINT Type>
class OdbcHandle {
public:
    OdbcHandle() = default;
    explicit OdbcHandle(SQLHANDLE parent) {
        SQLRETURN rc = SQLAllocHandle(Type, parent, &m_h);
        if (!SQL_SUCCEEDED(rc)) {
            m_h = SQL_NULL_HANDLE;
            checkOdbc(rc, parentType(), parent);
            checkOdbc(SQL_ERROR, Type, SQL_NULL_HANDLE);
        }
    }
    ~OdbcHandle() { reset(); }
    OdbcHandle(OdbcHandle&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    OdbcHandle& operator=(OdbcHandle&& o) noexcept {
        if (this != &o) {
            reset();
            m_h = std::exchange(o.m_h, nullptr);
        }
        return *this;
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != SQL_NULL_HANDLE; }
    void reset() noexcept {
        if (m_h != SQL_NULL_HANDLE)
            SQLFreeHandle(Type, std::exchange(m_h, nullptr));
    }
    // Checks a call made on this handle.
    void check(SQLRETURN rc) const { checkOdbc(rc, Type, m_h); }

private:
    static constexpr SQLSMALLINT parentType() {
        return Type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
    }
    SQLHANDLE m_h = SQL_NULL_HANDLE;
};

using EnvHandle = OdbcHandle<SQL_HANDLE_ENV>;
using DbcHandle = OdbcHandle<SQL_HANDLE_DBC>;
using StmtHandle = OdbcHandle<SQL_HANDLE_STMT>;

// The process's one ODBC 3 environment.
SQLHENV odbcEnvironment();

// SQLWCHAR is 16-bit UTF-16 under unixODBC.
inline const SQLWCHAR* wide(const QString& s) { return reinterpret_cast<const SQLWCHAR*>(s.utf16()); }
inline QString fromWide(const SQLWCHAR* s, qsizetype chars) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), chars);
}

}
