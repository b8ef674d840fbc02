#include "StandinTest.h"
#include <array>
#include <cstring>

using namespace tw;

namespace {

// Arrays of parameters, as an application binds them through the driver
// manager: every set runs in order in the connection's transaction, and the
// first refused set ends the execution with its own message.
class ParameterArraysTest : public StandinTest {
protected:
    void SetUp() override {
        StandinTest::SetUp();
        run("CREATE TABLE t (n INTEGER PRIMARY KEY, w VARCHAR(10), b LONG BINARY)");
        conn.BeginTrans();
        stmt = conn.takeStatement();
        stmt.check(SQLPrepareW(stmt.get(), const_cast<SQLWCHAR*>(wide("INSERT INTO t VALUES(?, ?, ?)")), SQL_NTS));
        stmt.check(SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0));
        stmt.check(SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0));
    }
    void TearDown() override {
        stmt.reset();
        StandinTest::TearDown();
    }

    // Four sets bound a column at a time: numbers, texts (the second NULL), bytes.
    SQLRETURN executeByColumn(const std::array<const char*, 4>& numbers) {
        for (size_t i = 0; i < 4; ++i) {
            std::strcpy(n[i], numbers[i]);
            nLength[i] = SQLLEN(std::strlen(numbers[i]));
        }
        stmt.check(SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMSET_SIZE, SQLPOINTER(4), 0));
        stmt.check(SQLBindParameter(stmt.get(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_INTEGER, 0, 0, n, sizeof n[0], nLength));
        stmt.check(SQLBindParameter(stmt.get(), 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, w, sizeof w[0], wLength));
        stmt.check(SQLBindParameter(stmt.get(), 3, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, 0, 0, b, sizeof b[0],
                                    bLength));
        return SQLExecute(stmt.get());
    }

    QStringList rows() {
        QStringList out;
        for (Recordset rs = run("SELECT n, w, b FROM t ORDER BY n"); !rs.isEOF(); rs.MoveNext())
            out << rs.Fields(0).Value.toText() + "|" + (rs.Fields(1).Value.isNull() ? "NULL" : rs.Fields(1).Value.toText()) +
                       "|" + rs.Fields(2).Value.toText();
        return out;
    }

    StmtHandle stmt;
    std::array<SQLUSMALLINT, 4> status{};
    SQLULEN processed = 0;
    char n[4][8] = {};
    SQLLEN nLength[4] = {};
    char w[4][10] = {"one", "", "it's", "four"};
    SQLLEN wLength[4] = {3, SQL_NULL_DATA, 4, SQL_NTS};
    unsigned char b[4][3] = {{0, 1, 2}, {0xff, 0, 0}, {}, {0x41, 0x42, 0}};
    SQLLEN bLength[4] = {3, 2, 0, 3};
};

TEST_F(ParameterArraysTest, EverySetArrivesInOrderAndIsCounted) {
    ASSERT_EQ(executeByColumn({"1", "2", "3", "4"}), SQL_SUCCESS);
    EXPECT_EQ(processed, 4u);
    EXPECT_EQ(status, (std::array<SQLUSMALLINT, 4>{SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS,
                                                   SQL_PARAM_SUCCESS}));
    SQLLEN count = 0;
    stmt.check(SQLRowCount(stmt.get(), &count));
    EXPECT_EQ(count, 4);
    conn.CommitTrans();
    EXPECT_EQ(rows(), (QStringList{"1|one|000102", "2|NULL|ff00", "3|it's|", "4|four|414200"}));
}

TEST_F(ParameterArraysTest, TheFirstRefusedSetEndsTheExecutionWithItsMessage) {
    ASSERT_EQ(executeByColumn({"1", "2", "1", "4"}), SQL_ERROR);
    try {
        stmt.check(SQL_ERROR);
        FAIL() << "no diagnostic";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.message().contains("Primary key for table 't' is not unique")) << e.message().toStdString();
    }
    EXPECT_EQ(processed, 3u);
    EXPECT_EQ(status, (std::array<SQLUSMALLINT, 4>{SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS, SQL_PARAM_ERROR,
                                                   SQL_PARAM_UNUSED}));
    // The sets before it are in the transaction, for the application to keep or roll back.
    EXPECT_EQ(rows(), (QStringList{"1|one|000102", "2|NULL|ff00"}));
    conn.RollbackTrans();
    EXPECT_TRUE(rows().isEmpty());
}

TEST_F(ParameterArraysTest, SetsBoundARowAtATimeArriveToo) {
    struct Set {
        char n[4];
        SQLLEN nLength;
        char w[10];
        SQLLEN wLength;
        unsigned char b;
        SQLLEN bLength;
    } sets[2] = {{"7", SQL_NTS, "seven", 5, 7, 1}, {"8", 1, "", SQL_NULL_DATA, 8, 1}};
    stmt.check(SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAMSET_SIZE, SQLPOINTER(2), 0));
    stmt.check(SQLSetStmtAttr(stmt.get(), SQL_ATTR_PARAM_BIND_TYPE, SQLPOINTER(sizeof(Set)), 0));
    stmt.check(SQLBindParameter(stmt.get(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_INTEGER, 0, 0, sets[0].n, 4, &sets[0].nLength));
    stmt.check(SQLBindParameter(stmt.get(), 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, sets[0].w, 10, &sets[0].wLength));
    stmt.check(SQLBindParameter(stmt.get(), 3, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, 0, 0, &sets[0].b, 1,
                                &sets[0].bLength));
    ASSERT_EQ(SQLExecute(stmt.get()), SQL_SUCCESS);
    EXPECT_EQ(processed, 2u);
    conn.CommitTrans();
    EXPECT_EQ(rows(), (QStringList{"7|seven|07", "8|NULL|08"}));
}

}
