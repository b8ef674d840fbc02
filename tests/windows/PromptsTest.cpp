#include "WindowTestSupport.h"
#include "shell/AppTitle.h"
#include "base/ErrorReport.h"
#include "shell/MessageBoxPrompts.h"
#include <QElapsedTimer>
#include <QScreen>
#include <gtest/gtest.h>

using namespace tw;

namespace {

TEST(PromptsTest, EachCarriageReturnIsALineBreakOnScreen) {
    EXPECT_EQ(screenText("go to: \r\rhttp://x\r\r Finally"), "go to: \n\nhttp://x\n\n Finally");
    EXPECT_EQ(screenText("Boom\r\nin Tabferry at line 104\r\rPlease"), "Boom\nin Tabferry at line 104\n\nPlease");
    EXPECT_EQ(screenText("no breaks"), "no breaks");
}

TEST(PromptsTest, BoxWithoutTitleShowsTheApplicationTitle) {
    SetAppTitle();
    EXPECT_EQ(boxTitle(""), "Tablewright");
    EXPECT_EQ(boxTitle("Application Error"), "Application Error");
}

TEST(PromptsTest, StylesGiveTheirButtonsAndIcon) {
    const MsgBoxLook plain = msgBoxLook(MsgStyle::OkOnly);
    EXPECT_EQ(plain.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
    const MsgBoxLook question = msgBoxLook(MsgStyle::YesNo);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.icon, QMessageBox::NoIcon);
    const MsgBoxLook error = msgBoxLook(MsgStyle::Exclamation);
    EXPECT_EQ(error.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(error.icon, QMessageBox::Warning);
}

TEST(PromptsTest, TheErrorBoxOfATwentyMegabyteStatementComesUpAtOnceAndFitsTheScreen) {
    twtest::ensureApplication();
    const QString statement = "INSERT INTO \"t\" VALUES(0x" + QString(20'000'000, u'f') + ")";
    QElapsedTimer clock;
    clock.start();
    const QString text = errorBoxText("Got a packet bigger than 'max_allowed_packet' bytes", "in x ", 278, &statement);
    const std::unique_ptr<QMessageBox> box = messageBox(text, MsgStyle::Exclamation, "Application Error");
    box->show();
    QApplication::processEvents();
    const qint64 shownAfter = clock.elapsed();
    const QRect frame = box->frameGeometry();
    const QRect screen = box->screen()->availableGeometry();
    box->close();
    EXPECT_LT(shownAfter, 1000);
    EXPECT_LE(frame.height(), screen.height());
    EXPECT_LE(frame.width(), screen.width());
}

TEST(PromptsTest, AnswersAreTheProgramsNumbers) {
    EXPECT_EQ(msgAnswer(QMessageBox::Ok), MsgAnswer::Ok);
    EXPECT_EQ(msgAnswer(QMessageBox::Yes), MsgAnswer::Yes);
    EXPECT_EQ(msgAnswer(QMessageBox::No), MsgAnswer::No);
}

}
