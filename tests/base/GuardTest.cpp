#include "TestEnv.h"
#include "connect/DbError.h"
#include "base/Guard.h"
#include <gtest/gtest.h>

using namespace tw;

namespace {
const QString helpLocation = locationText("Form1", "PushButton1_Click");
const QString trailer = "Please email screenshot of this message to " + supportAddress;
}

TEST(ErrorBoxTest, LocationTextRunsDateIntoWindowAndEndsInABlank) {
    EXPECT_EQ(helpLocation, "in Tabferry2017/04/05.Form1.PushButton1_Click ");
}

TEST(ErrorBoxTest, TextWithoutStatementLine) {
    EXPECT_EQ(errorBoxText("Boom", helpLocation, 104),
              "Boom\r\nin Tabferry2017/04/05.Form1.PushButton1_Click at line 104\r\r" + trailer);
}

TEST(ErrorBoxTest, TextWithStatementLineEvenWhenNoStatementWasBuilt) {
    const QString built = "INSERT INTO \"t\" VALUES(1)";
    const QString empty;
    const QString location = locationText("Form2", "PushButton3_Click");
    EXPECT_EQ(errorBoxText("x", location, 278, &built),
              "x\r\nin Tabferry2017/04/05.Form2.PushButton3_Click at line 278\r\r" + trailer +
                  "\r\rsql: INSERT INTO \"t\" VALUES(1)");
    EXPECT_TRUE(errorBoxText("x", location, 152, &empty).endsWith(trailer + "\r\rsql: "));
}

TEST(ErrorBoxTest, AStatementOfMegabytesShowsItsStartAndItsEndInShortLines) {
    const QString statement = "INSERT INTO `t` VALUES(X'" + QString(20'000'000, u'a') + "', 'the end')";
    const QString text = errorBoxText("Got a packet bigger than 'max_allowed_packet' bytes", "in x ", 248, &statement);
    const QString shown = text.mid(text.indexOf("\r\rsql: ") + 7);
    EXPECT_LT(shown.size(), 3200);
    const QStringList lines = shown.split('\r');
    EXPECT_TRUE(lines.first().startsWith("INSERT INTO `t` VALUES(X'aaa"));
    EXPECT_TRUE(lines.last().endsWith("aaa', 'the end')"));
    EXPECT_TRUE(lines.contains(QString("… %1 characters left out …").arg(statement.size() - 3000)));
    for (const QString& line : lines)
        EXPECT_LE(line.size(), 100);
    const QString shortOne = "INSERT INTO `t` VALUES('" + QString(2900, u'b') + "')";
    EXPECT_TRUE(errorBoxText("x", "in x ", 248, &shortOne).endsWith("sql: " + shortOne)) << "a statement that fits stays whole";
}

TEST(ErrorBoxTest, EmptyDescriptionStillStartsWithTheLineBreak) {
    EXPECT_TRUE(errorBoxText("", helpLocation, 100).startsWith("\r\nin Tabferry"));
}

TEST(GuardTest, TwoFailingStepsGiveTwoBoxesInOrderAndTheProcedureReachesItsEnd) {
    twtest::ScriptedPrompts prompts;
    Guard g(prompts, helpLocation);
    std::vector<int> ran;
    g.step(100, [&] { ran.push_back(100); });
    g.step(102, [&] { throw DbError("first failure"); });
    g.step(104, [&] { ran.push_back(104); });
    g.step(106, [&] { throw std::runtime_error("second failure"); });
    g.step(108, [&] { ran.push_back(108); });

    EXPECT_EQ(ran, (std::vector<int>{100, 104, 108}));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, errorBoxText("first failure", helpLocation, 102));
    EXPECT_EQ(prompts.shown[1].text, errorBoxText("second failure", helpLocation, 106));
    for (const auto& box : prompts.shown) {
        EXPECT_EQ(box.title, "Application Error");
        EXPECT_EQ(box.style, MsgStyle::Exclamation);
    }
}

TEST(GuardTest, FailingIfTestRunsItsBlockThenGoesOn) {
    twtest::ScriptedPrompts prompts;
    Guard g(prompts, helpLocation);
    bool blockRan = false, afterRan = false;
    if (g.test(110, [&]() -> bool { throw DbError("cannot evaluate"); }))
        g.step(112, [&] { blockRan = true; });
    g.step(114, [&] { afterRan = true; });
    EXPECT_TRUE(blockRan);
    EXPECT_TRUE(afterRan);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.contains("at line 110\r\r"));
}

TEST(GuardTest, FailureInsideACalledProcedureNamesTheCallersLineAndSkipsTheRest) {
    twtest::ScriptedPrompts prompts;
    Guard g(prompts, locationText("Form1", "Form_Load"));
    bool restOfCallee = false;
    auto callee = [&] {
        throw DbError("inner");
        restOfCallee = true;
    };
    g.step(108, callee);
    EXPECT_FALSE(restOfCallee);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, errorBoxText("inner", locationText("Form1", "Form_Load"), 108));
}

TEST(GuardTest, TransferBoxShowsTheStatementBufferAtTheMomentOfFailure) {
    twtest::ScriptedPrompts prompts;
    QString buffer;
    Guard g(prompts, locationText("Form2", "PushButton4_Click"), &buffer);
    buffer = "CREATE TABLE `t`(`a` INT);";
    g.step(206, [] { throw DbError("Table 't' already exists"); });
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.endsWith("\r\rsql: CREATE TABLE `t`(`a` INT);"));
}

TEST(GuardTest, ProgramEndingIsNotReportedButStopsTheProcedure) {
    twtest::ScriptedPrompts prompts;
    Guard g(prompts, helpLocation);
    EXPECT_THROW(g.step(100, [] { throw ProgramEnding(); }), ProgramEnding);
    EXPECT_TRUE(prompts.shown.empty());
}
