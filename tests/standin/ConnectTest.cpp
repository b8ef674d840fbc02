#include "StandinTest.h"
#include <future>
#include <QProcess>
#include <QFile>

namespace {

const QString prefix = QStringLiteral("[Tablewright][SQLite stand-in] ");

tw::DbError openError(const QString& connectString) {
    tw::Connection c;
    c.Provider = "MSDASQL";
    try {
        c.Open(connectString);
    } catch (const tw::DbError& e) {
        EXPECT_FALSE(c.isOpen());
        return e;
    }
    ADD_FAILURE() << "opened: " << connectString.toStdString();
    return tw::DbError(QStringLiteral("(none)"));
}

}

TEST_F(StandinTest, ConnectsByDataSourceName) {
    ASSERT_TRUE(conn.isOpen());
    EXPECT_EQ(valueOf("SELECT 6 * 7").toText(), "42");
}

TEST_F(StandinTest, UnknownDataSourceIsAClearError) {
    const tw::DbError e = openError("Data Source=tw_no_such_source");
    EXPECT_EQ(e.sqlState(), "IM002");
    EXPECT_TRUE(e.message().contains("Data source name not found")) << e.message();
}

TEST_F(StandinTest, MissingDatabaseFileIsAnErrorAndIsNotCreated) {
    const QString missing = twtest::servicesDir() + "/standin/no-such-file.db";
    ASSERT_FALSE(QFile::exists(missing)) << "left over from an earlier run: " << missing;

    const tw::DbError e = openError("Data Source=tw_standin_missing");
    EXPECT_EQ(e.sqlState(), "08001");
    EXPECT_TRUE(e.message().contains(prefix + "unable to open database file: " + missing)) << e.message();
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(StandinTest, EachStatementCommitsOnItsOwnInWalMode) {
    EXPECT_EQ(valueOf("PRAGMA journal_mode").toText(), "wal");
    run(R"(CREATE TABLE "t"("a" INTEGER))");
    run(R"(INSERT INTO "t" VALUES(1))");
    EXPECT_TRUE(QFile::exists(db->filePath() + "-wal"));

    // A second connection sees the row while the first one is still open.
    tw::Connection other = twtest::openStandin(db->connectString());
    EXPECT_EQ(twtest::readRows(other, R"(SELECT "a" FROM "t")"), twtest::Rows{{"1"}});
    run(R"(INSERT INTO "t" VALUES(2))");
    EXPECT_EQ(twtest::readRows(other, R"(SELECT "a" FROM "t" ORDER BY "a")"), (twtest::Rows{{"1"}, {"2"}}));
}

TEST_F(StandinTest, FailingStatementRaisesTheStandinMessage) {
    const tw::DbError e = errorOf(R"(SELECT * FROM "missing")");
    EXPECT_EQ(e.sqlState(), "42S02");
    EXPECT_EQ(e.message(), prefix + "no such table: missing");
    ASSERT_EQ(e.records().size(), 1u);
}

TEST_F(StandinTest, ErrorsCarryTheSqlStatesOfTheirKind) {
    run(R"(CREATE TABLE "t"("a" INTEGER NOT NULL UNIQUE))");
    run(R"(INSERT INTO "t" VALUES(1))");

    tw::DbError exists = errorOf(R"(CREATE TABLE "t"("b" TEXT))");
    EXPECT_EQ(exists.sqlState(), "42S01");
    EXPECT_EQ(exists.message(), prefix + "table \"t\" already exists");

    tw::DbError syntax = errorOf("SELEC 1");
    EXPECT_EQ(syntax.sqlState(), "42000");
    EXPECT_EQ(syntax.message(), prefix + "near \"SELEC\": syntax error");

    tw::DbError unique = errorOf(R"(INSERT INTO "t" VALUES(1))");
    EXPECT_EQ(unique.sqlState(), "23000");
    EXPECT_EQ(unique.message(), prefix + "Index 'a' for table 't' would not be unique");

    tw::DbError notNull = errorOf(R"(INSERT INTO "t" VALUES(NULL))");
    EXPECT_EQ(notNull.sqlState(), "23502");
    EXPECT_EQ(notNull.message(), prefix + "Column 'a' in table 't' cannot be NULL");

    tw::DbError drop = errorOf(R"(DROP TABLE "nope")");
    EXPECT_EQ(drop.sqlState(), "42S02");
    EXPECT_EQ(drop.message(), prefix + "no such table: nope");

    // The failures leave nothing behind: the table still has its one row.
    EXPECT_EQ(twtest::readRows(conn, R"(SELECT "a" FROM "t")"), twtest::Rows{{"1"}});
}

// isql speaks through the narrow functions: its UTF-8 text must arrive as
// text, not as Latin-1 read byte by byte.
TEST_F(StandinTest, TextGivenThroughTheNarrowFunctionsIsTheClientsUtf8) {
    const QString words = QString::fromUtf8("Grüße 日本 😀");
    QProcess isql;
    isql.start("isql", {"-b", twtest::StandinDatabase::dataSourceName()});
    ASSERT_TRUE(isql.waitForStarted());
    isql.write(("CREATE TABLE \"w\"(\"t\" VARCHAR(40))\nINSERT INTO \"w\" VALUES('" + words + "')\n"
                "SELECT \"t\" || '|' FROM \"w\"\n")
                   .toUtf8());
    isql.closeWriteChannel();
    ASSERT_TRUE(isql.waitForFinished());
    EXPECT_EQ(isql.exitCode(), 0) << isql.readAllStandardError().toStdString();

    EXPECT_EQ(twtest::readRows(conn, R"(SELECT "t" FROM "w")"), twtest::Rows({{words}})) << "read through the W functions";
    EXPECT_TRUE(QString::fromUtf8(isql.readAllStandardOutput()).contains(words + "|")) << "and given back as UTF-8";
}

// SQLCancel from another thread, while the statement runs, stops it with
// SQL Anywhere's words, as the program asks before it gives a call up.
TEST_F(StandinTest, CancelStopsAStatementWhileItRuns) {
    run("CREATE TABLE n (i INTEGER)");
    for (int i = 0; i < 100; ++i)
        run(QString("INSERT INTO n VALUES(%1)").arg(i));
    ASSERT_EQ(valueOf("SELECT COUNT(*) FROM n").toText(), "100");
    tw::StmtHandle stmt = conn.takeStatement();
    // Ten thousand million rows to count: it would run for hours.
    const QString endless = "SELECT COUNT(*) FROM n a, n b, n c, n d, n e";
    auto result = std::async(std::launch::async, [&] {
        const SQLRETURN executed = SQLExecDirectW(stmt.get(), const_cast<SQLWCHAR*>(tw::wide(endless)), SQL_NTS);
        return SQL_SUCCEEDED(executed) ? SQLFetch(stmt.get()) : executed;  // the count is made as the row is fetched
    });
    // Asked until it stops: a cancel before the statement starts finds nothing to stop.
    for (int i = 0; i < 3000 && result.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready; ++i)
        SQLCancel(stmt.get());
    ASSERT_EQ(result.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "the statement was not stopped";
    EXPECT_EQ(result.get(), SQL_ERROR);
    try {
        stmt.check(SQL_ERROR);
        ADD_FAILURE() << "no diagnostics";
    } catch (const tw::DbError& e) {
        EXPECT_EQ(e.sqlState(), "HY008");
        EXPECT_TRUE(e.message().endsWith("Statement interrupted by user")) << e.message();
    }
}

// The driver manager calls the driver's narrow functions where it has them,
// and a narrow one hands on to its wide twin inside the driver, not to the
// driver manager's function of that name.
#pragma push_macro("SQLSetStmtAttr")
#pragma push_macro("SQLGetStmtAttr")
#undef SQLSetStmtAttr
#undef SQLGetStmtAttr
TEST_F(StandinTest, StatementAttributesSetThroughTheNarrowFunctionsAreTheDriversToReadBack) {
    tw::StmtHandle stmt = conn.takeStatement();
    ASSERT_EQ(SQLSetStmtAttr(stmt.get(), SQL_ATTR_QUERY_TIMEOUT, SQLPOINTER(7), 0), SQL_SUCCESS);
    SQLULEN timeout = 0;
    ASSERT_EQ(SQLGetStmtAttr(stmt.get(), SQL_ATTR_QUERY_TIMEOUT, &timeout, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(timeout, 7u);
}
#pragma pop_macro("SQLGetStmtAttr")
#pragma pop_macro("SQLSetStmtAttr")
