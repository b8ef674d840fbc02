#include "program/Form1.h"
#include "connect/Catalogue.h"
#include "connect/Connection.h"
#include "connect/FailureReason.h"
#include "connect/SettingsStore.h"
#include "shell/AppTitle.h"
#include "shell/BusyControls.h"
#include "shell/CloseProgram.h"
#include "shell/CursorFile.h"
#include "base/EndingYield.h"
#include "base/ErrorReport.h"
#include "shell/FileExists.h"
#include "base/Guard.h"
#include "shell/LookAndFeel.h"
#include "base/OperationThread.h"
#include "base/ProgramEnd.h"
#include "shell/ProgramIcon.h"
#include "shell/WindowLook.h"
#include "tables/Form2.h"
#include "tables/ListOnWindow.h"
#include "tables/ListTables.h"
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

namespace tw {

namespace {

constexpr int clientWidth = 8040, clientHeight = 5130;

QString location(const char* procedure) { return locationText(QStringLiteral("Form1"), QString::fromLatin1(procedure)); }

const QString mysqlGuiToolsPage = QStringLiteral("http://dev.mysql.com/downloads/gui-tools/");
const QString sybaseDomain = QStringLiteral("www.sybase.com");
const QString sybaseContact = QStringLiteral("developer.keys@sybase.com");

QString mysqlHelpText() {
    return "If you cannot establish connection to your database with this program, please go to: \r\r" +
           mysqlGuiToolsPage + "\r\r" +
           "Download and install the MySQL GUI Tools. Use the MySQL Query Browser. Try to connect to "
           "the same database (with the same login information you are using here). This will determine if "
           "the login you are using is correct.\r\r"
           " Finally, make sure your host allows a direct connection to your MySQL database -- not a web based "
           "connection, for example.";
}

// The steps of the vendor's own connection, on this platform: an odbc.ini
// data source for SQL Anywhere's driver where Windows has its ODBC
// administrator.
QString sybaseHelpText() {
    const QStringList lines = {
        QStringLiteral("Here is how I connected to my Sybase database."),
        QStringLiteral("1. Downloaded and installed drivers: SQL Anywhere's ODBC driver for Linux, from the vendor"),
        "2. Applied for a Developer Key with " + sybaseDomain + " (" + sybaseContact + " helped)",
        QStringLiteral("3. Opened my own data sources, ~/.odbc.ini (/etc/odbc.ini holds everyone's)"),
        QStringLiteral("4. Added a section named after the data source, e.g. [Sales]"),
        QStringLiteral("5. Set its Driver= to SQL Anywhere's driver, libdbodbc..._r.so in the lib64 folder of its "
                       "installation ('odbcinst -q -d' lists the drivers already registered)"),
        QStringLiteral("6. Filled in UID=, PWD=, ServerName= and CommLinks=tcpip(Host=...;Port=...) given to me by my "
                       "administrator."),
        QStringLiteral("7. Tested it with 'isql -v Sales'."),
        QStringLiteral("8. Filled in 'Data Source Name' in my program to be the same as the section's name in "
                       "~/.odbc.ini"),
        QStringLiteral("9. Clicked 'Test Connection' in my program."),
    };
    QString text;
    for (const QString& line : lines)
        text += line + "\r\r";
    return text;
}

// What the two "Test Connection" buttons differ in.
struct ConnectionTest {
    const char* procedure;
    bool mysqlSide;
    QString provider;  // set on the connection before the yield; empty for none
    QString (*connectString)(const ProfileFields& profile);
    QString failure;
};

const ConnectionTest mysqlTest{
    "PushButton5_Click", true, {}, &MySQLConnectString,
    QStringLiteral("Could not connect. Please check with your administrator. Make sure you are allowed to connect to "
                   "your database remotely and not just through web-based control panels.")};
const ConnectionTest sybaseTest{"PushButton2_Click", false, QStringLiteral("MSDASQL"), &SybaseConnectString,
                                QStringLiteral("Could not connect. Please check with your administrator.")};

// Database work of this window, run beside it with a yield that stops it
// once the program is ending.
template <typename F>
auto withYieldBesideWindow(F work, const ProgramEnd& end) {
    return besideWindow(
        [work = std::move(work), &end] {
            EndingYield yield(end);
            return work(yield);
        },
        end);
}

// True when the connection opened; a failure's box adds the driver's own words.
bool testConnection(const ConnectionTest& test, const ProgramServices& services, MousePointer& pointer,
                    const ProfileFields& profile) {
    Guard guard(services.prompts, location(test.procedure));
    std::shared_ptr<Connection> connection;
    guard.step(100, [&] { connection = std::make_shared<Connection>(); });
    // From here on every failure means the connection could not be made.
    try {
        pointer.setMousePointer(PointerCode::Hourglass);
        if (!connection)
            throw std::runtime_error("Object variable not set");
        if (!test.provider.isEmpty())
            connection->Provider = test.provider;
        services.yield.DoEvents();
        withYieldBesideWindow(
            [connection, connectString = test.connectString(profile)](Yield& yield) {
                connection->Open(connectString, &yield);
                connection->Close();
            },
            services.end);
        services.prompts.MsgBox(QStringLiteral("Connection successful."));
        pointer.setMousePointer(PointerCode::Arrow);
        return true;
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& e) {
        services.prompts.MsgBox(test.failure + "\r\r" + connectionFailureReason(e, test.mysqlSide));
        pointer.setMousePointer(PointerCode::Arrow);
        return false;
    }
}

QLabel* label(QWidget* frame, const char* caption, int left, int top, int width, int height) {
    auto* l = new QLabel(QString::fromLatin1(caption), frame);
    placeInTwips(*l, left, top, width, height);
    return l;
}

QLineEdit* textBox(QWidget* frame, int left, int top, int width, int height) {
    auto* t = new QLineEdit(frame);
    placeInTwips(*t, left, top, width, height);
    return t;
}

QPushButton* button(QWidget* container, const char* caption, int left, int top, int width, int height) {
    auto* b = new QPushButton(QString::fromLatin1(caption), container);
    b->setFont(buttonFont());
    placeInTwips(*b, left, top, width, height);
    return b;
}

void paintWhite(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

}

Form1::Form1(const ProgramServices& services, SettingsStore& store)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_services(services), m_store(store), m_hover(new HoverPointer(m_pointer, this)) {
    setObjectName(QStringLiteral("Form1"));
    setFont(windowFont());
    buildControls();
    m_profile = new ProfileBinding({Text1, Text2, Text3, Text4, Text5, Text6}, m_store, this);
    m_profile->onStoreProblem([this](const QString& message) { m_services.prompts.MsgBox(message); });
    wireEvents();
    fixClientSize(*this, clientWidth, clientHeight);
    centreOnScreen(*this);
}

Form1::~Form1() = default;

void Form1::buildControls() {
    Frame1 = new QGroupBox(QStringLiteral("MySQL Login"), this);
    placeInTwips(*Frame1, 120, 120, 7800, 2865);
    Label1 = label(Frame1, "Server:", 240, 405, 975, 255);
    Text1 = textBox(Frame1, 1320, 360, 4095, 345);
    Label6 = label(Frame1, "Port:", 5640, 405, 495, 255);
    Text2 = textBox(Frame1, 6240, 360, 1300, 345);
    Label4 = label(Frame1, "Username:", 240, 885, 1095, 255);
    Text3 = textBox(Frame1, 1320, 840, 6220, 345);
    Label5 = label(Frame1, "Password:", 240, 1365, 1095, 255);
    Text4 = textBox(Frame1, 1320, 1320, 6220, 345);
    Text4->setEchoMode(QLineEdit::Password);
    Text4->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"
    Label3 = label(Frame1, "Database:", 240, 1845, 1095, 255);
    Text5 = textBox(Frame1, 1320, 1800, 6220, 345);
    PushButton5 = button(Frame1, "Test Connection", 240, 2280, 3600, 405);
    PushButton1 = button(Frame1, "Help", 3960, 2280, 3600, 405);

    Frame2 = new QGroupBox(QStringLiteral("Sybase iAnywhere Database"), this);
    placeInTwips(*Frame2, 120, 3060, 7800, 1425);
    Label2 = label(Frame2, "Data Source Name:", 240, 405, 1695, 255);
    Text6 = textBox(Frame2, 2040, 360, 5500, 345);
    PushButton2 = button(Frame2, "Test Connection", 240, 840, 3600, 405);
    PushButton3 = button(Frame2, "Help", 3960, 840, 3600, 405);

    PushButton4 = button(this, "Next >", 120, 4610, 7800, 405);

    for (QLabel** reason : {&MySqlReason, &SybaseReason}) {
        *reason = new QLabel(this);
        (*reason)->setWordWrap(true);
        (*reason)->setTextFormat(Qt::PlainText);
        (*reason)->setTextInteractionFlags(Qt::TextSelectableByMouse);  // so a command in it can be copied
        (*reason)->setStyleSheet(QStringLiteral("color: #a00000;"));
        (*reason)->hide();
    }

    for (QWidget* white : {static_cast<QWidget*>(this), static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2),
                           static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3),
                           static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label5), static_cast<QWidget*>(Label6)})
        paintWhite(*white);

    QWidget* const tabOrder[] = {Text1,       Text2, Text3,       Text4,       Text5,      PushButton5,
                                 PushButton1, Text6, PushButton2, PushButton3, PushButton4};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Text1->setFocus();
}

// With no reason shown, everything stands where it always has; a reason line
// pushes what is below its frame down and makes the window taller.
void Form1::placeBelowFrames() {
    constexpr int gap = 60;
    auto reasonHeight = [](QLabel* line) {
        return line->isHidden() ? 0 : line->heightForWidth(pixels(7800)) * twipsPerPixel + gap;
    };
    const int mysqlExtra = reasonHeight(MySqlReason);
    const int sybaseExtra = reasonHeight(SybaseReason);
    placeInTwips(*MySqlReason, 120, 2985 + gap, 7800, std::max(mysqlExtra - gap, 0));
    placeInTwips(*Frame2, 120, 3060 + mysqlExtra, 7800, 1425);
    placeInTwips(*SybaseReason, 120, 4485 + mysqlExtra + gap, 7800, std::max(sybaseExtra - gap, 0));
    placeInTwips(*PushButton4, 120, 4610 + mysqlExtra + sybaseExtra, 7800, 405);
    fixClientSize(*this, clientWidth, clientHeight + mysqlExtra + sybaseExtra);
}

void Form1::showReason(QLabel* line, const QString& reason) {
    line->setText(reason);
    line->setToolTip(reason);
    line->setVisible(!reason.isEmpty());
    placeBelowFrames();
}

// The databases are reached beside the window, which goes on repainting and
// can be closed while a server keeps silent.
bool Form1::checkConnects(bool (*check)(const ProfileFields&, QString*, Yield*), QLabel* reasonLine) {
    const auto [connects, reason] = withYieldBesideWindow(
        [check, profile = ProfileCopy(*m_profile)](Yield& yield) {
            QString reason;
            const bool connects = check(profile, &reason, &yield);
            return std::pair(connects, reason);
        },
        m_services.end);
    showReason(reasonLine, reason);
    return connects;
}

void Form1::fillFromDatabase(void (*listTables)(const ProfileFields&, TableList&, Yield&), TableList& list) {
    withYieldBesideWindow(
        [listTables, profile = ProfileCopy(*m_profile), target = std::make_shared<ListOnWindow>(list)](Yield& yield) {
            listTables(profile, *target, yield);
        },
        m_services.end);
}

void Form1::wireEvents() {
    const std::pair<QPushButton*, void (Form1::*)()> clicks[] = {
        {PushButton1, &Form1::PushButton1_Click}, {PushButton2, &Form1::PushButton2_Click},
        {PushButton3, &Form1::PushButton3_Click}, {PushButton4, &Form1::PushButton4_Click},
        {PushButton5, &Form1::PushButton5_Click}};
    for (const auto& [b, procedure] : clicks) {
        connect(b, &QPushButton::clicked, this, [this, procedure = procedure] { onClick(procedure); });
        m_hover->handOver(b);
    }
    for (QWidget* control : {static_cast<QWidget*>(this), static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2),
                             static_cast<QWidget*>(Text1), static_cast<QWidget*>(Text2), static_cast<QWidget*>(Text3)})
        m_hover->arrowOver(control);
    for (QLineEdit* text : {Text1, Text2, Text3, Text4, Text5, Text6})
        text->installEventFilter(this);
}

QList<QWidget*> Form1::buttons() const { return {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5}; }

void Form1::onClick(void (Form1::*procedure)()) {
    runOperation(buttons(), [&] { (this->*procedure)(); });
}

// Text1_GotFocus ... Text6_GotFocus: the whole text is selected, so typing replaces it.
bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        if (auto* text = qobject_cast<QLineEdit*>(watched))
            text->setSelection(0, int(text->text().size()));
    return QWidget::eventFilter(watched, event);
}

void Form1::start() {
    runOperation(buttons(), [&] { Form_Load(); });
    const bool handedOver = m_form2 && m_form2->isVisible();
    if (!handedOver && !m_services.end.requested())
        show();
}

void Form1::Form_Load() {
    Guard guard(m_services.prompts, location("Form_Load"));
    guard.step(100, [&] { ApplySkin(*this, m_skin, m_services.programFolder); });
    guard.step(104, [&] {
        setWindowTitle(QStringLiteral("Tablewright"));
        setWindowIcon(programIcon());
        SetAppTitle();
    });
    const QString handFile = programFile(m_services.programFolder, QStringLiteral("HAND-M.CUR"));
    if (guard.test(124, [&] { return FileExists(handFile); }))
        guard.step(126, [&] { m_pointer.setMouseIcon(loadCursor(handFile)); });
    m_profile->tellStoreProblemOnce();  // a settings file that cannot even be read
    int line = 128;
    for (ProfileField field : allProfileFields) {
        guard.step(line, [&] { m_profile->setText(field, m_store.GetSetting(settingsKey(field), defaultValue(field))); });
        line += 2;
    }
    if (guard.test(140, [&] { return !checkConnects(&MySQLConnects, MySqlReason); }))
        return;
    if (guard.test(142, [&] { return !checkConnects(&SybaseConnects, SybaseReason); }))
        return;
    guard.step(144, [&] { PushButton4_Click(); });
}

void Form1::PushButton1_Click() {
    Guard guard(m_services.prompts, location("PushButton1_Click"));
    guard.step(100, [&] { m_services.prompts.MsgBox(mysqlHelpText()); });
}

void Form1::PushButton3_Click() {
    Guard guard(m_services.prompts, location("PushButton3_Click"));
    guard.step(100, [&] { m_services.prompts.MsgBox(sybaseHelpText()); });
}

// A side that connects here loses its reason line.
void Form1::PushButton5_Click() {
    if (testConnection(mysqlTest, m_services, m_pointer, *m_profile))
        showReason(MySqlReason, {});
}

void Form1::PushButton2_Click() {
    if (testConnection(sybaseTest, m_services, m_pointer, *m_profile))
        showReason(SybaseReason, {});
}

Form2& Form1::tableManager() {
    if (!m_form2) {
        m_form2 = std::make_unique<Form2>(m_services, *m_profile, m_store, *this);
        m_form2->Form_Load();
    }
    return *m_form2;
}

void Form1::PushButton4_Click() {
    Guard guard(m_services.prompts, location("PushButton4_Click"));
    guard.step(100, [&] { m_pointer.setMousePointer(PointerCode::Hourglass); });
    // A check that fails shows nothing: the pointer goes back and the window stays.
    if (!guard.test(102, [&] { return !checkConnects(&MySQLConnects, MySqlReason); }) &&
        !guard.test(104, [&] { return !checkConnects(&SybaseConnects, SybaseReason); })) {
        guard.step(106, [&] { fillFromDatabase(&ListMySQLTables, *tableManager().List1); });
        guard.step(108, [&] { fillFromDatabase(&ListSybaseTables, *tableManager().List2); });
        guard.step(110, [&] {
            Form2& form2 = tableManager();
            form2.show();
            form2.raise();
            form2.activateWindow();
        });
        guard.step(112, [&] { hide(); });
    }
    guard.step(114, [&] { m_pointer.setMousePointer(PointerCode::Arrow); });
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    closeProgram(m_services.end);
}

}
