#pragma once
#include "connect/OdbcHandle.h"
#include <QByteArray>
#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace tw {

class Connection;
class ParameterRows;

// One value given to a statement apart from its text.
struct BoundValue {
    // Utf8: text whose UTF-8 is in bytes, as the source gave it.
    enum class Kind { Null, Text, Bytes, Utf8 } kind = Kind::Null;
    QString text;
    QByteArray bytes;
};

// A value longer than this many bytes goes to the driver in pieces of it,
// well under any packet limit.
constexpr qsizetype parameterPieceBytes = 1 << 20;

// A statement whose values stand as "?" markers, prepared once and run with
// any number of rows of values. Each value is sent apart and long ones in
// pieces: a byte string is never doubled into a hexadecimal literal, and no
// single packet holds the whole row.
class ParameterStatement {
public:
    ParameterStatement(Connection& connection, const QString& sql);
    void execute(const std::vector<BoundValue>& values);
    // Each of the rows in turn, none of them in pieces.
    void execute(const ParameterRows& rows);

private:
    // One marker's value: short ones from a buffer that stays bound from row
    // to row, long ones in pieces at execution.
    struct Parameter {
        std::string buffer;
        SQLLEN length = 0;           // the indicator the driver reads at execution
        SQLSMALLINT boundType = 0;   // the C type it is bound with; 0 before the first binding
        const void* boundAt = nullptr;
        bool atExecution = false;
        QByteArray pieces;           // a long value, sent in pieces
    };
    void bind(size_t index, Parameter& p, SQLSMALLINT cType, bool atExecution);
    void executeBound();

    std::shared_ptr<void> m_session;  // held as long as the statement on it
    StmtHandle m_stmt;
    std::vector<Parameter> m_parameters;
};

void executeWithParameters(Connection& connection, const QString& sql, const std::vector<BoundValue>& values);

}
