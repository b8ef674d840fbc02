#include "TestEnv.h"
#include <gtest/gtest.h>
#include <cmath>

using namespace tw;
using twtest::MySqlDatabase;

namespace {

// One column of every MySQL type: its declaration, two values it holds, and
// how the server itself writes a value as text for the comparison (so the
// expected side never goes through the reading under test).
struct TypedColumn {
    const char* name;
    const char* type;
    const char* value;
    const char* other;
    const char* serverText;  // %1 stands for the column
};

const TypedColumn columns[] = {
    {"bt", "BIT(1)", "b'1'", "b'0'", "CAST(%1 AS UNSIGNED)"},
    {"ti", "TINYINT", "-128", "127", "CAST(%1 AS CHAR)"},
    {"tb", "TINYINT(1)", "1", "0", "CAST(%1 AS CHAR)"},
    {"tu", "TINYINT UNSIGNED", "255", "0", "CAST(%1 AS CHAR)"},
    {"si", "SMALLINT", "-32768", "32767", "CAST(%1 AS CHAR)"},
    {"su", "SMALLINT UNSIGNED", "65535", "1", "CAST(%1 AS CHAR)"},
    {"mi", "MEDIUMINT", "-8388608", "8388607", "CAST(%1 AS CHAR)"},
    {"i", "INT", "-2147483648", "2147483647", "CAST(%1 AS CHAR)"},
    {"iu", "INT UNSIGNED", "4294967295", "0", "CAST(%1 AS CHAR)"},
    {"bi", "BIGINT", "-9223372036854775808", "9223372036854775807", "CAST(%1 AS CHAR)"},
    {"bu", "BIGINT UNSIGNED", "18446744073709551615", "1", "CAST(%1 AS CHAR)"},
    {"de", "DECIMAL(20,6)", "-12345678901234.123456", "0.000001", "CAST(%1 AS CHAR)"},
    {"fl", "FLOAT", "16777216", "-0.5", "CAST(%1 AS DOUBLE)"},
    {"db", "DOUBLE", "0.1", "-1.7976931348623157e308", "CAST(%1 AS DOUBLE)"},
    {"d", "DATE", "'2024-02-29'", "'1000-01-01'", "CAST(%1 AS CHAR)"},
    {"dt", "DATETIME", "'1999-12-31 23:59:59'", "'9999-12-31 00:00:00'", "CAST(%1 AS CHAR)"},
    {"d6", "DATETIME(6)", "'2024-01-02 03:04:05.000001'", "'2000-01-01 00:00:00.5'", "CAST(%1 AS CHAR)"},
    {"ts", "TIMESTAMP NULL", "'2020-06-01 12:00:00'", "'2038-01-19 03:14:07'", "CAST(%1 AS CHAR)"},
    {"tm", "TIME", "'-838:59:59'", "'12:00:00'", "CAST(%1 AS CHAR)"},
    {"yr", "YEAR", "2024", "1901", "CAST(%1 AS CHAR)"},
    {"ch", "CHAR(5)", "'ab'", "'x'", "HEX(%1)"},
    {"vc", "VARCHAR(40)", "'Grüße 日本 🎉'", "''", "HEX(%1)"},
    {"tx", "TEXT", "'it''s'", "'long'", "HEX(%1)"},
    {"lt", "LONGTEXT", "'x'", "''", "HEX(%1)"},
    {"en", "ENUM('small','large')", "'small'", "'large'", "HEX(%1)"},
    {"st", "SET('a','b')", "'a,b'", "''", "HEX(%1)"},
    {"js", "JSON", "'{\"a\": 1}'", "'[]'", "HEX(%1)"},
    {"bn", "BINARY(3)", "X'00FF7F'", "X'010203'", "HEX(%1)"},
    {"vb", "VARBINARY(8)", "X'00FF7F80'", "X''", "HEX(%1)"},
    {"bl", "BLOB", "X'00'", "X'5C27'", "HEX(%1)"},
    {"lb", "LONGBLOB", "X'FF'", "X''", "HEX(%1)"},
};

// Value, NULL, other value, NULL, value, value, NULL, value: a value after
// each kind of neighbour, and NULLs after values and after NULLs' values.
const char* const turns[] = {"value", nullptr, "other", nullptr, "value", "value", nullptr, "value"};

class NullsTakingTurnsTest : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() {
        db = new MySqlDatabase("tw_nulls_taking_turns");
        QString create = "CREATE TABLE turns (id INT PRIMARY KEY";
        for (const TypedColumn& c : columns)
            create += QString(", %1 %2").arg(c.name, c.type);
        db->exec(create + ") CHARACTER SET utf8mb4");
        for (int row = 0; row < int(std::size(turns)); ++row) {
            QString insert = QString("INSERT INTO turns VALUES (%1").arg(row + 1);
            for (const TypedColumn& c : columns)
                insert += ", " + QString(!turns[row] ? "NULL" : turns[row] == QString("value") ? c.value : c.other);
            db->exec(insert + ")");
        }
    }
    static void TearDownTestSuite() { delete db; }
    static MySqlDatabase* db;
};
MySqlDatabase* NullsTakingTurnsTest::db = nullptr;

// What our reading gives, as the server would write it.
QString asServerWrites(const TypedColumn& c, const Value& v) {
    if (v.isNull())
        return twtest::nullText;
    const QString how = c.serverText;
    if (how.startsWith("HEX"))
        return QString::fromLatin1((v.kind() == Value::Kind::Bytes ? v.toBytes() : v.toText().toUtf8()).toHex().toUpper());
    if (how.startsWith("CAST(%1 AS UNSIGNED)"))
        return v.toBool() ? "1" : "0";
    return v.toText();
}

TEST_P(NullsTakingTurnsTest, EveryValueAfterANullIsReadAsTheServerHoldsIt) {
    QString expectedSql = "SELECT id";
    for (const TypedColumn& c : columns)
        expectedSql += ", " + QString(c.serverText).arg(c.name);
    Connection server = twtest::openMySql(db->connectString());
    const twtest::Rows expected = twtest::readRows(server, expectedSql + " FROM turns ORDER BY id");
    ASSERT_EQ(expected.size(), std::size(turns));

    Connection c;
    c.BindsColumns = GetParam();
    c.Open(db->connectString());
    Recordset rs = c.Execute("SELECT * FROM turns ORDER BY id");
    for (size_t row = 0; row < std::size(turns); ++row) {
        ASSERT_FALSE(rs.isEOF());
        for (int i = 0; i < int(std::size(columns)); ++i) {
            const TypedColumn& col = columns[i];
            const Value& v = rs.Fields(i + 1).Value;
            const QString& want = expected[row][i + 1];
            SCOPED_TRACE(QString("row %1, column %2").arg(row + 1).arg(col.name).toStdString());
            EXPECT_EQ(v.isNull(), turns[row] == nullptr);
            if (QString(col.serverText).contains("DOUBLE") && !v.isNull())
                EXPECT_EQ(v.toDouble(), want.toDouble());
            else
                EXPECT_EQ(asServerWrites(col, v), want);
        }
        rs.MoveNext();
    }
    EXPECT_TRUE(rs.isEOF());
}

INSTANTIATE_TEST_SUITE_P(BoundAndValueByValue, NullsTakingTurnsTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "BoundColumns" : "ValueByValue"; });

}
