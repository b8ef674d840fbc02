#include "connect/DbError.h"
#include <QStringList>

namespace tw {

namespace {
QString joinMessages(const std::vector<DiagRecord>& records) {
    QStringList parts;
    for (const auto& r : records)
        if (!r.message.isEmpty() && !parts.contains(r.message))
            parts << r.message;
    return parts.isEmpty() ? QStringLiteral("Unknown database error") : parts.join('\n');
}
}

DbError::DbError(std::vector<DiagRecord> records)
    : std::runtime_error(joinMessages(records).toStdString()),
      m_records(std::move(records)),
      m_message(joinMessages(m_records)) {}

DbError::DbError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

QString DbError::sqlState() const {
    return m_records.empty() ? QString() : m_records.front().sqlState;
}

bool DbError::isCommunicationLinkFailure() const {
    for (const auto& r : m_records) {
        if (r.sqlState == u"08S01" || r.sqlState == u"08003" || r.sqlState == u"08007")
            return true;
        // MySQL client errors: server has gone away, lost connection (also
        // with the system error), and MariaDB Connector/C's network read
        // and write errors, which a server-side end of the session gives.
        if (r.nativeError == 2006 || r.nativeError == 2013 || r.nativeError == 2055 ||
            (r.sqlState == u"HY000" && (r.nativeError == 5013 || r.nativeError == 5014)))
            return true;
    }
    return false;
}

}
