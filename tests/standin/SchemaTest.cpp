#include "StandinTest.h"
#include <utility>
#include <vector>

namespace {

using NameAndType = std::pair<QString, QString>;

std::vector<NameAndType> tablesOf(tw::Connection& conn) {
    tw::Recordset rs = conn.OpenSchema(tw::adSchemaTables);
    std::vector<NameAndType> rows;
    while (!rs.isEOF()) {
        rows.emplace_back(rs.Fields("TABLE_NAME").Value.toText(), rs.Fields("TABLE_TYPE").Value.toText());
        rs.MoveNext();
    }
    return rows;
}

}

TEST_F(StandinTest, EmptyDatabaseListsOnlySqliteMaster) {
    EXPECT_EQ(tablesOf(conn), (std::vector<NameAndType>{{"sqlite_master", "SYSTEM TABLE"}}));
}

TEST_F(StandinTest, TablesSchemaTellsTablesViewsAndSqliteOwnTablesApart) {
    run(R"(CREATE TABLE "alpha"("id" INTEGER PRIMARY KEY AUTOINCREMENT, "x" TEXT))");  // adds sqlite_sequence
    run(R"(CREATE VIEW "beta" AS SELECT "x" FROM "alpha")");
    run(R"(CREATE TABLE "gamma"("a" NUMERIC))");
    run(R"(CREATE INDEX "gamma_a" ON "gamma"("a"))");
    run(R"(INSERT INTO "gamma" VALUES(1))");
    run("ANALYZE");  // adds sqlite_stat1

    const std::vector<NameAndType> expected = {
        {"sqlite_master", "SYSTEM TABLE"}, {"alpha", "TABLE"}, {"sqlite_sequence", "SYSTEM TABLE"},
        {"beta", "VIEW"},                  {"gamma", "TABLE"}, {"sqlite_stat1", "SYSTEM TABLE"}};
    EXPECT_EQ(tablesOf(conn), expected);

    conn.CursorLocation = tw::CursorLocationCode::Client;
    tw::Recordset rs = conn.OpenSchema(tw::adSchemaTables);
    EXPECT_EQ(rs.RecordCount(), qsizetype(expected.size()));
    EXPECT_TRUE(rs.Fields("TABLE_CATALOG").Value.isNull());
    EXPECT_TRUE(rs.Fields("TABLE_SCHEMA").Value.isNull());
}

TEST_F(StandinTest, RenameInIAnywhereFormRenamesTheTable) {
    run(R"(CREATE TABLE "o""ld"("a" INTEGER))");
    run(R"(INSERT INTO "o""ld" VALUES(7))");

    run(R"(ALTER TABLE "o""ld" RENAME "n""ew";)");

    EXPECT_EQ(twtest::readRows(conn, R"(SELECT "a" FROM "n""ew")"), twtest::Rows{{"7"}});
    EXPECT_EQ(errorOf(R"(SELECT * FROM "o""ld")").sqlState(), "42S02");
    EXPECT_EQ(tablesOf(conn), (std::vector<NameAndType>{{"sqlite_master", "SYSTEM TABLE"}, {"n\"ew", "TABLE"}}));
}

TEST_F(StandinTest, RenameTakesNamesThatLookLikeKeywords) {
    run(R"(CREATE TABLE "t"("a" INTEGER))");
    run(R"(ALTER TABLE "t" RENAME "to")");
    run(R"(ALTER TABLE "to" RENAME "column";)");
    EXPECT_EQ(tablesOf(conn), (std::vector<NameAndType>{{"sqlite_master", "SYSTEM TABLE"}, {"column", "TABLE"}}));
}

TEST_F(StandinTest, SqliteRenameFormsStillWork) {
    run(R"(CREATE TABLE "t"("a" INTEGER))");
    run(R"(INSERT INTO "t" VALUES(3))");
    run(R"(ALTER TABLE "t" RENAME TO "u")");
    run(R"(ALTER TABLE "u" RENAME "a" TO "b")");
    run(R"(ALTER TABLE "u" RENAME COLUMN "b" TO "c")");
    tw::Recordset rs = run(R"(SELECT * FROM "u")");
    ASSERT_EQ(rs.fieldCount(), 1);
    EXPECT_EQ(rs.Fields(0).Name, "c");
    EXPECT_EQ(rs.Fields(0).Value.toText(), "3");
}

TEST_F(StandinTest, DropTableRemovesIt) {
    run(R"(CREATE TABLE "t"("a" INTEGER))");
    run(R"(DROP TABLE "t")");
    EXPECT_EQ(tablesOf(conn), (std::vector<NameAndType>{{"sqlite_master", "SYSTEM TABLE"}}));
}

TEST_F(StandinTest, SeveralStatementsRunInOrderAndTheLastGivesTheResult) {
    tw::Recordset rs = run(R"(CREATE TABLE "s"("a" INTEGER); INSERT INTO "s" VALUES(1); INSERT INTO "s" VALUES(2);
                              SELECT SUM("a") FROM "s";)");
    ASSERT_FALSE(rs.isEOF());
    EXPECT_EQ(rs.Fields(0).Value.toText(), "3");
}
