#pragma once
#include <QString>
#include <stdexcept>
#include <vector>

namespace tw {

struct DiagRecord {
    QString sqlState;
    int nativeError = 0;
    QString message;
};

// A failure reported by the driver manager or a driver; its text is the
// driver's own message, which the error box shows as the description.
class DbError : public std::runtime_error {
public:
    explicit DbError(std::vector<DiagRecord> records);
    explicit DbError(const QString& message);

    QString message() const { return m_message; }
    QString sqlState() const;
    const std::vector<DiagRecord>& records() const { return m_records; }
    // The connection to the server is gone (08S01, 08003, 08007, or the
    // MySQL client's "server has gone away", "lost connection" and network
    // read/write error codes).
    bool isCommunicationLinkFailure() const;

private:
    std::vector<DiagRecord> m_records;
    QString m_message;
};

}
