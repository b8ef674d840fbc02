#include "StandinTest.h"
#include "TakingTurns.h"

namespace {

using twtest::HeldAs;
using twtest::TypedColumn;

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
    switch (c.held) {
    case HeldAs::Text: EXPECT_EQ(read.toText(), held); break;
    case HeldAs::Number: EXPECT_EQ(numberForm(read.toText()), numberForm(held)); break;
    case HeldAs::Double: EXPECT_EQ(read.toDouble(), held.toDouble()); break;
    case HeldAs::Bit: EXPECT_EQ(read.toBool() ? "1" : "0", held); break;
    case HeldAs::Bytes: EXPECT_EQ(QString::fromLatin1(read.toBytes().toHex().toUpper()), held); break;
    }
}

class StandinNullsTakingTurnsTest : public StandinTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StandinNullsTakingTurnsTest, EveryValueAfterANullIsReadAsTheFileHoldsIt) {
    const auto& columns = twtest::iAnywhereColumns;
    const QString table = GetParam() ? "turns_bound" : "turns_each";
    run(twtest::createTurns(table, columns));
    for (const QString& insert : twtest::insertTurns(table, columns))
        run(insert);

    tw::Connection c;
    c.BindsColumns = GetParam();
    c.Provider = "MSDASQL";
    c.Open(db->connectString());
    tw::Recordset rs = c.Execute("SELECT * FROM " + table + " ORDER BY id");
    const auto held = twtest::standinHolds(db->filePath(), table, columns);
    ASSERT_EQ(held.size(), size_t(twtest::turnRows));
    for (int row = 0; row < twtest::turnRows; ++row) {
        ASSERT_FALSE(rs.isEOF());
        for (size_t i = 0; i < columns.size(); ++i) {
            SCOPED_TRACE(QString("row %1, column %2").arg(row + 1).arg(columns[i].name).toStdString());
            EXPECT_EQ(rs.Fields(int(i) + 1).Value.isNull(), twtest::isNullTurn(row));
            expectSame(columns[i], rs.Fields(int(i) + 1).Value, held[row][int(i)]);
        }
        rs.MoveNext();
    }
    EXPECT_TRUE(rs.isEOF());
    rs.Close();
    c.Close();
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

    // Past 128 bits: two values of 35 digits, then a thousandth, then one back.
    run(R"(CREATE TABLE "w"("t" LONG VARCHAR))");
    run(R"(INSERT INTO "w" VALUES('99999999999999999999999999999999999'))");
    run(R"(INSERT INTO "w" VALUES('99999999999999999999999999999999999'))");
    run(R"(INSERT INTO "w" VALUES('0.001'))");
    EXPECT_EQ(valueOf(R"(SELECT SUM("t") FROM "w")").toText(), "199999999999999999999999999999999998.001");
    run(R"(INSERT INTO "w" VALUES('-199999999999999999999999999999999998.0'))");
    EXPECT_EQ(valueOf(R"(SELECT SUM("t") FROM "w")").toText(), "0.001");
    run(R"(INSERT INTO "w" VALUES('-0.0010'))");
    EXPECT_EQ(valueOf(R"(SELECT SUM("t") FROM "w")").toText(), "0.0000");
}

}

namespace {

// SQLite keeps text in an INTEGER column; the server refuses it.
TEST_F(StandinTest, IntegerColumnsRefuseWhatIsNoWholeNumberOfTheirSize) {
    run(R"(CREATE TABLE "i"("n" INTEGER, "t" TINYINT, "s" SMALLINT))");
    EXPECT_EQ(errorOf(R"(INSERT INTO "i" VALUES('twelve', 1, 1))").sqlState(), "22018");
    EXPECT_EQ(errorOf(R"(INSERT INTO "i" VALUES(1, 256, 1))").sqlState(), "22003");
    EXPECT_EQ(errorOf(R"(INSERT INTO "i" VALUES(1, -1, 1))").sqlState(), "22003");
    EXPECT_EQ(errorOf(R"(INSERT INTO "i" VALUES(1, 1, 32768))").sqlState(), "22003");
    EXPECT_EQ(errorOf(R"(INSERT INTO "i" VALUES(2147483648, 1, 1))").sqlState(), "22003");
    run(R"(INSERT INTO "i" VALUES('12', 255, -32768))");
    EXPECT_EQ(valueOf(R"(SELECT "n" + "t" FROM "i")").toText(), "267");
}

}
