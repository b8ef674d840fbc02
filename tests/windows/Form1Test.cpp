#include "WindowTestSupport.h"
#include "program/Form1.h"
#include "connect/SettingsStore.h"
#include "base/AbandonedWork.h"
#include "base/ErrorReport.h"
#include "shell/LookAndFeel.h"
#include "tables/Form2.h"
#include <QElapsedTimer>
#include <QFile>
#include <QFocusEvent>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

using namespace tw;

namespace {

// Ticks of a 20 ms timer on the window's thread.
struct WindowTicks {
    WindowTicks() {
        QObject::connect(&timer, &QTimer::timeout, [this] { ++count; });
        timer.start(20);
    }
    QTimer timer;
    int count = 0;
};

const QString mysqlFailure =
    "Could not connect. Please check with your administrator. Make sure you are allowed to connect to your database "
    "remotely and not just through web-based control panels.";
const QString sybaseFailure = "Could not connect. Please check with your administrator.";

class Form1Test : public twtest::WithStoredProfile {
protected:
    Form1Test() : WithStoredProfile("windows_form1") {}

    Form1& openForm(const QString& folder = twtest::buildFolder()) {
        form = std::make_unique<Form1>(program.services(folder), *store);
        program.prompts.pointer = &form->pointer();
        return *form;
    }
    void typeWorkingProfile() {
        mysql.fillProfile(form->profile());
        standin.fillProfile(form->profile());
    }
    QStringList storedKeys() const {
        QSettings disk(store->fileName(), QSettings::IniFormat);
        disk.beginGroup("Tablewright");
        QStringList keys = disk.childKeys();
        keys.sort();
        return keys;
    }

    std::unique_ptr<Form1> form;
};

TEST_F(Form1Test, FirstStartWithAnEmptyStoreShowsTheDefaultsAndStaysUp) {
    Form1& f = openForm();
    f.start();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.tableManagerIfLoaded(), nullptr);
    QStringList fields;
    for (QLineEdit* t : {f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.Text6})
        fields << t->text();
    EXPECT_EQ(fields, QStringList({"localhost", "3306", "", "", "", ""}));
    EXPECT_EQ(storedKeys(), QStringList({"Port", "Server"}));
    EXPECT_TRUE(program.prompts.shown.empty()) << "a stored connection that fails is not reported";
    EXPECT_EQ(f.windowTitle(), "Tablewright");
    EXPECT_FALSE(f.windowIcon().isNull());
}

TEST_F(Form1Test, StartWithAWorkingStoredProfileOpensTheTableManagerWithBothListsFilled) {
    mysql.exec("CREATE TABLE orders (id INT)");
    mysql.exec("CREATE TABLE Customers (id INT)");
    standin.exec("CREATE TABLE \"products\" (id INTEGER)");
    standin.exec("CREATE TABLE \"Accounts\" (id INTEGER)");
    storeWorkingProfile();
    Form1& f = openForm();
    f.start();

    ASSERT_NE(f.tableManagerIfLoaded(), nullptr);
    const Form2& form2 = *f.tableManagerIfLoaded();
    EXPECT_TRUE(form2.isVisible());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(form2.List1->entries(), QStringList({"Customers", "orders"}));
    EXPECT_EQ(form2.List2->entries(), QStringList({"Accounts", "products"}));
    EXPECT_EQ(f.pointer().mousePointer(), PointerCode::Arrow);
    EXPECT_TRUE(program.prompts.shown.empty());
}

TEST_F(Form1Test, BackThenNextShowsTheDatabasesAfreshWithoutTheOldSelection) {
    mysql.exec("CREATE TABLE orders (id INT)");
    standin.exec("CREATE TABLE \"products\" (id INTEGER)");
    storeWorkingProfile();
    Form1& f = openForm();
    f.start();
    Form2& form2 = *f.tableManagerIfLoaded();
    form2.List1->setSelected(0, true);

    form2.PushButton2->click();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(form2.isVisible());

    mysql.exec("CREATE TABLE invoices (id INT)");
    standin.exec("CREATE TABLE \"Stock\" (id INTEGER)");
    f.PushButton4->click();
    EXPECT_TRUE(form2.isVisible());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.tableManagerIfLoaded(), &form2) << "the table manager is loaded once";
    EXPECT_EQ(form2.List1->entries(), QStringList({"invoices", "orders"}));
    EXPECT_EQ(form2.List2->entries(), QStringList({"products", "Stock"}));
    EXPECT_EQ(form2.List1->SelCount(), 0);
}

TEST_F(Form1Test, MySqlTestConnectionSucceedsWhileTheHourglassShows) {
    Form1& f = openForm();
    typeWorkingProfile();
    f.PushButton5->click();
    ASSERT_EQ(program.prompts.shown.size(), 1u);
    EXPECT_EQ(program.prompts.shown[0].text, "Connection successful.");
    EXPECT_EQ(program.prompts.shown[0].style, MsgStyle::OkOnly);
    EXPECT_EQ(program.prompts.shown[0].title, "");
    EXPECT_EQ(program.prompts.pointerAtBox, std::vector<int>{PointerCode::Hourglass});
    EXPECT_EQ(f.pointer().mousePointer(), PointerCode::Arrow);
}

TEST_F(Form1Test, MySqlTestConnectionWithAWrongPasswordSaysSoAndShowsTheArrow) {
    Form1& f = openForm();
    typeWorkingProfile();
    f.Text4->setText("not the password");
    f.PushButton5->click();
    ASSERT_EQ(program.prompts.shown.size(), 1u);
    EXPECT_TRUE(program.prompts.shown[0].text.startsWith(mysqlFailure + "\r\r"));
    EXPECT_TRUE(program.prompts.shown[0].text.contains("Access denied for user")) << program.prompts.shown[0].text.toStdString();
    EXPECT_EQ(program.prompts.shown[0].title, "");
    EXPECT_EQ(f.pointer().mousePointer(), PointerCode::Arrow);
}

TEST_F(Form1Test, SybaseTestConnectionSucceeds) {
    Form1& f = openForm();
    f.Text6->setText(standin.dataSourceName());
    f.PushButton2->click();
    EXPECT_EQ(program.prompts.texts(), QStringList({"Connection successful."}));
    EXPECT_EQ(program.prompts.pointerAtBox, std::vector<int>{PointerCode::Hourglass});
    EXPECT_EQ(f.pointer().mousePointer(), PointerCode::Arrow);
}

TEST_F(Form1Test, SybaseTestConnectionWithAnUnknownDataSourceSaysSoWithoutTheRemoteSentence) {
    Form1& f = openForm();
    f.Text6->setText("tw_no_such_source");
    f.PushButton2->click();
    ASSERT_EQ(program.prompts.shown.size(), 1u);
    EXPECT_EQ(program.prompts.shown[0].text,
              sybaseFailure + "\r\r[unixODBC][Driver Manager]Data source name not found and no default driver specified");
    EXPECT_EQ(f.pointer().mousePointer(), PointerCode::Arrow);
}

TEST_F(Form1Test, NextWithAWrongDataSourceNameShowsNothingAndStays) {
    Form1& f = openForm();
    f.start();
    typeWorkingProfile();
    f.Text6->setText("tw_no_such_source");
    f.PushButton4->click();
    EXPECT_TRUE(program.prompts.shown.empty());
    EXPECT_TRUE(f.MySqlReason->isHidden());
    EXPECT_EQ(f.SybaseReason->text(), "[unixODBC][Driver Manager]Data source name not found and no default driver specified");
    EXPECT_FALSE(f.SybaseReason->isHidden());
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.tableManagerIfLoaded() == nullptr || !f.tableManagerIfLoaded()->isVisible());
    EXPECT_EQ(f.pointer().mousePointer(), PointerCode::Arrow);
}

TEST_F(Form1Test, AStoredProfileThatStoppedWorkingSaysWhyUnderItsFrameUntilThatSideConnects) {
    storeWorkingProfile();
    store->SaveSetting("Password", "no longer the password");
    Form1& f = openForm();
    const int usualHeight = f.height();
    f.start();

    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(program.prompts.shown.empty()) << "the reason is a line, not a box";
    EXPECT_FALSE(f.MySqlReason->isHidden());
    EXPECT_TRUE(f.MySqlReason->text().contains("Access denied for user")) << f.MySqlReason->text().toStdString();
    EXPECT_TRUE(f.SybaseReason->isHidden());
    EXPECT_GT(f.MySqlReason->geometry().top(), f.Frame1->geometry().bottom());
    EXPECT_GT(f.Frame2->geometry().top(), f.MySqlReason->geometry().bottom());
    EXPECT_GT(f.height(), usualHeight);

    f.Text4->setText(twtest::mysqlPassword());
    f.PushButton5->click();
    EXPECT_EQ(program.prompts.texts(), QStringList({"Connection successful."}));
    EXPECT_TRUE(f.MySqlReason->isHidden());
    EXPECT_EQ(f.height(), usualHeight);
    EXPECT_EQ(f.PushButton4->geometry(), (twtest::TwipsBox{120, 4610, 7800, 405}.pixels()));
}

TEST_F(Form1Test, AStoredPortThatNeverAnswersStillBringsUpTheWindowWithinTheBound) {
    twtest::SilentListener silent;
    storeWorkingProfile();
    store->SaveSetting("Port", silent.port());
    const QString silence = "The MySQL server at 127.0.0.1:" + silent.port() + " did not answer within 15 seconds";
    Form1& f = openForm();
    WindowTicks ticks;
    QElapsedTimer clock;
    clock.start();
    f.start();
    EXPECT_LT(clock.elapsed(), 16000);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.MySqlReason->text(), silence);
    EXPECT_GT(ticks.count, 500) << "the window waited without repainting";

    clock.restart();
    f.PushButton5->click();
    EXPECT_LT(clock.elapsed(), 16000);
    EXPECT_EQ(program.prompts.texts(), QStringList({mysqlFailure + "\r\r" + silence}));
}

TEST_F(Form1Test, AStoredPortThatIsNoPortIsToldAtStartAndByTheTest) {
    storeWorkingProfile();
    store->SaveSetting("Port", "70000");
    Form1& f = openForm();
    f.start();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.MySqlReason->text(), "Port must be a number from 1 to 65535");
    f.PushButton5->click();
    EXPECT_EQ(program.prompts.texts(), QStringList({mysqlFailure + "\r\rPort must be a number from 1 to 65535"}));
}

TEST_F(Form1Test, ButtonsAreDisabledWhileATestRunsAndBackAfterwards) {
    Form1& f = openForm();
    typeWorkingProfile();
    // A timer of no interval fires each time the window's events are
    // processed: here only while the open runs beside the window.
    std::vector<bool> enabledDuringTest;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QPushButton* b : {f.PushButton1, f.PushButton2, f.PushButton3, f.PushButton4, f.PushButton5})
            enabledDuringTest.push_back(b->isEnabled());
    });
    watch.start(0);
    f.PushButton5->click();
    watch.stop();
    ASSERT_FALSE(enabledDuringTest.empty());
    EXPECT_EQ(enabledDuringTest, std::vector<bool>(enabledDuringTest.size(), false));
    for (QPushButton* b : {f.PushButton1, f.PushButton2, f.PushButton3, f.PushButton4, f.PushButton5})
        EXPECT_TRUE(b->isEnabled());
}

TEST_F(Form1Test, MySqlHelpText) {
    Form1& f = openForm();
    f.PushButton1->click();
    EXPECT_EQ(program.prompts.texts(),
              QStringList({"If you cannot establish connection to your database with this program, please go to: \r\r"
                           "http://dev.mysql.com/downloads/gui-tools/\r\r"
                           "Download and install the MySQL GUI Tools. Use the MySQL Query Browser. Try to connect to "
                           "the same database (with the same login information you are using here). This will "
                           "determine if the login you are using is correct.\r\r"
                           " Finally, make sure your host allows a direct connection to your MySQL database -- not a "
                           "web based connection, for example."}));
    EXPECT_EQ(program.prompts.shown[0].style, MsgStyle::OkOnly);
    EXPECT_EQ(program.prompts.shown[0].title, "");
}

TEST_F(Form1Test, SybaseHelpText) {
    Form1& f = openForm();
    f.PushButton3->click();
    EXPECT_EQ(program.prompts.texts(),
              QStringList({"Here is how I connected to my Sybase database.\r\r"
                           "1. Downloaded and installed drivers: SQL Anywhere's ODBC driver for Linux, from the vendor\r\r"
                           "2. Applied for a Developer Key with www.sybase.com (developer.keys@sybase.com helped)\r\r"
                           "3. Opened my own data sources, ~/.odbc.ini (/etc/odbc.ini holds everyone's)\r\r"
                           "4. Added a section named after the data source, e.g. [Sales]\r\r"
                           "5. Set its Driver= to SQL Anywhere's driver, libdbodbc..._r.so in the lib64 folder of its "
                           "installation ('odbcinst -q -d' lists the drivers already registered)\r\r"
                           "6. Filled in UID=, PWD=, ServerName= and CommLinks=tcpip(Host=...;Port=...) given to me "
                           "by my administrator.\r\r"
                           "7. Tested it with 'isql -v Sales'.\r\r"
                           "8. Filled in 'Data Source Name' in my program to be the same as the section's name in "
                           "~/.odbc.ini\r\r"
                           "9. Clicked 'Test Connection' in my program.\r\r"}));
    EXPECT_EQ(program.prompts.shown[0].title, "");
}

TEST_F(Form1Test, ControlsCaptionsAndPlacesInTwips) {
    Form1& f = openForm();
    twtest::expectPlaced({
        {f.Frame1, &f, "MySQL Login", {120, 120, 7800, 2865}},
        {f.Label1, f.Frame1, "Server:", {240, 405, 975, 255}},
        {f.Text1, f.Frame1, "", {1320, 360, 4095, 345}},
        {f.Label6, f.Frame1, "Port:", {5640, 405, 495, 255}},
        {f.Text2, f.Frame1, "", {6240, 360, 1300, 345}},
        {f.Label4, f.Frame1, "Username:", {240, 885, 1095, 255}},
        {f.Text3, f.Frame1, "", {1320, 840, 6220, 345}},
        {f.Label5, f.Frame1, "Password:", {240, 1365, 1095, 255}},
        {f.Text4, f.Frame1, "", {1320, 1320, 6220, 345}},
        {f.Label3, f.Frame1, "Database:", {240, 1845, 1095, 255}},
        {f.Text5, f.Frame1, "", {1320, 1800, 6220, 345}},
        {f.PushButton5, f.Frame1, "Test Connection", {240, 2280, 3600, 405}},
        {f.PushButton1, f.Frame1, "Help", {3960, 2280, 3600, 405}},
        {f.Frame2, &f, "Sybase iAnywhere Database", {120, 3060, 7800, 1425}},
        {f.Label2, f.Frame2, "Data Source Name:", {240, 405, 1695, 255}},
        {f.Text6, f.Frame2, "", {2040, 360, 5500, 345}},
        {f.PushButton2, f.Frame2, "Test Connection", {240, 840, 3600, 405}},
        {f.PushButton3, f.Frame2, "Help", {3960, 840, 3600, 405}},
        {f.PushButton4, &f, "Next >", {120, 4610, 7800, 405}},
    });
    EXPECT_EQ(f.size(), QSize(536, 342));
    EXPECT_EQ(f.minimumSize(), f.maximumSize()) << "the window cannot be resized";
}

TEST_F(Form1Test, TabOrderStartsAtTheServerField) {
    Form1& f = openForm();
    f.start();
    QList<QWidget*> order;
    QWidget* w = f.Text1;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
        w = w->nextInFocusChain();
    } while (w != f.Text1);
    EXPECT_EQ(order, QList<QWidget*>({f.Text1, f.Text2, f.Text3, f.Text4, f.Text5, f.PushButton5, f.PushButton1,
                                      f.Text6, f.PushButton2, f.PushButton3, f.PushButton4}));
    EXPECT_EQ(f.focusWidget(), f.Text1);
}

TEST_F(Form1Test, PasswordShowsAnAsteriskForEveryCharacter) {
    Form1& f = openForm();
    EXPECT_EQ(f.Text4->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.Text4->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, f.Text4), '*');
    EXPECT_EQ(f.Text3->echoMode(), QLineEdit::Normal);
}

TEST_F(Form1Test, FontsAreArialNinePointBoldAndButtonsElevenAndAQuarter) {
    Form1& f = openForm();
    for (QWidget* w : {static_cast<QWidget*>(f.Frame1), static_cast<QWidget*>(f.Label2), static_cast<QWidget*>(f.Text1),
                       static_cast<QWidget*>(f.Text6)}) {
        EXPECT_EQ(w->font().family(), "Arial");
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 9);
        EXPECT_TRUE(w->font().bold());
    }
    for (QPushButton* b : {f.PushButton1, f.PushButton4}) {
        EXPECT_DOUBLE_EQ(b->font().pointSizeF(), 11.25);
        EXPECT_TRUE(b->font().bold());
    }
    const QString shown = QFontInfo(f.Text1->font()).family();
    EXPECT_TRUE(shown == "Arial" || shown == "Liberation Sans") << shown.toStdString();
}

TEST_F(Form1Test, WithoutASkinTheWindowItsFramesAndLabelsAreWhite) {
    Form1& f = openForm();
    f.start();
    for (QWidget* w : {static_cast<QWidget*>(&f), static_cast<QWidget*>(f.Frame1), static_cast<QWidget*>(f.Frame2),
                       static_cast<QWidget*>(f.Label1), static_cast<QWidget*>(f.Label2)})
        EXPECT_EQ(w->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(f.styleSheet().isEmpty());
}

TEST_F(Form1Test, SkinFileBesideTheProgramSkinsTheWindowInButtonFace) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("x");
    QFile skin(folder.filePath("x/o.cjs"));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write("QPushButton { color: darkblue; }");
    skin.close();
    Form1& f = openForm(folder.path());
    f.start();
    EXPECT_EQ(f.styleSheet(), "QPushButton { color: darkblue; }");
    EXPECT_EQ(f.palette().color(QPalette::Window), buttonFace());
    EXPECT_EQ(f.Label5->palette().color(QPalette::Window), buttonFace());
    EXPECT_TRUE(program.prompts.shown.empty());
}

TEST_F(Form1Test, HandFromTheProgramsFolderShowsOverTheButtons) {
    Form1& f = openForm();
    f.start();
    ASSERT_TRUE(f.pointer().hasMouseIcon());
    twtest::moveMouseOver(f.PushButton1);
    EXPECT_EQ(f.pointer().mousePointer(), PointerCode::Hand);
    EXPECT_EQ(f.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(f.cursor().hotSpot(), QPoint(6, 0));
    twtest::moveMouseOver(f.Text4);
    EXPECT_EQ(f.pointer().mousePointer(), PointerCode::Hand) << "Text4 has no pointer handler";
    twtest::moveMouseOver(f.Text2);
    EXPECT_EQ(f.pointer().mousePointer(), PointerCode::Arrow);
}

TEST_F(Form1Test, WithoutTheCursorFileTheHandNeverShows) {
    QTemporaryDir folder;
    Form1& f = openForm(folder.path());
    f.start();
    EXPECT_FALSE(f.pointer().hasMouseIcon());
    twtest::moveMouseOver(f.PushButton4);
    EXPECT_EQ(f.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(program.prompts.shown.empty());
}

TEST_F(Form1Test, DamagedCursorFileShowsTheErrorBoxAndTheLoadGoesOn) {
    QTemporaryDir folder;
    QFile bad(folder.filePath("HAND-M.CUR"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a cursor");
    bad.close();
    Form1& f = openForm(folder.path());
    f.start();
    EXPECT_EQ(program.prompts.texts(),
              QStringList({errorBoxText("Invalid picture", locationText("Form1", "Form_Load"), 126)}));
    EXPECT_EQ(program.prompts.shown[0].title, "Application Error");
    EXPECT_EQ(f.Text1->text(), "localhost");
    EXPECT_TRUE(f.isVisible());
}

TEST_F(Form1Test, FocusSelectsTheWholeField) {
    Form1& f = openForm();
    f.Text3->setText("administrator");
    f.Text3->deselect();
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(f.Text3, &in);
    EXPECT_EQ(f.Text3->selectedText(), "administrator");
}

TEST_F(Form1Test, ClosingTheWindowWhileAStoredServerKeepsSilentEndsTheStartAtOnce) {
    twtest::SilentListener silent;
    storeWorkingProfile();
    store->SaveSetting("Port", silent.port());
    Form1& f = openForm();
    const int abandonedBefore = tw::abandonedWork();
    QElapsedTimer clock;
    QTimer::singleShot(500, &f, [&] {
        clock.start();
        f.close();
    });
    f.start();
    EXPECT_LT(clock.elapsed(), 1000) << "the close waited on the silent server";
    EXPECT_TRUE(program.end.requested());
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.MySqlReason->isHidden()) << "a check cut short gives no reason";
    EXPECT_EQ(tw::abandonedWork(), abandonedBefore + 1) << "the open is left in its driver call";
}

TEST_F(Form1Test, ClosingTheWindowEndsTheProgram) {
    Form1& f = openForm();
    f.start();
    f.close();
    EXPECT_TRUE(program.end.requested());
    EXPECT_FALSE(f.isVisible());
}

}
