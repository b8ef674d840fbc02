#pragma once
#include "transfer/Transfer.h"
#include <QString>
#include <cstdio>

namespace bench {

// Keeps the CREATE TABLE the transfer sent and writes each of its INSERTs
// to a file, so the bare loop can send exactly the same texts later
// without the transfer holding them in memory.
class StatementRecorder : public tw::StatementObserver {
public:
    explicit StatementRecorder(const QString& path);
    ~StatementRecorder() override;
    StatementRecorder(const StatementRecorder&) = delete;
    StatementRecorder& operator=(const StatementRecorder&) = delete;

    void sending(const QString& sql) override;
    void close();

    QString createTable() const { return m_create; }
    long long inserts() const { return m_inserts; }
    long long insertBytes() const { return m_insertBytes; }  // UTF-16

private:
    std::FILE* m_file;
    QString m_create;
    long long m_inserts = 0;
    long long m_insertBytes = 0;
};

// Reads the INSERTs a recorder wrote, one at a time, in order.
class RecordedInserts {
public:
    explicit RecordedInserts(const QString& path);
    ~RecordedInserts();
    RecordedInserts(const RecordedInserts&) = delete;
    RecordedInserts& operator=(const RecordedInserts&) = delete;

    // The next statement in UTF-16 with its length in code units, or false
    // at the end.
    bool next(const char16_t*& text, int& length);

private:
    std::FILE* m_file;
    std::u16string m_buffer;
};

}
