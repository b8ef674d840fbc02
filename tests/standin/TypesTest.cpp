#include "StandinTest.h"
#include <QStringList>
#include <sqlext.h>
#include <sqlucode.h>

namespace {

constexpr qint64 Long = 2147483647;
constexpr qint64 Any = -1;  // not checked

struct DeclaredType {
    const char* declared;
    int adoType;
    int sqlType;
    qint64 size;
    int scale;
    bool isUnsigned;
};

// What iAnywhere's driver reports for each declared type, as ADO sees it.
const DeclaredType declaredTypes[] = {
    {"NUMERIC", 131, SQL_NUMERIC, 30, 6, false},
    {"numeric(10,2)", 131, SQL_NUMERIC, 10, 2, false},
    {"DECIMAL", 131, SQL_DECIMAL, 30, 6, false},
    {"Decimal(12, 3)", 131, SQL_DECIMAL, 12, 3, false},
    {"MONEY", 131, SQL_NUMERIC, 19, 4, false},
    {"SMALLMONEY", 131, SQL_NUMERIC, 10, 4, false},
    {"NUMERIC(70,10)", 131, SQL_NUMERIC, 70, 10, false},
    {"DECIMAL(40,35)", 131, SQL_DECIMAL, 40, 35, false},
    {"TEXT", 201, SQL_LONGVARCHAR, Long, 0, false},
    {"XML", 201, SQL_LONGVARCHAR, Long, 0, false},
    {"NCHAR(4)", 130, SQL_WCHAR, 4, 0, false},
    {"NVARCHAR(30)", 202, SQL_WVARCHAR, 30, 0, false},
    {"LONG NVARCHAR", 203, SQL_WLONGVARCHAR, Long, 0, false},
    {"long varchar", 201, SQL_LONGVARCHAR, Long, 0, false},
    {"VARCHAR(40)", 200, SQL_VARCHAR, 40, 0, false},
    {"char(8)", 129, SQL_CHAR, 8, 0, false},
    {"BIT", 11, SQL_BIT, 1, 0, false},
    {"TINYINT", 17, SQL_TINYINT, Any, 0, true},
    {"SMALLINT", 2, SQL_SMALLINT, Any, 0, false},
    {"INTEGER", 3, SQL_INTEGER, Any, 0, false},
    {"int", 3, SQL_INTEGER, Any, 0, false},
    {"BIGINT", 20, SQL_BIGINT, Any, 0, false},
    {"UNSIGNED INT", 19, SQL_INTEGER, Any, 0, true},
    {"UNSIGNED SMALLINT", 18, SQL_SMALLINT, Any, 0, true},
    {"UNSIGNED BIGINT", 21, SQL_BIGINT, Any, 0, true},
    {"bigint unsigned", 21, SQL_BIGINT, Any, 0, true},
    {"REAL", 4, SQL_REAL, Any, 0, false},
    {"DOUBLE", 5, SQL_DOUBLE, Any, 0, false},
    {"FLOAT", 4, SQL_REAL, Any, 0, false},
    {"FLOAT(24)", 4, SQL_REAL, Any, 0, false},
    {"FLOAT(53)", 5, SQL_DOUBLE, Any, 0, false},
    {"DATE", 133, SQL_TYPE_DATE, Any, 0, false},
    {"TIME", 134, SQL_TYPE_TIME, Any, 0, false},
    {"TIMESTAMP", 135, SQL_TYPE_TIMESTAMP, Any, Any, false},
    {"datetime", 135, SQL_TYPE_TIMESTAMP, Any, Any, false},
    {"SMALLDATETIME", 135, SQL_TYPE_TIMESTAMP, Any, Any, false},
    {"BINARY(16)", 128, SQL_BINARY, 16, 0, false},
    {"VARBINARY(32)", 204, SQL_VARBINARY, 32, 0, false},
    {"LONG BINARY", 205, SQL_LONGVARBINARY, Long, 0, false},
    {"IMAGE", 205, SQL_LONGVARBINARY, Long, 0, false},
    {"UNIQUEIDENTIFIER", 72, SQL_GUID, Any, 0, false},
};

QString quoted(QString text) { return "'" + text.replace("'", "''") + "'"; }

}

TEST_F(StandinTest, DeclaredTypesReportIAnywhereTypes) {
    QStringList columns;
    for (size_t i = 0; i < std::size(declaredTypes); ++i)
        columns << QString("\"c%1\" %2").arg(i).arg(declaredTypes[i].declared);
    run("CREATE TABLE \"t\"(" + columns.join(",") + ")");

    tw::Recordset rs = run(R"(SELECT * FROM "t")");
    ASSERT_EQ(rs.fieldCount(), int(std::size(declaredTypes)));
    for (size_t i = 0; i < std::size(declaredTypes); ++i) {
        const DeclaredType& want = declaredTypes[i];
        const tw::Field& f = rs.Fields(int(i));
        SCOPED_TRACE(want.declared);
        EXPECT_EQ(f.Name, QString("c%1").arg(i));
        EXPECT_EQ(f.Type, want.adoType);
        EXPECT_EQ(f.sqlType, want.sqlType);
        if (want.size != Any)
            EXPECT_EQ(f.DefinedSize, want.size);
        if (want.adoType == 131)
            EXPECT_EQ(f.Precision, want.size);
        if (want.scale != Any)
            EXPECT_EQ(f.NumericScale, want.scale);
        if (f.sqlType == SQL_TINYINT || f.sqlType == SQL_SMALLINT || f.sqlType == SQL_INTEGER ||
            f.sqlType == SQL_BIGINT)
            EXPECT_EQ(f.isUnsigned, want.isUnsigned);
    }
}

TEST_F(StandinTest, ExpressionColumnsTakeTheTypeOfTheirFirstValue) {
    tw::Recordset rs = run("SELECT 1 + 1 AS i, 2.5 * 2 AS r, x'00ff' AS b, 'text' AS t, NULL AS n");
    ASSERT_EQ(rs.fieldCount(), 5);
    const int types[] = {20, 5, 205, 201, 201};
    const char* texts[] = {"2", "5", "00ff", "text", ""};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rs.Fields(i).Type, types[i]);
        EXPECT_EQ(rs.Fields(i).Value.toText(), texts[i]);
    }
    EXPECT_TRUE(rs.Fields("n").Value.isNull());
}

TEST_F(StandinTest, ValuesArriveExactly) {
    run(R"(CREATE TABLE "v"("n" NUMERIC, "n2" NUMERIC(10,2), "t" TEXT, "i" INTEGER, "bi" BIGINT, "d" DOUBLE,
                            "r" REAL, "b1" BIT, "b0" BIT, "dt" DATE, "ts" TIMESTAMP, "vc" VARCHAR(10), "big" DOUBLE))");
    run(R"(INSERT INTO "v" VALUES(1, '12.50', '007', -2147483648, 9223372036854775807, 0.1, 0.5, 1, '0',
                                  '2024-02-29', '2024-02-29 13:45:01', 'abc', 1e300);)");
    const twtest::Rows expected = {{"1.000000", "12.50", "007", "-2147483648", "9223372036854775807", "0.1", "0.5", "True",
                                    "False", "2024-02-29", "2024-02-29 13:45:01", "abc", "1e+300"}};
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT * FROM "v")"), expected);

    tw::Recordset rs = run(R"(SELECT "i", "d", "b1" FROM "v")");
    EXPECT_EQ(rs.Fields("i").Value.kind(), tw::Value::Kind::Integer);
    EXPECT_EQ(rs.Fields("d").Value.kind(), tw::Value::Kind::Double);
    EXPECT_EQ(rs.Fields("b1").Value.kind(), tw::Value::Kind::Boolean);
}

TEST_F(StandinTest, NullArrivesAsNullAndEmptyIsNotNull) {
    run(R"(CREATE TABLE "z"("n" NUMERIC, "t" TEXT, "i" INTEGER, "d" DOUBLE, "r" REAL, "b" BIT NULL, "lb" LONG BINARY,
                            "dt" DATE))");
    run(R"(INSERT INTO "z" VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL))");
    run(R"(INSERT INTO "z" VALUES(0, '', 0, 0, 0, 0, 0x, '0001-01-01'))");

    tw::Recordset rs = run(R"(SELECT * FROM "z" ORDER BY rowid)");
    ASSERT_FALSE(rs.isEOF());
    for (int i = 0; i < rs.fieldCount(); ++i)
        EXPECT_TRUE(rs.Fields(i).Value.isNull()) << rs.Fields(i).Name;
    rs.MoveNext();
    ASSERT_FALSE(rs.isEOF());
    for (int i = 0; i < rs.fieldCount(); ++i)
        EXPECT_FALSE(rs.Fields(i).Value.isNull()) << rs.Fields(i).Name;
    EXPECT_EQ(rs.Fields("t").Value.toText(), "");
    EXPECT_EQ(rs.Fields("lb").Value.kind(), tw::Value::Kind::Bytes);
    EXPECT_TRUE(rs.Fields("lb").Value.toBytes().isEmpty());
    rs.MoveNext();
    EXPECT_TRUE(rs.isEOF());
}

TEST_F(StandinTest, StringLiteralsReadIAnywheresBackslashEscapes) {
    EXPECT_EQ(valueOf(R"(SELECT 'C:\\new')").toText(), R"(C:\new)");
    EXPECT_EQ(valueOf(R"(SELECT 'a\nb')").toText(), "a\nb");
    EXPECT_EQ(valueOf(R"(SELECT '\x41\x27''')").toText(), "A''");
    EXPECT_EQ(valueOf(R"(SELECT 'C:\temp\')").toText(), R"(C:\temp\)") << "other backslashes stand for themselves";
    EXPECT_EQ(valueOf(R"(SELECT "a\nb" FROM (SELECT 1 AS "a\nb"))").toText(), "1") << "names hold no escapes";
}

TEST_F(StandinTest, QuotesAndUnicodeSurviveARoundTrip) {
    const QStringList values = {
        "can't", "'", "''", "\"double\"", "héllo wörld ÀÉÎÕÜ", "日本語のテキスト", "中文 한국어",
        "😀👍🏽 👨‍👩‍👧", "mixed 'é' 中 😀 end",
    };
    run(R"(CREATE TABLE "tä😀"("名前" TEXT, "v" VARCHAR(50)))");
    for (const QString& v : values)
        run(R"(INSERT INTO "tä😀" VALUES()" + quoted(v) + ", " + quoted(v) + ")");

    tw::Recordset rs = run(R"(SELECT * FROM "tä😀" ORDER BY rowid)");
    EXPECT_EQ(rs.Fields(0).Name, "名前");
    for (const QString& v : values) {
        ASSERT_FALSE(rs.isEOF());
        EXPECT_EQ(rs.Fields("名前").Value.toText(), v);
        EXPECT_EQ(rs.Fields("v").Value.toText(), v);
        rs.MoveNext();
    }
    EXPECT_TRUE(rs.isEOF());

    // SQLite counts code points: the surrogate pairs arrived as whole characters.
    EXPECT_EQ(valueOf(R"(SELECT length("名前") FROM "tä😀" WHERE rowid = 8)").toText(), "9");

    tw::Recordset tables = conn.OpenSchema(tw::adSchemaTables);
    tables.MoveNext();
    ASSERT_FALSE(tables.isEOF());
    EXPECT_EQ(tables.Fields("TABLE_NAME").Value.toText(), "tä😀");
}

TEST_F(StandinTest, BinaryLiteralCarriesEveryByteValue) {
    QByteArray every(256, '\0');
    for (int i = 0; i < 256; ++i)
        every[i] = char(i);
    run(R"(CREATE TABLE "b"("x" LONG BINARY, "note" TEXT))");
    run(R"(INSERT INTO "b" VALUES(0x)" + QString::fromLatin1(every.toHex()) + ", '0x41 stays text')");
    run(R"(INSERT INTO "b" VALUES(0x, 'empty'))");
    run(R"(INSERT INTO "b" VALUES(0xABCDEF, '0x'))");

    tw::Recordset rs = run(R"(SELECT "x", "note", length("x"), typeof("x") FROM "b" ORDER BY rowid)");
    ASSERT_FALSE(rs.isEOF());
    EXPECT_EQ(rs.Fields("x").Value.kind(), tw::Value::Kind::Bytes);
    EXPECT_EQ(rs.Fields("x").Value.toBytes(), every);
    EXPECT_EQ(rs.Fields(1).Value.toText(), "0x41 stays text");
    EXPECT_EQ(rs.Fields(2).Value.toText(), "256");
    EXPECT_EQ(rs.Fields(3).Value.toText(), "blob");
    rs.MoveNext();
    ASSERT_FALSE(rs.isEOF());
    EXPECT_FALSE(rs.Fields("x").Value.isNull());
    EXPECT_TRUE(rs.Fields("x").Value.toBytes().isEmpty());
    EXPECT_EQ(rs.Fields(3).Value.toText(), "blob");
    rs.MoveNext();
    ASSERT_FALSE(rs.isEOF());
    EXPECT_EQ(rs.Fields("x").Value.toBytes(), QByteArray::fromHex("abcdef"));
    EXPECT_EQ(rs.Fields(1).Value.toText(), "0x");
}

TEST_F(StandinTest, HexDigitsInNamesAndStringsAreLeftAlone) {
    run(R"(CREATE TABLE "0x41"("0x42" TEXT))");
    run(R"(INSERT INTO "0x41" VALUES('0x43'))");
    tw::Recordset rs = run(R"(SELECT "0x42", typeof("0x42") FROM "0x41")");
    EXPECT_EQ(rs.Fields(0).Name, "0x42");
    EXPECT_EQ(rs.Fields(0).Value.toText(), "0x43");
    EXPECT_EQ(rs.Fields(1).Value.toText(), "text");
}
