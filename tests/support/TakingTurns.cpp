#include "TakingTurns.h"
#include "TestEnv.h"
#include <QRegularExpression>
#include <sqlite3.h>
#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace twtest {

const std::vector<TypedColumn> mySqlColumns = {
    {"bt", "BIT(1)", "b'1'", "b'0'", HeldAs::Bit},
    {"ti", "TINYINT", "-128", "127", HeldAs::Number},
    {"tb", "TINYINT(1)", "1", "0", HeldAs::Number},
    {"tu", "TINYINT UNSIGNED", "255", "0", HeldAs::Number},
    {"si", "SMALLINT", "-32768", "32767", HeldAs::Number},
    {"su", "SMALLINT UNSIGNED", "65535", "1", HeldAs::Number},
    {"mi", "MEDIUMINT", "-8388608", "8388607", HeldAs::Number},
    {"i", "INT", "-2147483648", "2147483647", HeldAs::Number},
    {"iu", "INT UNSIGNED", "4294967295", "0", HeldAs::Number},
    {"bi", "BIGINT", "-9223372036854775808", "9223372036854775807", HeldAs::Number},
    {"bu", "BIGINT UNSIGNED", "18446744073709551615", "1", HeldAs::Number},
    {"de", "DECIMAL(20,6)", "-12345678901234.123456", "0.000001", HeldAs::Number},
    {"fl", "FLOAT", "16777216", "-0.5", HeldAs::Double},
    {"db", "DOUBLE", "0.1", "-1.7976931348623157e308", HeldAs::Double},
    {"d", "DATE", "'2024-02-29'", "'1000-01-01'", HeldAs::Text},
    {"dt", "DATETIME", "'1999-12-31 23:59:59'", "'9999-12-31 00:00:00'", HeldAs::Text},
    {"d6", "DATETIME(6)", "'2024-01-02 03:04:05.000001'", "'2000-01-01 00:00:00.5'", HeldAs::Text},
    {"ts", "TIMESTAMP NULL", "'2020-06-01 12:00:00'", "'2038-01-19 03:14:07'", HeldAs::Text},
    {"tm", "TIME", "'-838:59:59'", "'12:00:00'", HeldAs::Text},
    {"yr", "YEAR", "2024", "1901", HeldAs::Number},
    {"ch", "CHAR(5)", "'ab'", "'x'", HeldAs::Text},
    {"vc", "VARCHAR(40)", "'Grüße 日本 🎉'", "''", HeldAs::Text},
    {"tx", "TEXT", "'it''s'", "'long'", HeldAs::Text},
    {"lt", "LONGTEXT", "'x'", "''", HeldAs::Text},
    {"en", "ENUM('small','large')", "'small'", "'large'", HeldAs::Text},
    {"st", "SET('a','b')", "'a,b'", "''", HeldAs::Text},
    {"js", "JSON", "'{\"a\": 1}'", "'[]'", HeldAs::Text},
    {"bn", "BINARY(3)", "X'00FF7F'", "X'010203'", HeldAs::Bytes},
    {"vb", "VARBINARY(8)", "X'00FF7F80'", "X''", HeldAs::Bytes},
    {"bl", "BLOB", "X'00'", "X'5C27'", HeldAs::Bytes},
    {"lb", "LONGBLOB", "X'FF'", "X''", HeldAs::Bytes},
};

const std::vector<TypedColumn> iAnywhereColumns = {
    {"bt", "BIT NULL", "1", "0", HeldAs::Bit},
    {"ti", "TINYINT", "255", "0", HeldAs::Number},
    {"si", "SMALLINT", "-32768", "32767", HeldAs::Number},
    {"i", "INTEGER", "-2147483648", "2147483647", HeldAs::Number},
    {"bi", "BIGINT", "-9223372036854775808", "9223372036854775807", HeldAs::Number},
    {"bu", "UNSIGNED BIGINT", "18446744073709551615", "1", HeldAs::Number},
    {"nu", "NUMERIC(20,6)", "-12345678901234.123456", "0.000001", HeldAs::Number},
    {"nd", "NUMERIC", "1.5", "-7", HeldAs::Number},
    {"de", "DECIMAL(10,2)", "99999999.99", "-0.01", HeldAs::Number},
    {"mo", "MONEY", "123.4567", "-1", HeldAs::Number},
    {"re", "REAL", "16777216", "-0.5", HeldAs::Double},
    {"db", "DOUBLE", "0.1", "-1.7976931348623157e308", HeldAs::Double},
    {"d", "DATE", "'2024-02-29'", "'0001-01-01'", HeldAs::Text},
    {"tm", "TIME", "'23:59:59'", "'00:00:00'", HeldAs::Text},
    {"ts", "TIMESTAMP", "'2024-01-02 03:04:05.000001'", "'1999-12-31 23:59:59'", HeldAs::Text},
    {"ch", "CHAR(5)", "'ab'", "'x'", HeldAs::Text},
    {"vc", "VARCHAR(40)", "'Grüße 日本 🎉'", "''", HeldAs::Text},
    {"lv", "LONG VARCHAR", "'it''s'", "'long'", HeldAs::Text},
    {"nc", "NCHAR(3)", "'日本'", "'a'", HeldAs::Text},
    {"nv", "NVARCHAR(10)", "'🎉'", "''", HeldAs::Text},
    {"ln", "LONG NVARCHAR", "'x'", "''", HeldAs::Text},
    {"bn", "BINARY(3)", "0x00ff7f", "0x010203", HeldAs::Bytes},
    {"vb", "VARBINARY(8)", "0x00ff7f80", "0x", HeldAs::Bytes},
    {"lb", "LONG BINARY", "0x00", "0x5c27", HeldAs::Bytes},
};

namespace {
const char* const turns[turnRows] = {"value", nullptr, "other", nullptr, "value", "value", nullptr, "value"};
}

bool isNullTurn(int row) { return turns[row] == nullptr; }

QString createTurns(const QString& quotedTable, const std::vector<TypedColumn>& columns, const QString& tail) {
    QString create = "CREATE TABLE " + quotedTable + " (id INT";
    for (const TypedColumn& c : columns)
        create += QString(", %1 %2").arg(c.name, c.type);
    return create + ")" + tail;
}

QStringList insertTurns(const QString& quotedTable, const std::vector<TypedColumn>& columns) {
    QStringList inserts;
    for (int row = 0; row < turnRows; ++row) {
        QString insert = QString("INSERT INTO %1 VALUES (%2").arg(quotedTable).arg(row + 1);
        for (const TypedColumn& c : columns)
            insert += ", " + QString(!turns[row] ? "NULL" : turns[row] == QString("value") ? c.value : c.other);
        inserts << insert + ")";
    }
    return inserts;
}

QString mySqlHeldText(const TypedColumn& c) {
    switch (c.held) {
    case HeldAs::Bit: return QString("CAST(`%1` AS UNSIGNED)").arg(c.name);
    case HeldAs::Double: return QString("CAST(`%1` AS DOUBLE)").arg(c.name);
    case HeldAs::Bytes: return QString("HEX(`%1`)").arg(c.name);
    default: return QString("CAST(`%1` AS CHAR)").arg(c.name);
    }
}

std::vector<QStringList> standinHolds(const QString& filePath, const QString& table,
                                      const std::vector<TypedColumn>& columns) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(filePath.toUtf8(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open " + filePath.toStdString());
    // Columns the driver created name its collation; plain order is enough here.
    sqlite3_create_collation(db, "sa_exact", SQLITE_UTF8, nullptr, [](void*, int n1, const void* a, int n2, const void* b) {
        const int c = std::memcmp(a, b, size_t(std::min(n1, n2)));
        return c != 0 ? c : n1 - n2;
    });
    QStringList values;
    for (const TypedColumn& c : columns)
        values << QString(c.held == HeldAs::Bytes ? "hex(\"%1\")" : "\"%1\"").arg(c.name) << QString("\"%1\" IS NULL").arg(c.name);
    const QString sql = "SELECT " + values.join(", ") + " FROM \"" + table + "\" ORDER BY CAST(id AS INTEGER)";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8(), -1, &stmt, nullptr) != SQLITE_OK) {
        const std::string why = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error(why);
    }
    std::vector<QStringList> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < int(columns.size()); ++i) {
            if (sqlite3_column_int(stmt, 2 * i + 1))
                row << nullText;
            else if (sqlite3_column_type(stmt, 2 * i) == SQLITE_FLOAT)  // every digit of the double
                row << QString::number(sqlite3_column_double(stmt, 2 * i), 'g', 17);
            else
                row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2 * i)));
        }
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

namespace {
QString heldForm(QString t) {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+\\.[0-9]+$"));
    if (number.match(t).hasMatch()) {
        while (t.endsWith('0'))
            t.chop(1);
        if (t.endsWith('.'))
            t.chop(1);
    }
    if (t == "True")
        return "1";
    if (t == "False")
        return "0";
    if (t.size() == 26 && t.endsWith(".000000"))
        t.chop(7);
    if (t.size() == 19 && t.endsWith(" 00:00:00"))
        t.chop(9);
    return t;
}
}

bool sameHeldValue(const QString& a, const QString& b) {
    if (a == b || heldForm(a) == heldForm(b))
        return true;
    bool aNumber = false, bNumber = false;
    const double x = a.toDouble(&aNumber), y = b.toDouble(&bNumber);
    return aNumber && bNumber && x == y;
}

}
