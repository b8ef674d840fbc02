#pragma once
#include "connect/OdbcHandle.h"
#include <QByteArray>
#include <QString>
#include <vector>

namespace tw {

class Connection;

// One value given to a statement apart from its text.
struct BoundValue {
    enum class Kind { Null, Text, Bytes } kind = Kind::Null;
    QString text;
    QByteArray bytes;
};

// A statement whose values stand as "?" markers, prepared once and run with
// any number of rows of values. Each value is sent apart and long ones in
// pieces: a byte string is never doubled into a hexadecimal literal, and no
// single packet holds the whole row.
class ParameterStatement {
public:
    ParameterStatement(Connection& connection, const QString& sql);
    void execute(const std::vector<BoundValue>& values);

private:
    StmtHandle m_stmt;
};

void executeWithParameters(Connection& connection, const QString& sql, const std::vector<BoundValue>& values);

}
