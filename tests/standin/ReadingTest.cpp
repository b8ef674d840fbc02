#include "StandinTest.h"
#include <sqlext.h>
#include <sqlucode.h>
#include <vector>

namespace {

// A statement on the test's connection, for what the data-access layer
// does not show: piece sizes, indicators, row counts of changes.
class RawStatement {
public:
    explicit RawStatement(tw::Connection& conn) : m_stmt(conn.dbc()) {}
    SQLHSTMT get() const { return m_stmt.get(); }
    void execute(const QString& sql) {
        m_stmt.check(SQLExecDirectW(get(), const_cast<SQLWCHAR*>(tw::wide(sql)), SQLINTEGER(sql.size())));
    }
    SQLLEN rowCount() {
        SQLLEN n = -2;
        m_stmt.check(SQLRowCount(get(), &n));
        return n;
    }
    QString firstState() {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[256];
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(SQL_HANDLE_STMT, get(), 1, state, &native, text, 256, &length)))
            return {};
        return tw::fromWide(state, 5);
    }

private:
    tw::StmtHandle m_stmt;
};

}

TEST_F(StandinTest, LongTextArrivesWholeThroughPieces) {
    // Over 1 MB as UTF-8. It opens with surrogate pairs only, so a piece that
    // ends in the first 200,000 code units of an even-sized buffer would
    // split one, were it cut at the buffer's end.
    QString text = QString::fromUtf8("😀").repeated(100000);
    while (text.size() < 750000)
        text += QString::fromUtf8("ab😀é日") + QString::number(text.size());
    run(R"(CREATE TABLE "long"("t" TEXT, "ascii" LONG VARCHAR))");
    const QString ascii(1 << 20, QChar(u'x'));
    run(R"(INSERT INTO "long" VALUES(')" + text + "', '" + ascii + "')");

    tw::Recordset rs = run(R"(SELECT "t", "ascii", length("t") FROM "long")");
    ASSERT_FALSE(rs.isEOF());
    EXPECT_GT(rs.Fields("t").Value.toText().toUtf8().size(), 1 << 20);
    EXPECT_EQ(rs.Fields(2).Value.toText(), QString::number(text.toUcs4().size()));
    const QString got = rs.Fields("t").Value.toText();
    qsizetype at = 0;
    while (at < got.size() && at < text.size() && got[at] == text[at])
        ++at;
    EXPECT_TRUE(got == text) << "lengths " << got.size() << " and " << text.size() << ", first difference at "
                             << at << ": U+" << QString::number(at < got.size() ? got[at].unicode() : 0, 16);
    EXPECT_TRUE(rs.Fields("ascii").Value.toText() == ascii);
}

TEST_F(StandinTest, WidePiecesKeepSurrogatePairsTogether) {
    run(R"(CREATE TABLE "p"("t" TEXT))");
    run(R"(INSERT INTO "p" VALUES('a😀b'))");  // UTF-16: a, D83D, DE00, b
    RawStatement s(conn);
    s.execute(R"(SELECT "t" FROM "p")");
    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);

    SQLWCHAR buf[3];  // two characters and the terminator
    SQLLEN indicator = 0;
    ASSERT_EQ(SQLGetData(s.get(), 1, SQL_C_WCHAR, buf, sizeof buf, &indicator), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(s.firstState(), "01004");
    EXPECT_EQ(indicator, 8);  // all that is left, in bytes
    EXPECT_EQ(buf[0], u'a');
    EXPECT_EQ(buf[1], 0) << "a piece ended inside a surrogate pair";

    ASSERT_EQ(SQLGetData(s.get(), 1, SQL_C_WCHAR, buf, sizeof buf, &indicator), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(indicator, 6);
    EXPECT_EQ(buf[0], 0xD83D);
    EXPECT_EQ(buf[1], 0xDE00);
    EXPECT_EQ(buf[2], 0);

    ASSERT_EQ(SQLGetData(s.get(), 1, SQL_C_WCHAR, buf, sizeof buf, &indicator), SQL_SUCCESS);
    EXPECT_EQ(indicator, 2);
    EXPECT_EQ(buf[0], u'b');
    EXPECT_EQ(buf[1], 0);

    EXPECT_EQ(SQLGetData(s.get(), 1, SQL_C_WCHAR, buf, sizeof buf, &indicator), SQL_NO_DATA);
}

TEST_F(StandinTest, NarrowTextIsUtf8AndBinaryComesInPieces) {
    run(R"(CREATE TABLE "p"("t" TEXT, "b" LONG BINARY))");
    QByteArray blob(250, '\0');
    for (int i = 0; i < blob.size(); ++i)
        blob[i] = char(255 - i);
    run(R"(INSERT INTO "p" VALUES('é😀', 0x)" + QString::fromLatin1(blob.toHex()) + ")");
    RawStatement s(conn);
    s.execute(R"(SELECT "t", "b" FROM "p")");
    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);

    QByteArray narrow;
    char buf[5];
    SQLLEN indicator = 0;
    std::vector<SQLLEN> indicators;
    SQLRETURN rc;
    while ((rc = SQLGetData(s.get(), 1, SQL_C_CHAR, buf, sizeof buf, &indicator)) != SQL_NO_DATA) {
        ASSERT_TRUE(SQL_SUCCEEDED(rc));
        indicators.push_back(indicator);
        narrow += QByteArray(buf);
        ASSERT_LT(indicators.size(), 10u);
    }
    EXPECT_EQ(narrow, QString::fromUtf8("é😀").toUtf8());
    ASSERT_FALSE(indicators.empty());
    EXPECT_EQ(indicators.front(), 6);

    QByteArray bytes;
    unsigned char piece[100];
    indicators.clear();
    while ((rc = SQLGetData(s.get(), 2, SQL_C_BINARY, piece, sizeof piece, &indicator)) != SQL_NO_DATA) {
        ASSERT_TRUE(SQL_SUCCEEDED(rc));
        indicators.push_back(indicator);
        bytes.append(reinterpret_cast<const char*>(piece), std::min<SQLLEN>(indicator, sizeof piece));
        ASSERT_LT(indicators.size(), 10u);
    }
    EXPECT_EQ(indicators, (std::vector<SQLLEN>{250, 150, 50}));
    EXPECT_EQ(bytes, blob);
}

TEST_F(StandinTest, BoundColumnsAreFilledByEachFetchAndATruncatedOneReadsAgainWhole) {
    run(R"(CREATE TABLE "b"("i" INTEGER, "t" VARCHAR(20)))");
    run(R"(INSERT INTO "b" VALUES(7, 'abcdefgh'))");
    run(R"(INSERT INTO "b" VALUES(NULL, NULL))");
    run(R"(INSERT INTO "b" VALUES(9, 'xy'))");
    RawStatement s(conn);
    s.execute(R"(SELECT "i", "t" FROM "b" ORDER BY rowid)");
    SQLBIGINT number = 0;
    SQLLEN numberIndicator = 0, textIndicator = 0;
    char text[5] = {};
    ASSERT_EQ(SQLBindCol(s.get(), 1, SQL_C_SBIGINT, &number, sizeof number, &numberIndicator), SQL_SUCCESS);
    ASSERT_EQ(SQLBindCol(s.get(), 2, SQL_C_CHAR, text, sizeof text, &textIndicator), SQL_SUCCESS);

    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(s.firstState(), "01004");
    EXPECT_EQ(number, 7);
    EXPECT_EQ(textIndicator, 8);
    EXPECT_EQ(QByteArray(text), "abcd");
    char whole[20] = {};
    SQLLEN wholeIndicator = 0;
    ASSERT_EQ(SQLGetData(s.get(), 2, SQL_C_CHAR, whole, sizeof whole, &wholeIndicator), SQL_SUCCESS);
    EXPECT_EQ(QByteArray(whole), "abcdefgh");

    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
    EXPECT_EQ(numberIndicator, SQL_NULL_DATA);
    EXPECT_EQ(textIndicator, SQL_NULL_DATA);

    ASSERT_EQ(SQLFreeStmt(s.get(), SQL_UNBIND), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
    EXPECT_EQ(numberIndicator, SQL_NULL_DATA) << "an unbound column is no longer written";
    ASSERT_EQ(SQLGetData(s.get(), 1, SQL_C_SBIGINT, &number, sizeof number, &numberIndicator), SQL_SUCCESS);
    EXPECT_EQ(number, 9);
}

TEST_F(StandinTest, RecordCountIsExactOnAClientSideRead) {
    run(R"(CREATE TABLE "many"("i" INTEGER, "t" TEXT))");
    run(R"(WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 250000)
           INSERT INTO "many" SELECT x, 'row ' || x FROM c)");

    {
        // The driver counts before a single row is fetched.
        RawStatement s(conn);
        s.execute(R"(SELECT * FROM "many" WHERE "i" % 3 = 0;)");
        EXPECT_EQ(s.rowCount(), 83333);
        ASSERT_EQ(SQLFetch(s.get()), SQL_SUCCESS);
        EXPECT_EQ(s.rowCount(), 83333);
    }

    conn.CursorLocation = tw::CursorLocationCode::Client;
    tw::Recordset rs;
    rs.Open(R"(SELECT * FROM "many")", conn, 3, 1);
    EXPECT_EQ(rs.RecordCount(), 250000);
    long long seen = 0;
    long long sum = 0;
    while (!rs.isEOF()) {
        ++seen;
        sum += rs.Fields(0).Value.toText().toLongLong();
        rs.MoveNext();
    }
    EXPECT_EQ(seen, 250000);
    EXPECT_EQ(sum, 250000LL * 250001 / 2);

    rs.Close();
    rs.Open(R"(SELECT * FROM "many" WHERE "i" > 250000)", conn, 3, 1);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.isEOF());
}

TEST_F(StandinTest, ChangedRowsAreCounted) {
    run(R"(CREATE TABLE "c"("i" INTEGER))");
    RawStatement s(conn);
    s.execute(R"(INSERT INTO "c" VALUES(1), (2), (3), (4))");
    EXPECT_EQ(s.rowCount(), 4);
    s.execute(R"(UPDATE "c" SET "i" = "i" * 10 WHERE "i" > 1)");
    EXPECT_EQ(s.rowCount(), 3);
    s.execute(R"(DELETE FROM "c" WHERE "i" = 99)");
    EXPECT_EQ(s.rowCount(), 0);
    s.execute(R"(DELETE FROM "c")");
    EXPECT_EQ(s.rowCount(), 4);
}

TEST_F(StandinTest, PreparedStatementRunsEachTimeItIsExecuted) {
    run(R"(CREATE TABLE "r"("x" LONG BINARY))");
    RawStatement s(conn);
    const QString insert = R"(INSERT INTO "r" VALUES(0x0102);)";
    tw::checkOdbc(SQLPrepareW(s.get(), const_cast<SQLWCHAR*>(tw::wide(insert)), SQL_NTS), SQL_HANDLE_STMT, s.get());
    tw::checkOdbc(SQLExecute(s.get()), SQL_HANDLE_STMT, s.get());
    tw::checkOdbc(SQLExecute(s.get()), SQL_HANDLE_STMT, s.get());
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT "x" FROM "r")"), (twtest::Rows{{"0102"}, {"0102"}}));
}
