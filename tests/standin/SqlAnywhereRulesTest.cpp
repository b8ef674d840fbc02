#include "StandinTest.h"

namespace {

const QString prefix = "[Tablewright][SQLite stand-in] ";

}

TEST_F(StandinTest, BitRefusesNullUnlessDeclaredBitNull) {
    run(R"(CREATE TABLE "flags"("plain" BIT, "open" BIT NULL, "closed" BIT NOT NULL))");
    const tw::DbError plain = errorOf(R"(INSERT INTO "flags" VALUES(NULL, 1, 1))");
    EXPECT_EQ(plain.sqlState(), "23502");
    EXPECT_EQ(plain.message(), prefix + "Column 'plain' in table 'flags' cannot be NULL");
    EXPECT_EQ(errorOf(R"(INSERT INTO "flags" VALUES(1, 1, NULL))").sqlState(), "23502");

    run(R"(INSERT INTO "flags" VALUES(1, NULL, '0'))");
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT * FROM "flags")"), twtest::Rows({{"True", twtest::nullText, "False"}}));
}

TEST_F(StandinTest, BitHoldsOnlyZeroAndOne) {
    run(R"(CREATE TABLE "flags"("b" BIT))");
    const tw::DbError two = errorOf(R"(INSERT INTO "flags" VALUES(2))");
    EXPECT_EQ(two.sqlState(), "22003");
    EXPECT_EQ(two.message(), prefix + "Value 2 out of range for destination");
    EXPECT_EQ(errorOf(R"(INSERT INTO "flags" VALUES('yes'))").sqlState(), "22003");
    run(R"(INSERT INTO "flags" VALUES('1'))");
    run(R"(INSERT INTO "flags" VALUES(0))");
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT * FROM "flags" ORDER BY 1)"), twtest::Rows({{"False"}, {"True"}}));
}

TEST_F(StandinTest, NumericWithoutPrecisionKeepsThirtyDigitsExactlySixAfterThePoint) {
    run(R"(CREATE TABLE "n"("k" INTEGER, "v" NUMERIC))");
    run(R"(INSERT INTO "n" VALUES(1, 18446744073709551615))");
    run(R"(INSERT INTO "n" VALUES(2, -9223372036854775808))");
    run(R"(INSERT INTO "n" VALUES(3, 123456789012345678901234.123456))");
    run(R"(INSERT INTO "n" VALUES(4, '0.0000005'))");
    run(R"(INSERT INTO "n" VALUES(5, 1e3))");
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT "v" FROM "n" ORDER BY "k")"),
              twtest::Rows({{"18446744073709551615.000000"},
                            {"-9223372036854775808.000000"},
                            {"123456789012345678901234.123456"},
                            {"0.000001"},
                            {"1000.000000"}}));
    const tw::DbError tooLong = errorOf(R"(INSERT INTO "n" VALUES(6, 1234567890123456789012345))");
    EXPECT_EQ(tooLong.sqlState(), "22003");
    EXPECT_EQ(tooLong.message(), prefix + "Value 1234567890123456789012345 out of range for destination");
}

TEST_F(StandinTest, DecimalsRoundHalfAwayFromZeroToTheirScaleAndRefuseWhatDoesNotFit) {
    run(R"(CREATE TABLE "d"("k" INTEGER, "v" DECIMAL(5,2)))");
    run(R"(INSERT INTO "d" VALUES(1, 1.005))");
    run(R"(INSERT INTO "d" VALUES(2, '-1.005'))");
    run(R"(INSERT INTO "d" VALUES(3, 0.004))");
    run(R"(INSERT INTO "d" VALUES(4, 999.994))");
    run(R"(INSERT INTO "d" VALUES(5, NULL))");
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT "v" FROM "d" ORDER BY "k")"),
              twtest::Rows({{"1.01"}, {"-1.01"}, {"0.00"}, {"999.99"}, {twtest::nullText}}));
    EXPECT_EQ(errorOf(R"(INSERT INTO "d" VALUES(6, 999.995))").sqlState(), "22003") << "rounds to 1000.00";
    EXPECT_EQ(errorOf(R"(INSERT INTO "d" VALUES(7, 1234))").sqlState(), "22003");
    EXPECT_EQ(errorOf(R"(INSERT INTO "d" VALUES(8, 'twelve'))").sqlState(), "22018");
}

TEST_F(StandinTest, WideDecimalsKeepEveryDigit) {
    run(R"(CREATE TABLE "w"("big" NUMERIC(70,10), "fine" DECIMAL(40,35), "cash" MONEY))");
    const QString sixty = QString("1234567890").repeated(6);
    run("INSERT INTO \"w\" VALUES(" + sixty + ".0123456789, 12345.12345678901234567890123456789012345, 12.5)");
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT * FROM "w")"),
              twtest::Rows({{sixty + ".0123456789", "12345.12345678901234567890123456789012345", "12.5000"}}));
}

TEST_F(StandinTest, NamesLongerThan128BytesAreRefused) {
    const QString longest = QString(128, u'n');
    run("CREATE TABLE \"" + longest + "\"(\"" + longest + "\" INTEGER)");
    const tw::DbError table = errorOf("CREATE TABLE \"" + QString(129, u't') + "\"(\"a\" INTEGER)");
    EXPECT_EQ(table.sqlState(), "42000");
    EXPECT_EQ(table.message(), prefix + "Identifier '" + QString(129, u't') + "' too long");
    const QString accented = QString(65, QChar(0x00E9));  // 130 bytes in UTF-8
    EXPECT_EQ(errorOf("CREATE TABLE \"ok\"(\"" + accented + "\" INTEGER)").sqlState(), "42000");
    EXPECT_EQ(errorOf("ALTER TABLE \"" + longest + "\" RENAME \"" + QString(129, u'r') + "\"").sqlState(), "42000");
    run("CREATE TABLE \"ok\"(\"" + QString(64, QChar(0x00E9)) + "\" INTEGER)");
}

TEST_F(StandinTest, ExactNumbersCompareAndSortByValue) {
    run(R"(CREATE TABLE "s"("v" NUMERIC(10,2), "u" UNSIGNED BIGINT))");
    for (const char* row : {"(10, 18446744073709551615)", "(2, 9)", "(-3.5, 10)", "(2.25, 100)", "(-10, 0)"})
        run(QString("INSERT INTO \"s\" VALUES") + row);
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT "v" FROM "s" ORDER BY "v")"),
              twtest::Rows({{"-10.00"}, {"-3.50"}, {"2.00"}, {"2.25"}, {"10.00"}}));
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT "u" FROM "s" ORDER BY "u" DESC)"),
              twtest::Rows({{"18446744073709551615"}, {"100"}, {"10"}, {"9"}, {"0"}}));
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT COUNT(*) FROM "s" WHERE "v" = 2)"), twtest::Rows({{"1"}}));
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT COUNT(*) FROM "s" WHERE "v" > 2)"), twtest::Rows({{"2"}}));
    EXPECT_EQ(errorOf(R"(INSERT INTO "s" VALUES(1, -1))").sqlState(), "22003");
    EXPECT_EQ(errorOf(R"(INSERT INTO "s" VALUES(1, 18446744073709551616))").sqlState(), "22003");
}
