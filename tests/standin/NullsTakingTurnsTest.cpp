#include "StandinTest.h"
#include <sqlite3.h>
#include <cmath>

namespace {

// One column of every iAnywhere type, two values it holds, and how a value
// read through the driver is compared with what the database file holds,
// read by SQLite itself, apart from the driver.
enum class Compare { Text, Number, Double, Bit, Bytes };

struct TypedColumn {
    const char* name;
    const char* type;
    const char* value;
    const char* other;
    Compare compare;
};

const TypedColumn columns[] = {
    {"bt", "BIT NULL", "1", "0", Compare::Bit},
    {"ti", "TINYINT", "255", "0", Compare::Text},
    {"si", "SMALLINT", "-32768", "32767", Compare::Text},
    {"i", "INTEGER", "-2147483648", "2147483647", Compare::Text},
    {"bi", "BIGINT", "-9223372036854775808", "9223372036854775807", Compare::Text},
    {"bu", "UNSIGNED BIGINT", "18446744073709551615", "1", Compare::Number},
    {"nu", "NUMERIC(20,6)", "-12345678901234.123456", "0.000001", Compare::Number},
    {"nd", "NUMERIC", "1.5", "-7", Compare::Number},
    {"de", "DECIMAL(10,2)", "99999999.99", "-0.01", Compare::Number},
    {"mo", "MONEY", "123.4567", "-1", Compare::Number},
    {"re", "REAL", "16777216", "-0.5", Compare::Double},
    {"db", "DOUBLE", "0.1", "-1.7976931348623157e308", Compare::Double},
    {"d", "DATE", "'2024-02-29'", "'0001-01-01'", Compare::Text},
    {"tm", "TIME", "'23:59:59'", "'00:00:00'", Compare::Text},
    {"ts", "TIMESTAMP", "'2024-01-02 03:04:05.000001'", "'1999-12-31 23:59:59'", Compare::Text},
    {"ch", "CHAR(5)", "'ab'", "'x'", Compare::Text},
    {"vc", "VARCHAR(40)", "'Grüße 日本 🎉'", "''", Compare::Text},
    {"lv", "LONG VARCHAR", "'it''s'", "'long'", Compare::Text},
    {"nc", "NCHAR(3)", "'日本'", "'a'", Compare::Text},
    {"nv", "NVARCHAR(10)", "'🎉'", "''", Compare::Text},
    {"ln", "LONG NVARCHAR", "'x'", "''", Compare::Text},
    {"bn", "BINARY(3)", "0x00ff7f", "0x010203", Compare::Bytes},
    {"vb", "VARBINARY(8)", "0x00ff7f80", "0x", Compare::Bytes},
    {"lb", "LONG BINARY", "0x00", "0x5c27", Compare::Bytes},
};

const char* const turns[] = {"value", nullptr, "other", nullptr, "value", "value", nullptr, "value"};

// What the file holds for a column, row by row: its text, bytes as hex
// digits, NULL as the test environment writes it.
std::vector<QString> heldInTheFile(const QString& path, const TypedColumn& c) {
    sqlite3* db = nullptr;
    std::vector<QString> held;
    EXPECT_EQ(sqlite3_open_v2(path.toUtf8(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const QString value = c.compare == Compare::Bytes    ? "hex(\"%1\")"
                                                         : "\"%1\"";
    const QString sql = "SELECT " + value + ", \"%1\" IS NULL FROM turns ORDER BY id";
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.arg(c.name).toUtf8(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        held.push_back(sqlite3_column_int(stmt, 1)           ? twtest::nullText
                       : c.compare == Compare::Double ? QString::number(sqlite3_column_double(stmt, 0), 'g', 17)
                                                      : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return held;
}

// "007.50" and "7.5" are the same number.
QString numberForm(QString t) {
    if (t.contains('.')) {
        while (t.endsWith('0'))
            t.chop(1);
        if (t.endsWith('.'))
            t.chop(1);
    }
    return t;
}

void expectSame(const TypedColumn& c, const tw::Value& read, const QString& held) {
    ASSERT_EQ(read.isNull(), held == twtest::nullText);
    if (read.isNull())
        return;
    switch (c.compare) {
    case Compare::Text: EXPECT_EQ(read.toText(), held); break;
    case Compare::Number: EXPECT_EQ(numberForm(read.toText()), numberForm(held)); break;
    case Compare::Double: EXPECT_EQ(read.toDouble(), held.toDouble()); break;
    case Compare::Bit: EXPECT_EQ(read.toBool() ? "1" : "0", held); break;
    case Compare::Bytes: EXPECT_EQ(QString::fromLatin1(read.toBytes().toHex().toUpper()), held); break;
    }
}

class StandinNullsTakingTurnsTest : public StandinTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StandinNullsTakingTurnsTest, EveryValueAfterANullIsReadAsTheFileHoldsIt) {
    QString create = "CREATE TABLE turns (id INTEGER";
    for (const TypedColumn& c : columns)
        create += QString(", \"%1\" %2").arg(c.name, c.type);
    run(create + ")");
    for (int row = 0; row < int(std::size(turns)); ++row) {
        QString insert = QString("INSERT INTO turns VALUES (%1").arg(row + 1);
        for (const TypedColumn& c : columns)
            insert += ", " + QString(!turns[row] ? "NULL" : turns[row] == QString("value") ? c.value : c.other);
        run(insert + ")");
    }

    tw::Connection c = twtest::openStandin(db->connectString());
    c.Close();
    c.BindsColumns = GetParam();
    c.Provider = "MSDASQL";
    c.Open(db->connectString());
    tw::Recordset rs = c.Execute("SELECT * FROM turns ORDER BY id");
    std::vector<std::vector<QString>> held;
    for (const TypedColumn& col : columns)
        held.push_back(heldInTheFile(db->filePath(), col));
    for (size_t row = 0; row < std::size(turns); ++row) {
        ASSERT_FALSE(rs.isEOF());
        for (size_t i = 0; i < std::size(columns); ++i) {
            SCOPED_TRACE(QString("row %1, column %2").arg(row + 1).arg(columns[i].name).toStdString());
            ASSERT_EQ(held[i].size(), std::size(turns));
            EXPECT_EQ(rs.Fields(int(i) + 1).Value.isNull(), turns[row] == nullptr);
            expectSame(columns[i], rs.Fields(int(i) + 1).Value, held[i][row]);
        }
        rs.MoveNext();
    }
    EXPECT_TRUE(rs.isEOF());
}

INSTANTIATE_TEST_SUITE_P(BoundAndValueByValue, StandinNullsTakingTurnsTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "BoundColumns" : "ValueByValue"; });

// The server keeps an exact number at its column's scale: what it was
// given beyond it is rounded in the row, not only when the row is read.
TEST_F(StandinTest, ExactColumnsStoreTheRoundedValue) {
    run(R"(CREATE TABLE "n"("v" NUMERIC(30,6), "m" NUMERIC(5,2)))");
    run(R"(INSERT INTO "n" VALUES('1.1234567', 2.345))");
    run(R"(INSERT INTO "n" VALUES(-0.0000005, 7))");
    EXPECT_EQ(valueOf(R"(SELECT CAST("v" AS VARCHAR(40)) FROM "n" WHERE "m" > 3)").toText(), "-0.000001");
    EXPECT_EQ(valueOf(R"(SELECT CAST("v" AS VARCHAR(40)) FROM "n" WHERE "m" < 3)").toText(), "1.123457");
    EXPECT_EQ(valueOf(R"(SELECT COUNT(*) FROM "n" WHERE "v" = 1.123457)").toText(), "1");
    EXPECT_EQ(valueOf(R"(SELECT COUNT(*) FROM "n" WHERE "m" = 2.35)").toText(), "1");
    EXPECT_EQ(valueOf(R"(SELECT SUM("v") FROM "n")").toText(), "1.123456");
    run(R"(UPDATE "n" SET "m" = 1.005 WHERE "m" < 3)");
    EXPECT_EQ(valueOf(R"(SELECT CAST("m" AS VARCHAR(40)) FROM "n" WHERE "m" < 3)").toText(), "1.01");
}

// SUM keeps every digit of exact numbers and of integers past 64 bits, as
// the server's does; a cast to NUMERIC is exact and orders by value.
TEST_F(StandinTest, SumsOfExactNumbersAreExact) {
    run(R"(CREATE TABLE "s"("d" NUMERIC(12,2), "t" LONG VARCHAR, "b" BIGINT, "x" DOUBLE))");
    for (int i = 0; i < 100; ++i)
        run(R"(INSERT INTO "s" VALUES(49900985.96, '10.5', 9223372036854775807, 0.1))");
    run(R"(INSERT INTO "s" VALUES(0.03, '9.25', 1, NULL))");
    EXPECT_EQ(valueOf(R"(SELECT SUM("d") FROM "s")").toText(), "4990098596.03");
    EXPECT_EQ(valueOf(R"(SELECT SUM("b") FROM "s")").toText(), "922337203685477580701");
    EXPECT_EQ(valueOf(R"(SELECT SUM(CAST("t" AS NUMERIC(10,2))) FROM "s")").toText(), "1059.25");
    EXPECT_EQ(valueOf(R"(SELECT MIN(CAST("t" AS NUMERIC(10,2))) FROM "s")").toText(), "9.25");
    EXPECT_EQ(valueOf(R"(SELECT MAX(CAST("t" AS NUMERIC(10,2))) FROM "s")").toText(), "10.50");
    EXPECT_NEAR(valueOf(R"(SELECT SUM("x") FROM "s")").toText().toDouble(), 10.0, 1e-12);
    EXPECT_TRUE(valueOf(R"(SELECT SUM("x") FROM "s" WHERE "x" IS NULL)").isNull());
    EXPECT_EQ(valueOf(R"(SELECT BYTE_LENGTH('日本'), LENGTH('日本'), BYTE_LENGTH(0x00ff))").toText(), "6");
    EXPECT_EQ(errorOf(R"(SELECT SUM(CAST('abc' AS NUMERIC(5,2))))").sqlState(), "22018");
}

}
