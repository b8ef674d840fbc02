#pragma once
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

// Runs a statement whose values stand as "?" markers, each sent apart and
// long ones in pieces: a byte string is never doubled into a hexadecimal
// literal, and no single packet holds the whole row.
void executeWithParameters(Connection& connection, const QString& sql, const std::vector<BoundValue>& values);

}
