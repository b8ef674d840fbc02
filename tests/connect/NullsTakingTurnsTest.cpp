#include "TakingTurns.h"
#include "TestEnv.h"
#include <gtest/gtest.h>

using namespace tw;
using namespace twtest;

namespace {

class NullsTakingTurnsTest : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() {
        db = new MySqlDatabase("tw_nulls_taking_turns");
        db->exec(createTurns("turns", mySqlColumns, " CHARACTER SET utf8mb4"));
        for (const QString& insert : insertTurns("turns", mySqlColumns))
            db->exec(insert);
    }
    static void TearDownTestSuite() { delete db; }
    static MySqlDatabase* db;
};
MySqlDatabase* NullsTakingTurnsTest::db = nullptr;

// What our reading gives, as the server writes it.
QString asServerWrites(const TypedColumn& c, const Value& v) {
    if (v.isNull())
        return nullText;
    switch (c.held) {
    case HeldAs::Bytes: return QString::fromLatin1(v.toBytes().toHex().toUpper());
    case HeldAs::Bit: return v.toBool() ? "1" : "0";
    default: return v.toText();
    }
}

TEST_P(NullsTakingTurnsTest, EveryValueAfterANullIsReadAsTheServerHoldsIt) {
    QString expectedSql = "SELECT id";
    for (const TypedColumn& c : mySqlColumns)
        expectedSql += ", " + mySqlHeldText(c);
    Connection server = openMySql(db->connectString());
    const Rows expected = readRows(server, expectedSql + " FROM turns ORDER BY id");
    ASSERT_EQ(expected.size(), size_t(turnRows));

    Connection c;
    c.BindsColumns = GetParam();
    c.Open(db->connectString());
    Recordset rs = c.Execute("SELECT * FROM turns ORDER BY id");
    for (int row = 0; row < turnRows; ++row) {
        ASSERT_FALSE(rs.isEOF());
        for (int i = 0; i < int(mySqlColumns.size()); ++i) {
            const TypedColumn& col = mySqlColumns[i];
            const Value& v = rs.Fields(i + 1).Value;
            const QString& want = expected[row][i + 1];
            SCOPED_TRACE(QString("row %1, column %2").arg(row + 1).arg(col.name).toStdString());
            EXPECT_EQ(v.isNull(), isNullTurn(row));
            if (col.held == HeldAs::Double && !v.isNull())
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
