#include "TakingTurns.h"
#include "TransferCase.h"

using namespace tw;
using namespace twtest;

namespace {

// Values and NULLs taking turns in every column type of the source, copied
// per row and by fast copy: every value arrives, as each server itself
// tells, and the account says verified.
class TakingTurnsTransferTest : public ::testing::TestWithParam<std::tuple<TransferCase, bool>>, public TransferTest {
protected:
    TakingTurnsTransferTest() : TransferTest(std::get<0>(GetParam()), "tw_taking_turns") {}
    bool fromMySql() const { return tc.source.quote == u'`'; }
    const std::vector<TypedColumn>& columns() const { return fromMySql() ? mySqlColumns : iAnywhereColumns; }

    // MySQL's values as its server writes them, row by row: the source's
    // in their own types, a copy's (whose BIT became text) by their kind.
    std::vector<QStringList> mySqlHolds() {
        QStringList held;
        for (const TypedColumn& c : columns())
            held << (fromMySql() || c.held == HeldAs::Double || c.held == HeldAs::Bytes
                         ? mySqlHeldText(c)
                         : QString("CAST(`%1` AS CHAR)").arg(c.name));
        Connection c = openMySql(rig.mysql.connectString());
        std::vector<QStringList> rows;
        for (const QStringList& row : readRows(c, "SELECT " + held.join(", ") + " FROM `turns` ORDER BY id"))
            rows.push_back(row);
        return rows;
    }
};

TEST_P(TakingTurnsTransferTest, EveryValueAfterANullArrives) {
    const QString table = quoted(tc.source.quote, "turns");
    tc.source.exec(rig, createTurns(table, columns(), fromMySql() ? " CHARACTER SET utf8mb4" : ""));
    for (const QString& insert : insertTurns(table, columns()))
        tc.source.exec(rig, insert);
    sourceList().AddItem("turns");
    selectInSource({"turns"});
    rig.transfer.fast = std::get<1>(GetParam());

    const std::vector<QStringList> before =
        fromMySql() ? mySqlHolds() : standinHolds(rig.standin.filePath(), "turns", columns());
    send();
    const std::vector<QStringList> after =
        fromMySql() ? standinHolds(rig.standin.filePath(), "turns", columns()) : mySqlHolds();

    ASSERT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").left(2000).toStdString();
    ASSERT_EQ(before.size(), size_t(turnRows));
    ASSERT_EQ(after.size(), size_t(turnRows));
    for (int row = 0; row < turnRows; ++row)
        for (int i = 0; i < int(columns().size()); ++i)
            EXPECT_TRUE(sameHeldValue(before[row][i], after[row][i]))
                << "row " << row + 1 << ", column " << columns()[i].name << ": " << after[row][i].toStdString()
                << " arrived for " << before[row][i].toStdString();
    const TransferAccount& account = rig.transfer.accounts.at(0);
    EXPECT_EQ(account.tables.at(0).verification.result, Verification::Result::Verified) << account.details().toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothWaysBothMethods, TakingTurnsTransferTest,
                         ::testing::Combine(::testing::Values(toIAnywhereCase, toMySqlCase), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "FastCopy" : "PerRow");
                         });

}
