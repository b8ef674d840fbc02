#include "TransferCase.h"
#include "transfer/ResumeState.h"
#include <QLocale>
#include <tuple>

using namespace tw;
using namespace twtest;

namespace {

constexpr int bigRows = 200000;

// A copy stopped part way and taken up again: the target ends with every
// row exactly once, as its own server counts them.
class ResumeTest : public ::testing::TestWithParam<std::tuple<TransferCase, bool>>, public TransferTest {
protected:
    ResumeTest() : TransferTest(std::get<0>(GetParam()), "tw_resume") {
        rig.transfer.fast = std::get<1>(GetParam());
        ResumeState::clear();
    }

    // "big": id 1 to rows, each with a text; keyed by id unless keyed is false.
    void seedBig(int rows = bigRows, bool keyed = true) {
        const QString key = keyed ? " PRIMARY KEY" : "";
        if (tc.source.quote == u'`') {
            rig.mysql.exec("CREATE TABLE big (id INT" + key + ", w VARCHAR(40))");
            rig.mysql.exec("INSERT INTO big SELECT seq, CONCAT('row \\'', seq) FROM seq_1_to_" + QString::number(rows));
        } else {
            rig.standin.exec("CREATE TABLE big (id INTEGER" + key + ", w VARCHAR(40))");
            rig.standin.execPastTheRules("INSERT INTO big WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                         "WHERE i < " + QString::number(rows) + ") SELECT i, 'row ''' || i FROM n");
        }
        sourceList().AddItem("big");
        selectInSource({"big"});
    }
    void stopAt(int percent) {
        rig.yield.onYield = [this, percent](long long) {
            rig.transfer.stop = rig.transfer.stop || rig.progress.value() >= percent;
        };
    }
    void resume() {
        rig.transfer.stop = false;
        rig.yield.onYield = nullptr;
        tw::TableManagerUi ui = rig.ui();
        resumeTransfer(ui, &sent);
    }
    // The target's own count of its rows, of distinct ids, and the least and largest.
    QStringList targetCounts() {
        Connection c = tc.target.open(rig);
        const QString id = quoted(tc.target.quote, "id");
        return readRows(c, "SELECT COUNT(*), COUNT(DISTINCT " + id + "), MIN(" + id + "), MAX(" + id + ") FROM " +
                               quoted(tc.target.quote, "big"))
            .at(0);
    }
    // What targetCounts() gives for every row of 1 to n exactly once.
    static QStringList eachOnce(int n) { return {QString::number(n), QString::number(n), "1", QString::number(n)}; }
    const TransferAccount& account(size_t i) const { return rig.transfer.accounts.at(i); }
};

TEST_P(ResumeTest, AStoppedCopyGoesOnAfterTheLastSettledRowAndChecksTheWholeTable) {
    seedBig();
    stopAt(40);
    send();

    ASSERT_EQ(rig.transfer.accounts.size(), 1u);
    const TableAccount& first = account(0).tables.at(0);
    ASSERT_TRUE(account(0).stopped);
    ASSERT_TRUE(first.resumeFrom.has_value()) << first.text().toStdString();
    EXPECT_TRUE(account(0).resumable);
    EXPECT_EQ(first.resumeFrom->keyColumns, QStringList({"id"}));
    EXPECT_EQ(first.resumeFrom->lastKey, QStringList({QString::number(first.rowsAccepted)}))
        << "the rows go in key order, each settled";
    EXPECT_TRUE(account(0).details().contains("Resume goes on after id = " + QString::number(first.rowsAccepted)));
    EXPECT_EQ(targetCounts().at(0).toLongLong(), first.rowsAccepted);
    EXPECT_GT(first.rowsAccepted, 0);
    EXPECT_LT(first.rowsAccepted, bigRows);
    const qsizetype sentBefore = sent.all().size();

    resume();

    ASSERT_EQ(rig.transfer.accounts.size(), 2u);
    const TableAccount& rest = account(1).tables.at(0);
    EXPECT_EQ(rest.resumed, "resumed after id = " + QString::number(first.rowsAccepted));
    EXPECT_EQ(first.rowsAccepted + rest.rowsAccepted, bigRows) << rest.text().toStdString();
    EXPECT_EQ(rest.rowsRead, bigRows - first.rowsAccepted);
    EXPECT_EQ(targetCounts(), eachOnce(bigRows));
    EXPECT_EQ(rest.verification.result, Verification::Result::Verified) << rest.text().toStdString();
    EXPECT_FALSE(account(1).resumable);
    EXPECT_FALSE(ResumeState::load().has_value()) << "nothing is left to resume";
    for (const QString& sql : sent.all().mid(sentBefore))
        EXPECT_FALSE(sql.startsWith("CREATE") || sql.startsWith("DROP")) << sql.toStdString();
    EXPECT_EQ(TableManagerRig::entries(targetList()), QStringList({"big"})) << "listed once";
}

TEST_P(ResumeTest, RowsInDoubtThatArrivedAreSettledFromTheTargetsLargestKey) {
    seedBig(30000);
    stopAt(50);
    send();
    ASSERT_TRUE(account(0).tables.at(0).resumeFrom.has_value());
    // As after a COMMIT whose answer the lost connection took with it: the
    // target holds the last 2,000 rows, the account does not know it.
    std::optional<ResumeState> state = ResumeState::load();
    ASSERT_TRUE(state.has_value());
    ResumePoint& point = state->tables.at(0).point;
    const long long settled = point.lastKey.at(0).toLongLong();
    point.lastKey = {QString::number(settled - 2000)};
    point.rowsAccepted -= 2000;
    point.rowsInDoubt = 2000;
    ASSERT_TRUE(state->save().isEmpty());

    resume();

    const TableAccount& rest = account(1).tables.at(0);
    EXPECT_TRUE(rest.resumed.endsWith("of 2000 rows in doubt, 2000 were in the target")) << rest.resumed.toStdString();
    EXPECT_EQ(rest.rowsRead, 30000 - settled);
    EXPECT_EQ(targetCounts(), eachOnce(30000));
    EXPECT_EQ(rest.verification.result, Verification::Result::Verified) << rest.text().toStdString();
}

TEST_P(ResumeTest, AProgramClosedMidCopyLeavesTheRestForResume) {
    seedBig(30000);
    rig.yield.onYield = [this](long long) {
        if (rig.progress.value() >= 40)
            throw ProgramEnding();
    };
    EXPECT_THROW(send(), ProgramEnding);
    ASSERT_TRUE(ResumeState::load().has_value());

    resume();

    const TableAccount& rest = account(0).tables.at(0);
    EXPECT_EQ(targetCounts(), eachOnce(30000)) << rest.text().toStdString();
    EXPECT_EQ(rest.verification.result, Verification::Result::Verified) << rest.text().toStdString();
}

TEST_P(ResumeTest, ATargetHoldingMoreThanTheCopyAccountsForIsNotResumed) {
    seedBig(30000);
    stopAt(50);
    send();
    const long long before = targetCounts().at(0).toLongLong();
    tc.target.exec(rig, "INSERT INTO " + quoted(tc.target.quote, "big") + " VALUES(999999, 'someone else''s')");

    resume();

    const TableAccount& rest = account(1).tables.at(0);
    EXPECT_TRUE(rest.skipped.startsWith("cannot resume: big holds " + QLocale(QLocale::English).toString(before + 1) +
                                        " rows, where the copy so far accounts for " +
                                        QLocale(QLocale::English).toString(before)))
        << rest.skipped.toStdString();
    EXPECT_EQ(targetCounts().at(0).toLongLong(), before + 1) << "nothing was sent";
}

TEST_P(ResumeTest, ATableWithoutAKeyCannotResume) {
    seedBig(30000, false);
    stopAt(50);
    send();

    const TableAccount& first = account(0).tables.at(0);
    EXPECT_EQ(first.readPath, "as one result");
    EXPECT_EQ(first.cannotResume, "no key to continue from");
    EXPECT_TRUE(first.text().contains("cannot resume: no key to continue from"));
    EXPECT_FALSE(account(0).resumable);
    EXPECT_FALSE(ResumeState::load().has_value());
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<TransferCase, bool>>& info) {
    return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Fast" : "PerRow");
}

INSTANTIATE_TEST_SUITE_P(BothWays, ResumeTest,
                         ::testing::Combine(::testing::Values(toIAnywhereCase, toMySqlCase), ::testing::Bool()), caseName);

}
