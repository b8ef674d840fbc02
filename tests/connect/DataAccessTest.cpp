#include "TestEnv.h"
#include "connect/DbError.h"
#include <gtest/gtest.h>

using namespace tw;
using twtest::MySqlDatabase;

namespace {

class DataAccessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { db = new MySqlDatabase("tw_data_access"); }
    static void TearDownTestSuite() { delete db; }
    static MySqlDatabase* db;
};
MySqlDatabase* DataAccessTest::db = nullptr;

TEST_F(DataAccessTest, DefaultsOnlyStringFailsWithTheDriversMessage) {
    twtest::TestProfile defaults;
    defaults.setText(ProfileField::Server, "localhost");
    defaults.setText(ProfileField::Port, "3306");
    Connection c;
    try {
        c.Open(MySQLConnectString(defaults));
        FAIL() << "opened a connection with an empty login on port 3306";
    } catch (const DbError& e) {
        EXPECT_FALSE(e.message().isEmpty());
        EXPECT_TRUE(e.message().contains("Can't connect") || e.message().contains("Access denied"))
            << e.message().toStdString();
    }
    EXPECT_FALSE(c.isOpen());
}

TEST_F(DataAccessTest, WrongPasswordRaisesTheServersAccessDenied) {
    twtest::TestProfile p;
    db->fillProfile(p);
    p.setText(ProfileField::Password, "wrong");
    Connection c;
    try {
        c.Open(MySQLConnectString(p));
        FAIL() << "opened with a wrong password";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains("Access denied for user")) << e.message().toStdString();
        EXPECT_EQ(e.sqlState(), "28000");
    }
}

TEST_F(DataAccessTest, UnknownDriverNameIsTheDriverManagersMessage) {
    Connection c;
    try {
        c.Open("DRIVER={No Such Driver};SERVER=127.0.0.1;");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains("[unixODBC][Driver Manager]")) << e.message().toStdString();
    }
}

TEST_F(DataAccessTest, ShowTablesListsEveryTableWithAnExactCount) {
    db->exec("CREATE TABLE alpha (id INT)");
    db->exec("CREATE TABLE Beta (id INT)");
    Connection c;
    c.CursorLocation = CursorLocationCode::Client;
    c.Open(db->connectString());
    Recordset rs = c.Execute("SHOW TABLES;");
    EXPECT_EQ(rs.RecordCount(), 2);
    QStringList names;
    while (!rs.isEOF()) {
        names << rs.Fields(0).Value.toText();
        rs.MoveNext();
    }
    names.sort(Qt::CaseInsensitive);
    EXPECT_EQ(names, QStringList({"alpha", "Beta"}));
    EXPECT_THROW(rs.MoveNext(), DbError);
    rs.Close();
    db->exec("DROP TABLE alpha");
    db->exec("DROP TABLE Beta");
}

TEST_F(DataAccessTest, StatementWithoutResultGivesAClosedRowSetAndFailuresCarryTheServersText) {
    Connection c = twtest::openMySql(db->connectString());
    EXPECT_FALSE(c.Execute("CREATE TABLE plain (a INT)").isOpen());
    try {
        c.Execute("CREATE TABLE plain (a INT)");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains("Table 'plain' already exists")) << e.message().toStdString();
    }
    c.Execute("DROP TABLE plain");
}

struct Expected {
    const char* column;
    int adoType;
    const char* text;  // nullptr: Null
};

TEST_F(DataAccessTest, EveryCommonTypeReadsWithItsAdoCodeAndExactText) {
    db->exec("CREATE TABLE types ("
             "i INT, iu INT UNSIGNED, si SMALLINT, ti TINYINT, tb TINYINT(1), bi BIGINT, bu BIGINT UNSIGNED, "
             "dec20 DECIMAL(20,6), fl FLOAT, db DOUBLE, d DATE, dt DATETIME, dt6 DATETIME(6), tm TIME, "
             "c CHAR(5), vc VARCHAR(40), tx TEXT, bl BLOB, vb VARBINARY(8), bt BIT(1), nl INT)");
    db->exec("INSERT INTO types VALUES ("
             "-2147483648, 4294967295, -32768, -128, 1, -9223372036854775808, 18446744073709551615, "
             "'-12345678901234.123456', 16777217, 0.1, '2024-02-29', '1999-12-31 23:59:59', "
             "'2024-01-02 03:04:05.000001', '-838:59:59', 'ab', 'Grüße ØØx Ù 日本 🎉', 'it''s', "
             "X'00FF7F80', X'', b'1', NULL)");
    Connection c;
    c.CursorLocation = CursorLocationCode::Client;
    c.Open(db->connectString());
    Recordset rs;
    rs.Open("SELECT * FROM `types`", c, 3, 3);
    ASSERT_EQ(rs.RecordCount(), 1);
    const Expected expected[] = {
        {"i", 3, "-2147483648"},
        {"iu", 19, "4294967295"},
        {"si", 2, "-32768"},
        {"ti", 16, "-128"},
        {"tb", 16, "1"},
        {"bi", 20, "-9223372036854775808"},
        {"bu", 21, "18446744073709551615"},
        {"dec20", 131, "-12345678901234.123456"},
        {"fl", 4, "16777216"},
        {"db", 5, "0.1"},
        {"d", 133, "2024-02-29"},
        {"dt", 135, "1999-12-31 23:59:59"},
        {"dt6", 135, "2024-01-02 03:04:05.000001"},
        {"tm", 134, "-838:59:59"},
        {"c", 130, "ab"},
        {"vc", 202, "Grüße ØØx Ù 日本 🎉"},
        {"tx", 203, "it's"},
        {"bl", 205, "00ff7f80"},
        {"vb", 204, ""},
        {"bt", 11, "True"},
        {"nl", 3, nullptr},
    };
    ASSERT_EQ(rs.fieldCount(), int(std::size(expected)));
    for (int i = 0; i < rs.fieldCount(); ++i) {
        const Field& f = rs.Fields(i);
        SCOPED_TRACE(f.Name.toStdString());
        EXPECT_EQ(f.Name, expected[i].column);
        EXPECT_EQ(f.Type, expected[i].adoType);
        if (expected[i].text)
            EXPECT_EQ(f.Value.toText(), QString::fromUtf8(expected[i].text));
        else
            EXPECT_TRUE(f.Value.isNull());
    }
    EXPECT_EQ(rs.Fields("DEC20").Precision, 20);
    EXPECT_EQ(rs.Fields("dec20").NumericScale, 6);
    EXPECT_EQ(rs.Fields("vc").DefinedSize, 40);
    EXPECT_EQ(rs.Fields("bl").Value.toBytes(), QByteArray::fromHex("00ff7f80"));
    EXPECT_EQ(rs.Fields("vb").Value.kind(), Value::Kind::Bytes);
    EXPECT_THROW(rs.Fields("no_such_column"), DbError);
    rs.MoveNext();
    EXPECT_TRUE(rs.isEOF());
    db->exec("DROP TABLE types");
}

TEST_F(DataAccessTest, LongValuesAndEveryByteArriveWhole) {
    db->exec("CREATE TABLE big (t LONGTEXT, b LONGBLOB)");
    QString text;
    for (int i = 0; i < 100000; ++i)
        text += QString("row %1 éØÙ😀\n").arg(i);
    QByteArray bytes;
    for (int i = 0; i < 40000; ++i)
        bytes.append(char(i % 256));
    Connection c = twtest::openMySql(db->connectString());
    c.Execute("INSERT INTO big VALUES('" + text + "', X'" + QString::fromLatin1(bytes.toHex()) + "')");
    Recordset rs = c.Execute("SELECT t, b FROM big");
    ASSERT_FALSE(rs.isEOF());
    EXPECT_EQ(rs.Fields(0).Value.toText(), text);
    EXPECT_EQ(rs.Fields(1).Value.toBytes(), bytes);
    db->exec("DROP TABLE big");
}

// Short columns are filled by the fetch, long ones read in pieces after it:
// every row must still come out whole, its NULLs as NULLs, nothing left
// over from the row before.
TEST_F(DataAccessTest, ShortColumnsAroundALongOneReadExactlyRowAfterRow) {
    db->exec("CREATE TABLE mixed (id INT, v VARCHAR(4), t LONGTEXT, d DECIMAL(30,10), ts DATETIME(6), "
             "flag BIT(1), vb VARBINARY(4), tail VARCHAR(3)) CHARACTER SET utf8mb4");
    const QString emoji = QString::fromUtf8("😀😀😀😀");
    QString longText;
    for (int i = 0; i < 20000; ++i)
        longText += QString("line %1 é😀\n").arg(i);
    db->exec("INSERT INTO mixed VALUES (1, '" + emoji + "', '" + longText +
             "', -12345678901234567890.0123456789, '2024-02-29 23:59:59.000001', b'1', X'00FF7F80', 'abc'), "
             "(2, NULL, NULL, NULL, NULL, NULL, NULL, NULL), "
             "(3, 'x', '', 0.5, '1000-01-01 00:00:00', b'0', X'', '')");
    Connection c = twtest::openMySql(db->connectString());
    Recordset rs = c.Execute("SELECT * FROM mixed ORDER BY id");
    ASSERT_FALSE(rs.isEOF());
    EXPECT_EQ(rs.Fields("v").Value.toText(), emoji);
    EXPECT_EQ(rs.Fields("t").Value.toText(), longText);
    EXPECT_EQ(rs.Fields("d").Value.toText(), "-12345678901234567890.0123456789");
    EXPECT_EQ(rs.Fields("ts").Value.toText(), "2024-02-29 23:59:59.000001");
    EXPECT_TRUE(rs.Fields("flag").Value.toBool());
    EXPECT_EQ(rs.Fields("vb").Value.toBytes(), QByteArray::fromHex("00ff7f80"));
    EXPECT_EQ(rs.Fields("tail").Value.toText(), "abc");
    rs.MoveNext();
    ASSERT_FALSE(rs.isEOF());
    for (const char* column : {"v", "t", "d", "ts", "flag", "vb", "tail"})
        EXPECT_TRUE(rs.Fields(column).Value.isNull()) << column;
    rs.MoveNext();
    ASSERT_FALSE(rs.isEOF());
    EXPECT_EQ(rs.Fields("v").Value.toText(), "x");
    EXPECT_EQ(rs.Fields("t").Value.toText(), "");
    EXPECT_FALSE(rs.Fields("t").Value.isNull());
    EXPECT_EQ(rs.Fields("d").Value.toText(), "0.5000000000");
    EXPECT_EQ(rs.Fields("ts").Value.toText(), "1000-01-01 00:00:00");
    EXPECT_FALSE(rs.Fields("flag").Value.toBool());
    EXPECT_EQ(rs.Fields("vb").Value.toBytes(), QByteArray());
    EXPECT_FALSE(rs.Fields("vb").Value.isNull());
    EXPECT_EQ(rs.Fields("tail").Value.toText(), "");
    rs.MoveNext();
    EXPECT_TRUE(rs.isEOF());
    db->exec("DROP TABLE mixed");
}

TEST_F(DataAccessTest, ServerSideReadHasNoCountButReadsEveryRow) {
    db->exec("CREATE TABLE many (n INT)");
    db->exec("INSERT INTO many SELECT seq FROM seq_1_to_2500");
    Connection server = twtest::openMySql(db->connectString());
    Recordset rs = server.Execute("SELECT n FROM many ORDER BY n");
    EXPECT_EQ(rs.RecordCount(), -1);
    long long sum = 0, rows = 0;
    for (; !rs.isEOF(); rs.MoveNext(), ++rows)
        sum += rs.Fields("n").Value.toText().toLongLong();
    EXPECT_EQ(rows, 2500);
    EXPECT_EQ(sum, 2500LL * 2501 / 2);

    Connection client;
    client.CursorLocation = CursorLocationCode::Client;
    client.Open(db->connectString());
    EXPECT_EQ(client.Execute("SELECT n FROM many").RecordCount(), 2500);
    db->exec("DROP TABLE many");
}

TEST_F(DataAccessTest, ClosedObjectsRefuseWork) {
    Connection c;
    EXPECT_THROW(c.Execute("SELECT 1"), DbError);
    Recordset rs;
    EXPECT_THROW(rs.RecordCount(), DbError);
    c.Provider = "SQLOLEDB";
    EXPECT_THROW(c.Open(db->connectString()), DbError);
}

}

namespace {

// The MariaDB driver read past the given length of a statement holding
// emoji; the second such megabyte statement of a process crashed.
TEST(LongStatementTest, MegabyteStatementsWithEmojiRunOneAfterAnother) {
    MySqlDatabase db("tw_long_statements");
    db.exec("CREATE TABLE big (t LONGTEXT)");
    QString text;
    for (int i = 0; i < 200000; ++i)
        text += QStringLiteral("😀é ");
    for (int i = 0; i < 3; ++i)
        db.exec("INSERT INTO big VALUES('" + text + "')");
    Connection c = twtest::openMySql(db.connectString());
    EXPECT_EQ(twtest::readRows(c, "SELECT COUNT(*), MIN(CHAR_LENGTH(t)), MAX(CHAR_LENGTH(t)) FROM big"),
              twtest::Rows({{"3", "600000", "600000"}}));
}

}
