#include "TransferCase.h"

using namespace tw;
using namespace twtest;

namespace {

class ToMySqlTest : public ::testing::Test, public TransferTest {
protected:
    ToMySqlTest() : TransferTest(toMySqlCase, "tw_to_mysql") {}
};

TEST_F(ToMySqlTest, TheExampleTableIsCreatedAndFilledWithTheseExactStatements) {
    seedSource("t", "id INTEGER, name VARCHAR(40), at TIMESTAMP", {"1, 'can''t', NULL"});
    selectInSource({"t"});

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    // Time stamps keep their fractions of a second as DATETIME(6).
    EXPECT_EQ(sent.all(), QStringList({"CREATE TABLE `t`(`id` INT,`name` TEXT,`at` DATETIME(6)) CHARACTER SET utf8mb4;",
                                       "INSERT INTO `t` VALUES('1', 'can''t', NULL)"}));
    EXPECT_EQ(targetRows("t"), Rows({{"1", "can't", nullText}}));
}

TEST_F(ToMySqlTest, ColumnsAreWidenedSoThatEveryValueFits) {
    seedSource("wide",
               "b BIGINT, bu BIGINT UNSIGNED, iu INTEGER UNSIGNED, n NUMERIC(20,6), n9 NUMERIC(9,0), r REAL, "
               "d DOUBLE, lb LONG BINARY, vb VARBINARY(8), ts TIMESTAMP, lv LONG VARCHAR, dt DATE, ok BIT",
               {"-9223372036854775808, 9223372036854775807, 4294967295, -1234567.123456, 999999999, 0.1, "
                "1e300, 0x00ff, 0x27, '2024-02-29 23:59:59.999999', 'long', '2024-02-29', 1",
                "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 0"});
    selectInSource({"wide"});

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    ASSERT_FALSE(sent.all().isEmpty());
    EXPECT_EQ(sent.all()[0], "CREATE TABLE `wide`(`b` BIGINT,`bu` BIGINT UNSIGNED,`iu` BIGINT,`n` DECIMAL(20,6),"
                             "`n9` INT,`r` FLOAT,`d` DOUBLE,`lb` LONGBLOB,`vb` VARBINARY(8),`ts` DATETIME(6),"
                             "`lv` LONGTEXT,`dt` DATETIME,`ok` TEXT) CHARACTER SET utf8mb4;");
    // A DATE arrives in a DATETIME column, so midnight is added to its text.
    EXPECT_EQ(targetRows("wide", "b IS NULL"),
              Rows({{"-9223372036854775808", "9223372036854775807", "4294967295", "-1234567.123456",
                     "999999999", "0.1", "1e+300", "00ff", "27", "2024-02-29 23:59:59.999999", "long",
                     "2024-02-29 00:00:00", "True"},
                    {nullText, nullText, nullText, nullText, nullText, nullText, nullText, nullText, nullText,
                     nullText, nullText, nullText, "False"}}));
}

TEST_F(ToMySqlTest, ByteStringsAreHexadecimalLiteralsAndAnEmptyOneStaysEmpty) {
    seedSource("blobs", "n INTEGER, b LONG BINARY", {"1, 0x00ff5c27", "2, 0x", "3, NULL"});
    selectInSource({"blobs"});

    send();

    EXPECT_EQ(sent.startingWith("INSERT"),
              QStringList({"INSERT INTO `blobs` VALUES('1', X'00ff5c27')", "INSERT INTO `blobs` VALUES('2', X'')",
                           "INSERT INTO `blobs` VALUES('3', NULL)"}));
    EXPECT_EQ(targetRows("blobs"), Rows({{"1", "00ff5c27"}, {"2", ""}, {"3", nullText}}));
}

TEST_F(ToMySqlTest, BackslashesAreDoubledWhereTheServerReadsEscapes) {
    seedSource("paths", "p VARCHAR(20)", {R"('C:\\new')"});  // iAnywhere reads escapes too
    selectInSource({"paths"});

    send();

    EXPECT_EQ(sent.startingWith("INSERT"), QStringList({"INSERT INTO `paths` VALUES('C:\\\\new')"}));
    EXPECT_EQ(targetRows("paths"), Rows({{"C:\\new"}}));
}

TEST_F(ToMySqlTest, ABooleanColumnBecomesTextHoldingTheWords) {
    seedSource("flags", "n INTEGER, ok BIT", {"1, 1", "2, 0"});
    selectInSource({"flags"});

    send();

    EXPECT_EQ(sent.all(), QStringList({"CREATE TABLE `flags`(`n` INT,`ok` TEXT) CHARACTER SET utf8mb4;",
                                       "INSERT INTO `flags` VALUES('1', 'True')",
                                       "INSERT INTO `flags` VALUES('2', 'False')"}));
}

TEST_F(ToMySqlTest, ARowTheTargetRejectsGivesOneBoxAndTheOtherRowsArrive) {
    // A moment no SQL Anywhere holds, put past the stand-in's rules, which MySQL refuses.
    seedSource("t", "n INTEGER, at TIMESTAMP", {"1, '2024-01-01 08:00:00'", "3, '2024-01-03 08:00:00'"});
    rig.standin.execPastTheRules(R"(INSERT INTO "t" VALUES(2, 'not a time'))");
    selectInSource({"t"});

    send();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    const ShownPrompt& box = rig.prompts.shown[0];
    EXPECT_TRUE(isErrorBoxFor(box, tc.location, 248)) << box.text.toStdString();
    EXPECT_EQ(statementShown(box), "INSERT INTO `t` VALUES('2', 'not a time')");
    EXPECT_EQ(targetRows("t"), Rows({{"1", "2024-01-01 08:00:00"}, {"3", "2024-01-03 08:00:00"}}));
    EXPECT_EQ(targetList().entries(), QStringList({"t"}));
    EXPECT_EQ(rig.progress.history, std::vector<int>({33, 67, 100, 0}));
}

TEST_F(ToMySqlTest, ARowTheReaderCannotReadGivesOneBoxAndIsNotSent) {
    seedSource("t", "n INTEGER, w VARCHAR(10)", {"1, 'a'"});
    rig.standin.execPastTheRules("INSERT INTO t VALUES('not a number', 'b'); INSERT INTO t VALUES(3, 'c')");
    selectInSource({"t"});

    send();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_TRUE(isErrorBoxFor(rig.prompts.shown[0], tc.location, 250)) << rig.prompts.shown[0].text.toStdString();
    EXPECT_EQ(sent.startingWith("INSERT"),
              QStringList({"INSERT INTO `t` VALUES('1', 'a')", "INSERT INTO `t` VALUES('3', 'c')"}));
    EXPECT_EQ(targetRows("t"), Rows({{"1", "a"}, {"3", "c"}}));
}

TEST_F(ToMySqlTest, ATableWhoseFirstRowCannotBeReadIsSkippedAndTheNextTableIsCopied) {
    seedSource("a", "n INTEGER", {"1", "2"});
    seedSource("z", "n INTEGER");
    rig.standin.execPastTheRules("INSERT INTO z VALUES('not a number'); INSERT INTO z VALUES(2)");
    selectInSource({"a", "z"});  // walked from the bottom: z first

    send();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_TRUE(rig.prompts.shown[0].text.contains("invalid character value")) << rig.prompts.shown[0].text.toStdString();
    EXPECT_EQ(targetRows("a"), Rows({{"1"}, {"2"}}));
    EXPECT_EQ(targetList().entries(), QStringList({"a"}));
}

TEST_F(ToMySqlTest, ANameThatDiffersOnlyInCaseIsAskedAboutAndThenCopiedBesideTheOther) {
    createIn(mysqlDatabase, "Beta2", "n INT", {"7"});
    targetList().AddItem("Beta2");
    seedSource("beta2", "n INTEGER", {"1", "2"});
    selectInSource({"beta2"});
    rig.prompts.answerMsgBox(MsgAnswer::Yes);

    send();

    EXPECT_EQ(rig.prompts.texts(), QStringList({"Would you like to overwrite beta2?"}));
    EXPECT_EQ(targetRows("beta2"), Rows({{"1"}, {"2"}}));
    EXPECT_EQ(targetRows("Beta2"), Rows({{"7"}})) << "the other table is not touched";
    EXPECT_EQ(targetList().entries(), QStringList({"Beta2", "beta2"}));
}

TEST_F(ToMySqlTest, TextOutsideLatin1ArrivesInADatabaseWhoseDefaultIsLatin1) {
    rig.mysql.exec("ALTER DATABASE `" + rig.mysql.name() + "` CHARACTER SET latin1 COLLATE latin1_swedish_ci");
    seedSource("words", "w VARCHAR(40)", {"'Grüße 日本 😀'", "'plain'"});
    selectInSource({"words"});

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(targetRows("words"), Rows({{"Grüße 日本 😀"}, {"plain"}}));
}

TEST_F(ToMySqlTest, TheLargestRealArrivesInAFloatColumn) {
    seedSource("r", "x REAL", {"3.4028234663852886e38", "-3.4028234663852886e38", "1.5"});
    selectInSource({"r"});

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    EXPECT_EQ(targetRows("r"), Rows({{"-3.4028235e+38"}, {"1.5"}, {"3.4028235e+38"}}));
}

TEST_F(ToMySqlTest, FortyShortByteStringColumnsMakeATableMySqlAccepts) {
    QStringList columns, values;
    for (int i = 0; i < 40; ++i) {
        columns << QString("b%1 VARBINARY(255)").arg(i);
        values << (i == 39 ? "0x" + QString(510, u'f') : "0x0102");
    }
    seedSource("wide", columns.join(", "), {values.join(", ")});
    selectInSource({"wide"});

    send();

    EXPECT_TRUE(rig.prompts.shown.empty()) << rig.prompts.texts().join("\n").toStdString();
    const Rows rows = targetRows("wide");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at(0), "0102");
    EXPECT_EQ(rows[0].at(39), QString(510, u'f'));
}

TEST_F(ToMySqlTest, ALostTargetConnectionGivesOneBoxAndEndsTheTransferKeepingTheRowsSent) {
    seedSource("a", "n INTEGER", {"1"});
    seedSource("b", "n INTEGER", {"1", "2", "3", "4"});
    selectInSource({"a", "b"});
    // The yields of b: one per column, then per row its own and its value's.
    rig.yield.onYield = [&](long long n) {
        if (n == 1 + 1 + 3 * 2)  // row 3 is about to be built
            killMySqlSessions(rig);
    };

    send();

    ASSERT_EQ(rig.prompts.shown.size(), 1u) << rig.prompts.texts().join("\n").toStdString();
    const ShownPrompt& box = rig.prompts.shown[0];
    EXPECT_TRUE(isErrorBoxFor(box, tc.location, 248)) << box.text.toStdString();
    EXPECT_EQ(statementShown(box), "INSERT INTO `b` VALUES('3')");
    EXPECT_EQ(targetRows("b"), Rows({{"1"}, {"2"}}));
    // The program cannot know whether row 3 arrived before the connection went.
    const TableAccount& b = rig.transfer.accounts.at(0).tables.at(0);
    EXPECT_EQ(b.rowsAccepted, 2);
    EXPECT_EQ(b.rowsFailed, 0);
    EXPECT_EQ(b.rowsInDoubt, 1);
    EXPECT_TRUE(rig.transfer.accounts.at(0).details().contains(
        "b: 3 rows read, 2 accepted, 0 failed, 1 in doubt (the connection was lost while it was being sent)"))
        << rig.transfer.accounts.at(0).details().toStdString();
    EXPECT_EQ(tablesIn(tc.target), QStringList({"b"})) << "a is not tried on the lost connection";
    EXPECT_EQ(targetList().entries(), QStringList({"b"}));
    EXPECT_EQ(rig.progress.value(), 0);
    EXPECT_EQ(rig.pointer.history, std::vector<int>({11, 0}));
}

}
