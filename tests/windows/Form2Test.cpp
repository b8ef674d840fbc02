#include "WindowTestSupport.h"
#include "shell/LookAndFeel.h"
#include "base/AbandonedWork.h"
#include "base/OperationThread.h"
#include "tables/Form2.h"
#include "tables/TransferDetailsDialog.h"
#include "tables/TransferResultView.h"
#include "transfer/ResumeState.h"
#include <QCheckBox>
#include <QComboBox>
#include <QClipboard>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTest>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <gtest/gtest.h>

using namespace tw;

namespace {

class Form2Test : public twtest::WithApplication {
protected:
    Form2Test() : form(program.services(), profile, store, connectionWindow) {
        program.prompts.pointer = &form.pointer();
        form.Form_Load();
    }
    QList<QWidget*> listsAndButtons() const {
        return {form.List1,       form.List2,       form.PushButton1,  form.PushButton2, form.PushButton3,
                form.PushButton4, form.PushButton5, form.PushButton6,  form.PushButton7, form.PushButton8,
                form.PushButton9, form.PushButton10, form.PushButton11, form.PushButton12};
    }

    twtest::ScriptedProgram program;
    twtest::TestProfile profile;
    tw::SettingsStore store;
    QWidget connectionWindow;
    Form2 form;
};

TEST_F(Form2Test, SelectAllAndDeselectAllKeepTheCurrentEntry) {
    for (const char* name : {"customers", "orders", "products"}) {
        form.List1->AddItem(name);
        form.List2->AddItem(name);
    }
    form.List1->setListIndex(1);
    form.List2->setListIndex(2);

    form.PushButton10->click();
    EXPECT_EQ(form.List1->SelCount(), 3);
    EXPECT_EQ(form.List1->ListIndex(), 1);
    EXPECT_EQ(form.List2->SelCount(), 0) << "the other list is left alone";
    form.PushButton11->click();
    EXPECT_EQ(form.List1->SelCount(), 0);
    EXPECT_EQ(form.List1->ListIndex(), 1);

    form.PushButton8->click();
    EXPECT_EQ(form.List2->SelCount(), 3);
    EXPECT_EQ(form.List2->ListIndex(), 2);
    form.PushButton9->click();
    EXPECT_EQ(form.List2->SelCount(), 0);
    EXPECT_EQ(form.List2->ListIndex(), 2);
    EXPECT_TRUE(program.prompts.shown.empty());
}

TEST_F(Form2Test, SelectAllAndDeselectAllOnEmptyListsDoNothing) {
    for (QPushButton* b : {form.PushButton8, form.PushButton9, form.PushButton10, form.PushButton11})
        b->click();
    EXPECT_EQ(form.List1->ListCount(), 0);
    EXPECT_EQ(form.List1->ListIndex(), -1);
    EXPECT_TRUE(program.prompts.shown.empty());
}

TEST_F(Form2Test, ControlsCaptionsAndPlacesInTwips) {
    twtest::expectPlaced({
        {form.Frame1, &form, "MySQL Tables", {120, 120, 3840, 4215}},
        {form.List1, form.Frame1, "", {240, 360, 3330, 1635}},
        {form.PushButton10, form.Frame1, "Select All", {240, 2100, 1600, 400}},
        {form.PushButton11, form.Frame1, "Deselect All", {1960, 2100, 1600, 400}},
        {form.PushButton3, form.Frame1, "Send Table/s To Sybase iAny", {240, 2600, 3330, 400}},
        {form.PushButton1, form.Frame1, "Delete Table/s", {240, 3100, 3330, 400}},
        {form.PushButton6, form.Frame1, "Rename Table", {240, 3600, 3330, 400}},
        {form.Frame2, &form, "Sybase iAnywhere Tables", {4080, 120, 3840, 4215}},
        {form.List2, form.Frame2, "", {240, 360, 3330, 1635}},
        {form.PushButton8, form.Frame2, "Select All", {240, 2100, 1600, 400}},
        {form.PushButton9, form.Frame2, "Deselect All", {1960, 2100, 1600, 400}},
        {form.PushButton4, form.Frame2, "Send Table/s To MySQL", {240, 2600, 3330, 400}},
        {form.PushButton5, form.Frame2, "Delete Table/s", {240, 3100, 3330, 400}},
        {form.PushButton7, form.Frame2, "Rename Table", {240, 3600, 3330, 400}},
        {form.ProgressBar1, &form, "Progress Bar", {120, 4460, 7800, 405}},
        {form.TransferResult, &form, "", {120, 4960, 7800, 360}},
        {form.FastCopy, &form, "Fast copy", {120, 5360, 1320, 300}},
        {form.KeepStructure, &form, "Keep types and keys", {1500, 5360, 2250, 300}},
        {form.PushButton2, &form, "< Back", {120, 5760, 3840, 405}},
        {form.PushButton12, &form, "Help", {4080, 5760, 3840, 405}},
    });
    for (QWidget* box : {static_cast<QWidget*>(form.FastCopy), static_cast<QWidget*>(form.KeepStructure)})
        EXPECT_LE(box->sizeHint().width(), box->width()) << "the caption is whole";
    EXPECT_EQ(form.TransferResult->DetailsButton->text(), "Details…");
    EXPECT_FALSE(form.TransferResult->DetailsButton->isEnabled()) << "no account before the first transfer";
    EXPECT_EQ(form.PushButton3->text().size(), 27);
    EXPECT_EQ(form.ProgressBar1->minimum(), 0);
    EXPECT_EQ(form.ProgressBar1->maximum(), 100);
    EXPECT_EQ(form.ProgressBar1->value(), 0);
    EXPECT_EQ(form.windowTitle(), "Tablewright");
    EXPECT_FALSE(form.windowIcon().isNull());
}

TEST_F(Form2Test, OuterHeightIsTheBottomOfTheBackButtonAndFiveHundredEightyTwips) {
    EXPECT_FLOAT_EQ(form.outerHeightTwips(), 6745);  // grown by the "Fast copy" box
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.frameGeometry().height(), qRound(6745 / 15.0));
    EXPECT_EQ(form.width(), 536);
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the window cannot be resized";
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(Form2Test, WhatToDoWithAnExistingTableIsAskByDefaultAndStoredForTheNextRun) {
    store.SaveSetting("ExistingTable", "");  // as if never chosen, whatever an earlier run left
    QWidget firstWindow;
    Form2 first(program.services(), profile, store, firstWindow);
    EXPECT_EQ(first.ExistingTableChoice->currentText(), "Ask");
    EXPECT_EQ(first.TransferResult->existingTable(), ExistingTable::Ask);
    first.ExistingTableChoice->setCurrentText("Append");
    EXPECT_EQ(store.GetSetting("ExistingTable", ""), "Append");
    EXPECT_EQ(first.TransferResult->existingTable(), ExistingTable::Append);
    QWidget window;
    Form2 next(program.services(), profile, store, window);
    next.Form_Load();
    EXPECT_EQ(next.ExistingTableChoice->currentText(), "Append");
    EXPECT_EQ(next.TransferResult->existingTable(), ExistingTable::Append);
}

TEST_F(Form2Test, TheWindowSaysWhichDatabasesItsListsAre) {
    profile.setText(ProfileField::Server, "db.example");
    profile.setText(ProfileField::Port, "3307");
    profile.setText(ProfileField::Database, "sales");
    profile.setText(ProfileField::DataSourceName, "Sales DSN");
    form.show();
    EXPECT_EQ(form.TransferResult->Line->text(),
              "MySQL db.example:3307, database sales \u00b7 iAnywhere data source Sales DSN");
    EXPECT_EQ(form.Frame1->toolTip(), "MySQL db.example:3307, database sales");
    EXPECT_EQ(form.List2->toolTip(), "iAnywhere data source Sales DSN");
    // "< Back", another database, "Next >": the window says which it is now.
    form.hide();
    profile.setText(ProfileField::Database, "archive");
    form.show();
    EXPECT_TRUE(form.TransferResult->Line->text().startsWith("MySQL db.example:3307, database archive"));
    form.hide();
}

// Fast copy and keeping types and keys: off by default, and each choice
// kept in the settings store for the next run.
TEST_F(Form2Test, TransferCheckBoxesAreOffByDefaultAndTheChoiceIsStoredForTheNextRun) {
    struct Box {
        const char* key;
        QCheckBox* Form2::*box;
        bool (TransferResultView::*chosen)() const;
    };
    for (const Box& b : {Box{"FastCopy", &Form2::FastCopy, &TransferResultView::fastCopy},
                         Box{"KeepStructure", &Form2::KeepStructure, &TransferResultView::keepStructure}}) {
        SCOPED_TRACE(b.key);
        store.SaveSetting(b.key, "False");
        Form2 first(program.services(), profile, store, connectionWindow);
        EXPECT_FALSE((first.*b.box)->isChecked());
        EXPECT_FALSE((first.TransferResult->*b.chosen)());

        (first.*b.box)->click();
        EXPECT_TRUE((first.TransferResult->*b.chosen)()) << "the next transfer takes it";
        EXPECT_EQ(store.GetSetting(b.key, ""), "True");
        Form2 next(program.services(), profile, store, connectionWindow);
        EXPECT_TRUE((next.*b.box)->isChecked());
        EXPECT_TRUE((next.TransferResult->*b.chosen)());

        (next.*b.box)->click();
        EXPECT_EQ(store.GetSetting(b.key, ""), "False");
    }
}

TEST_F(Form2Test, TabOrderStartsAtTheIAnywhereList) {
    QList<QWidget*> order;
    QWidget* w = form.List2;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
        w = w->nextInFocusChain();
    } while (w != form.List2);
    EXPECT_EQ(order, QList<QWidget*>({form.List2, form.List1, form.PushButton10, form.PushButton11, form.PushButton3,
                                      form.PushButton1, form.PushButton6, form.PushButton8, form.PushButton9,
                                      form.PushButton4, form.PushButton5, form.PushButton7, form.FastCopy, form.KeepStructure, form.ExistingTableChoice,
                                      form.PushButton2, form.PushButton12, form.TransferResult->ResumeButton,
                                      form.TransferResult->DetailsButton}));
    form.show();
    EXPECT_EQ(form.focusWidget(), form.List2);
}

TEST_F(Form2Test, WindowAndFramesAreButtonFaceAndTheListsWhite) {
    for (QWidget* w : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.Frame1), static_cast<QWidget*>(form.Frame2)})
        EXPECT_EQ(w->palette().color(QPalette::Window), buttonFace());
    for (QWidget* list : {form.List1, form.List2})
        EXPECT_EQ(list->palette().color(QPalette::Base), QColor(Qt::white));
}

TEST_F(Form2Test, FontsAreArialNinePointBoldAndButtonsElevenAndAQuarter) {
    for (QWidget* w : {static_cast<QWidget*>(form.Frame1), static_cast<QWidget*>(form.List2)}) {
        EXPECT_EQ(w->font().family(), "Arial");
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 9);
        EXPECT_TRUE(w->font().bold());
    }
    for (QPushButton* b : {form.PushButton3, form.PushButton12}) {
        EXPECT_DOUBLE_EQ(b->font().pointSizeF(), 11.25);
        EXPECT_TRUE(b->font().bold());
    }
}

TEST_F(Form2Test, HelpNamesTheMakersContactPage) {
    form.PushButton12->click();
    ASSERT_EQ(program.prompts.shown.size(), 1u);
    EXPECT_EQ(program.prompts.shown[0].text, "Questions? Please contact Team Veltrano at https://www.veltrano.com/contact");
    EXPECT_EQ(program.prompts.shown[0].style, MsgStyle::OkOnly);
    EXPECT_EQ(program.prompts.shown[0].title, "");
}

TEST_F(Form2Test, BackShowsTheConnectionWindowAndHidesThisOneWithItsListsKept) {
    form.List1->AddItem("orders");
    form.List1->setSelected(0, true);
    form.show();
    form.PushButton2->click();
    EXPECT_TRUE(connectionWindow.isVisible());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.List1->entries(), QStringList({"orders"}));
    EXPECT_EQ(form.List1->SelCount(), 1);
}

TEST_F(Form2Test, HoverShowsTheHandOverButtonsAndTheArrowOverListsAndFrames) {
    ASSERT_TRUE(form.pointer().hasMouseIcon());
    twtest::moveMouseOver(form.PushButton7);
    EXPECT_EQ(form.pointer().mousePointer(), PointerCode::Hand);
    twtest::moveMouseOver(form.ProgressBar1);
    EXPECT_EQ(form.pointer().mousePointer(), PointerCode::Hand) << "the progress bar has no pointer handler";
    twtest::moveMouseOver(form.List1->viewport());
    EXPECT_EQ(form.pointer().mousePointer(), PointerCode::Arrow);
    twtest::moveMouseOver(form.PushButton2);
    twtest::moveMouseOver(form.Frame2);
    EXPECT_EQ(form.pointer().mousePointer(), PointerCode::Arrow);
}

TEST_F(Form2Test, ClosingTheWindowEndsTheProgram) {
    connectionWindow.show();
    form.show();
    form.close();
    EXPECT_TRUE(program.end.requested());
    EXPECT_FALSE(connectionWindow.isVisible()) << "the hidden connection window goes too";
}

// The table manager over real databases.
class Form2OperationsTest : public Form2Test {
protected:
    Form2OperationsTest() : mysql("windows_form2") {
        mysql.fillProfile(profile);
        standin.fillProfile(profile);
    }
    static constexpr int bigRows = 20000;

    // Sends a table to iAnywhere with the window's own button, doing what
    // the user does on the window's thread once the bar reaches the given
    // position; the transfer runs on a thread of its own meanwhile.
    void copyOrdersActingAtProgress(int percent, const std::function<void()>& act) {
        seedMySql("orders", bigRows);
        form.List1->AddItem("orders");
        chooseOnly(*form.List1, "orders");
        form.show();
        actAtProgress(percent, act);
        form.PushButton3->click();
    }
    void actAtProgress(int percent, const std::function<void()>& act) {
        QObject::connect(form.ProgressBar1, &QProgressBar::valueChanged, &form, [=, done = false](int value) mutable {
            if (!done && value >= percent) {
                done = true;
                act();
            }
        });
    }
    // Into the table as it is, or a new one of id and name.
    void seedMySql(const QString& table, int rows) {
        mysql.exec("CREATE TABLE IF NOT EXISTS " + table + " (id INT, name VARCHAR(40))");
        mysql.exec("INSERT INTO " + table + " SELECT seq, CONCAT('name ', seq) FROM seq_1_to_" + QString::number(rows));
    }
    // A table of n rows in iAnywhere, chosen for sending to MySQL.
    void seedStock(int rows) {
        standin.exec("CREATE TABLE \"stock\" (id INTEGER, name VARCHAR(40))");
        standin.exec("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < " + QString::number(rows) +
                     ") INSERT INTO \"stock\" SELECT i, 'item ' || i FROM s");
        form.List2->AddItem("stock");
        chooseOnly(*form.List2, "stock");
        form.show();
    }
    static void chooseOnly(TableListWidget& list, const QString& name) {
        const int at = int(list.entries().indexOf(name));
        list.setListIndex(at);
        list.setSelected(at, true);
    }
    twtest::MySqlDatabase mysql;
    twtest::StandinDatabase standin;
};

TEST_F(Form2OperationsTest, DeleteWithoutACurrentEntryAsksForATable) {
    form.List1->AddItem("orders");
    form.PushButton1->click();
    EXPECT_EQ(program.prompts.texts(), QStringList({"Please select a table"}));
}

TEST_F(Form2OperationsTest, RenameTakesTheNewNameIntoTheListAndTheDatabase) {
    mysql.exec("CREATE TABLE orders (id INT)");
    form.List1->AddItem("orders");
    chooseOnly(*form.List1, "orders");
    program.prompts.answerInputBox("purchases");
    form.PushButton6->click();
    EXPECT_EQ(form.List1->entries(), QStringList({"purchases"}));
    tw::Connection c = twtest::openMySql(mysql.connectString());
    EXPECT_EQ(twtest::readRows(c, "SHOW TABLES"), twtest::Rows({{"purchases"}}));
}

TEST_F(Form2OperationsTest, WhileATransferRunsTheWindowAnswersWithListsAndButtonsDisabledAndTheHourglass) {
    seedMySql("orders", bigRows);
    form.List1->AddItem("orders");
    chooseOnly(*form.List1, "orders");
    form.show();
    int ticks = 0, disabledTicks = 0, busyTicks = 0;
    std::vector<int> pointerAfterHover;
    std::set<int> progressSeen;
    // The window's own timer: it fires only while the window's thread runs
    // its event loop.
    QTimer watch;
    watch.setInterval(2);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (form.pointer().mousePointer() != PointerCode::Hourglass)
            return;
        ++ticks;
        progressSeen.insert(form.ProgressBar1->value());
        // All but the Send button, which reads "Stop" while its transfer runs.
        bool allDisabled = form.PushButton3->isEnabled() && form.PushButton3->text() == "Stop";
        for (QWidget* w : listsAndButtons())
            allDisabled = allDisabled && (w == form.PushButton3 || !w->isEnabled());
        disabledTicks += allDisabled;
        ++busyTicks;
        for (QWidget* w : {static_cast<QWidget*>(form.PushButton4), static_cast<QWidget*>(form.Frame1),
                           static_cast<QWidget*>(form.List2->viewport()), static_cast<QWidget*>(&form)}) {
            twtest::moveMouseOver(w);
            pointerAfterHover.push_back(form.pointer().mousePointer());
        }
    });
    watch.start();
    form.PushButton3->click();
    watch.stop();

    ASSERT_GT(busyTicks, 5) << "the window's timer ran while the rows went";
    EXPECT_EQ(disabledTicks, ticks);
    EXPECT_EQ(pointerAfterHover, std::vector<int>(pointerAfterHover.size(), PointerCode::Hourglass));
    EXPECT_GT(progressSeen.size(), 3u) << "the bar moves while the rows go";
    EXPECT_EQ(form.ProgressBar1->value(), 0);
    EXPECT_EQ(form.List2->entries(), QStringList({"orders"}));
    for (QWidget* w : listsAndButtons())
        EXPECT_TRUE(w->isEnabled());
    EXPECT_EQ(form.pointer().mousePointer(), PointerCode::Arrow);
    EXPECT_TRUE(program.prompts.shown.empty()) << program.prompts.texts().join("|").toStdString();
    EXPECT_EQ(form.PushButton3->text(), "Send Table/s To Sybase iAny");
    EXPECT_TRUE(form.TransferResult->Line->text().startsWith("1 table, 20,000 rows copied and verified in "))
        << form.TransferResult->Line->text().toStdString();
    EXPECT_TRUE(form.TransferResult->DetailsButton->isEnabled());
}

TEST_F(Form2OperationsTest, TheSendButtonReadsStopAndStopsTheTransferKeepingWhatWasSent) {
    copyOrdersActingAtProgress(10, [&] { form.PushButton3->click(); });  // it reads "Stop" now

    tw::Connection target = twtest::openStandin(standin.connectString());
    const long long sent = twtest::readRows(target, "SELECT COUNT(*) FROM \"orders\"").at(0).at(0).toLongLong();
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, bigRows);
    EXPECT_EQ(form.List2->entries(), QStringList({"orders"})) << "the table being copied is listed";
    EXPECT_EQ(form.PushButton3->text(), "Send Table/s To Sybase iAny");
    EXPECT_EQ(form.pointer().mousePointer(), PointerCode::Arrow);
    const QString sentText = QLocale(QLocale::English).toString(sent);
    EXPECT_TRUE(form.TransferResult->Line->text().startsWith("Stopped: 1 table, " + sentText + " rows copied"))
        << form.TransferResult->Line->text().toStdString();
    ASSERT_TRUE(form.TransferResult->account().has_value());
    EXPECT_TRUE(form.TransferResult->account()->details().contains("Stopped by the user after " + sentText + " rows."));

    form.PushButton11->click();
    form.PushButton1->click();  // the next operation, which drops nothing, clears the account
    EXPECT_FALSE(form.TransferResult->account().has_value());
    EXPECT_TRUE(form.TransferResult->Line->text().startsWith("MySQL ")) << "back to which databases these are";
    EXPECT_TRUE(program.prompts.shown.empty()) << program.prompts.texts().join("|").toStdString();
}

TEST_F(Form2OperationsTest, AfterAStopResumeCopiesTheRestIntoTheSameTable) {
    tw::ResumeState::clear();
    mysql.exec("CREATE TABLE orders (id INT PRIMARY KEY, name VARCHAR(40))");
    EXPECT_FALSE(form.TransferResult->ResumeButton->isEnabled()) << "nothing to resume yet";
    copyOrdersActingAtProgress(10, [&] { form.PushButton3->click(); });
    ASSERT_TRUE(form.TransferResult->account().has_value());
    const long long first = form.TransferResult->account()->tables.at(0).rowsAccepted;
    ASSERT_LT(first, bigRows);
    EXPECT_TRUE(form.TransferResult->ResumeButton->isEnabled());
    EXPECT_TRUE(form.TransferResult->account()->details().contains("Resume copies the rest."));

    form.TransferResult->ResumeButton->click();

    tw::Connection target = twtest::openStandin(standin.connectString());
    EXPECT_EQ(twtest::readRows(target, "SELECT COUNT(*), COUNT(DISTINCT id), MIN(id), MAX(id) FROM \"orders\"").at(0),
              QStringList({QString::number(bigRows), QString::number(bigRows), "1", QString::number(bigRows)}));
    ASSERT_TRUE(form.TransferResult->account().has_value());
    const tw::TableAccount& rest = form.TransferResult->account()->tables.at(0);
    EXPECT_EQ(first + rest.rowsAccepted, bigRows);
    EXPECT_EQ(rest.verification.result, tw::Verification::Result::Verified) << rest.text().toStdString();
    EXPECT_EQ(form.List2->entries(), QStringList({"orders"})) << "listed once";
    EXPECT_EQ(form.TransferResult->ResumeButton->text(), "Resume");
    EXPECT_FALSE(form.TransferResult->ResumeButton->isEnabled()) << "nothing is left to resume";
    EXPECT_TRUE(program.prompts.shown.empty()) << program.prompts.texts().join("|").toStdString();
}

TEST_F(Form2OperationsTest, ClosingTheWindowDuringATransferEndsItAndSendsNothingMore) {
    seedStock(5000);
    auto countRows = [&] {
        tw::Connection c = twtest::openMySql(mysql.connectString());
        return twtest::readRows(c, "SELECT COUNT(*) FROM stock").at(0).at(0).toLongLong();
    };
    actAtProgress(10, [&] { form.close(); });
    form.PushButton4->click();

    EXPECT_TRUE(program.end.requested());
    EXPECT_FALSE(form.isVisible());
    const long long rowsAtEnd = countRows();
    EXPECT_GT(rowsAtEnd, 0);
    EXPECT_LT(rowsAtEnd, 5000);
    QTest::qWait(100);
    EXPECT_EQ(countRows(), rowsAtEnd) << "nothing is sent after the transfer has ended";
    EXPECT_EQ(tw::operationsRunning(), 0);
    EXPECT_TRUE(form.List1->entries().isEmpty()) << "the table was not finished";
}

TEST_F(Form2OperationsTest, AServerThatStopsAnsweringMidCopyLeavesTheWindowAnsweringAndClosingEndsAtOnce) {
    using Clock = std::chrono::steady_clock;
    seedStock(5000);
    tw::Connection admin = twtest::openMySql(mysql.connectString());
    std::optional<twtest::StoppedServer> stopped;
    int ticksWhileStopped = 0;
    QTimer ticker;
    ticker.setInterval(20);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticksWhileStopped += stopped.has_value(); });
    ticker.start();
    Clock::time_point closedAt;
    actAtProgress(10, [&] {
        stopped.emplace(admin);  // the next INSERT waits for a server that does not answer
        QTimer::singleShot(1000, &form, [&] {
            closedAt = Clock::now();
            form.close();
        });
    });
    const int abandonedBefore = tw::abandonedWork();

    form.PushButton4->click();
    const auto closing = Clock::now() - closedAt;
    ticker.stop();

    ASSERT_TRUE(stopped.has_value() && stopped->stopped());
    EXPECT_LT(closing, std::chrono::seconds(1)) << "the close waited on the hung INSERT";
    EXPECT_GE(ticksWhileStopped, 25) << "the window's timer kept running while the driver call hung";
    EXPECT_TRUE(program.end.requested());
    EXPECT_EQ(tw::abandonedWork(), abandonedBefore + 1) << "the transfer is left in its driver call";
    stopped.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return tw::operationsRunning() == 0; }, 40000))
        << "once the server answers, the transfer ends at its next yield";
}

TEST_F(Form2OperationsTest, EscapeStopsARunningTransferToo) {
    copyOrdersActingAtProgress(10, [&] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&form, &escape);
    });

    ASSERT_TRUE(form.TransferResult->account().has_value());
    EXPECT_TRUE(form.TransferResult->account()->stopped);
    EXPECT_LT(form.TransferResult->account()->tables.at(0).rowsAccepted, bigRows);
    EXPECT_EQ(form.List2->entries(), QStringList({"orders"}));
}

TEST(TransferDetailsTest, CopyAndCtrlCPutTheWholeAccountOnTheClipboard) {
    twtest::ensureApplication();
    TransferAccount account;
    account.direction = "MySQL to iAnywhere";
    account.tables.emplace_back();
    account.tables[0].name = "orders";
    account.tables[0].rowsRead = account.tables[0].rowsAccepted = 47301;
    account.tables[0].verification.result = Verification::Result::Verified;
    account.seconds = 12.4;
    const QString details = account.details();
    EXPECT_EQ(account.summary(), "1 table, 47,301 rows copied and verified in 12.4 s");
    EXPECT_TRUE(details.contains("orders: 47,301 rows read, 47,301 accepted, 0 failed; verified;")) << details.toStdString();

    TransferDetailsDialog dialog(details, nullptr);
    EXPECT_EQ(dialog.Text->toPlainText(), details);
    QApplication::clipboard()->clear();
    dialog.CopyButton->click();
    EXPECT_EQ(QApplication::clipboard()->text(), details);

    QApplication::clipboard()->clear();
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), details);
}

}
