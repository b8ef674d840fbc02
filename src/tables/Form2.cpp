#include "tables/Form2.h"
#include "transfer/ResumeState.h"
#include "connect/SettingsStore.h"
#include "shell/BusyControls.h"
#include "shell/CloseProgram.h"
#include "shell/CursorFile.h"
#include "base/ErrorReport.h"
#include "shell/FileExists.h"
#include "base/Guard.h"
#include "shell/LookAndFeel.h"
#include "base/OperationThread.h"
#include "base/ProgramEnd.h"
#include "shell/ProgramIcon.h"
#include "shell/WindowLook.h"
#include "tables/DropTables.h"
#include "tables/OffWindowUi.h"
#include "tables/RenameTable.h"
#include "tables/SendTables.h"
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>

namespace tw {

namespace {

constexpr int clientWidth = 8040;
// "< Back": the bottom row of buttons, from which the window's height follows;
// above it, under the progress bar, the line of the last transfer and the
// "Fast copy" box.
constexpr int transferResultTop = 4960, transferResultHeight = 360;
constexpr int fastCopyTop = 5360, fastCopyHeight = 300;
constexpr int backTop = 5760, backHeight = 405;
const QString fastCopyKey = QStringLiteral("FastCopy");
const QString keepStructureKey = QStringLiteral("KeepStructure");
const QString existingTableSetting = QStringLiteral("ExistingTable");
constexpr int fastCopyWidth = 1320, keepStructureLeft = 1500, keepStructureWidth = 2250;
constexpr int existingLeft = 3810, existingLabelWidth = 1800, existingChoiceWidth = 2310;
// Below the bottom row: the title bar, the borders and a narrow margin.
constexpr float marginBelowButtons = 580;

const QString contactPage = QStringLiteral("https://www.veltrano.com/contact");

QString location(const char* procedure) { return locationText(QStringLiteral("Form2"), QString::fromLatin1(procedure)); }

QPushButton* button(QWidget* container, const char* caption, int left, int top, int width, int height) {
    auto* b = new QPushButton(QString::fromLatin1(caption), container);
    b->setFont(buttonFont());
    placeInTwips(*b, left, top, width, height);
    return b;
}

// The two frames are mirror images with the same inner layout.
struct SideControls {
    TableListWidget* list;
    QPushButton *selectAll, *deselectAll, *send, *drop, *rename;
};

SideControls buildSide(QGroupBox* frame, const char* sendCaption) {
    SideControls side;
    side.list = new TableListWidget(frame);
    placeInTwips(*side.list, 240, 360, 3330, 1635);
    side.selectAll = button(frame, "Select All", 240, 2100, 1600, 400);
    side.deselectAll = button(frame, "Deselect All", 1960, 2100, 1600, 400);
    side.send = button(frame, sendCaption, 240, 2600, 3330, 400);
    side.drop = button(frame, "Delete Table/s", 240, 3100, 3330, 400);
    side.rename = button(frame, "Rename Table", 240, 3600, 3330, 400);
    return side;
}

void setAllSelected(TableList& list, bool selected, const char* procedure, Prompts& prompts) {
    Guard guard(prompts, location(procedure));
    int count = 0;
    guard.step(100, [&] { count = list.ListCount(); });
    for (int i = 0; i < count; ++i)
        guard.step(102, [&] { list.setSelected(i, selected); });
}

}

Form2::Form2(const ProgramServices& services, const ProfileFields& profile, SettingsStore& store,
             QWidget& connectionWindow)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_services(services), m_profile(profile), m_store(store), m_connectionWindow(connectionWindow),
      m_hover(new HoverPointer(m_pointer, this)) {
    setObjectName(QStringLiteral("Form2"));
    setFont(windowFont());
    buildControls();
    wireEvents();
    fixClientSize(*this, clientWidth, backTop + backHeight + int(marginBelowButtons));
}

void Form2::buildControls() {
    Frame1 = new QGroupBox(QStringLiteral("MySQL Tables"), this);
    placeInTwips(*Frame1, 120, 120, 3840, 4215);
    Frame2 = new QGroupBox(QStringLiteral("Sybase iAnywhere Tables"), this);
    placeInTwips(*Frame2, 4080, 120, 3840, 4215);

    const SideControls mysql = buildSide(Frame1, "Send Table/s To Sybase iAny");
    List1 = mysql.list;
    PushButton10 = mysql.selectAll;
    PushButton11 = mysql.deselectAll;
    PushButton3 = mysql.send;
    PushButton1 = mysql.drop;
    PushButton6 = mysql.rename;
    const SideControls sybase = buildSide(Frame2, "Send Table/s To MySQL");
    List2 = sybase.list;
    PushButton8 = sybase.selectAll;
    PushButton9 = sybase.deselectAll;
    PushButton4 = sybase.send;
    PushButton5 = sybase.drop;
    PushButton7 = sybase.rename;

    ProgressBar1 = new ProgressBarWidget(this);
    ProgressBar1->setFormat(QStringLiteral("Progress Bar"));
    placeInTwips(*ProgressBar1, 120, 4460, 7800, 405);
    TransferResult = new TransferResultView(this);
    placeInTwips(*TransferResult, 120, transferResultTop, 7800, transferResultHeight);
    FastCopy = new QCheckBox(QStringLiteral("Fast copy"), this);
    FastCopy->setToolTip(QStringLiteral("Send the rows in batches inside transactions, a few thousand rows a commit"));
    placeInTwips(*FastCopy, 120, fastCopyTop, fastCopyWidth, fastCopyHeight);
    FastCopy->setChecked(m_store.GetSetting(fastCopyKey, QStringLiteral("False")) == u"True");
    TransferResult->setFastCopy(FastCopy->isChecked());
    KeepStructure = new QCheckBox(QStringLiteral("Keep types and keys"), this);
    KeepStructure->setToolTip(QStringLiteral("Create each table with its column types, primary key, defaults and comments; "
                                             "its indexes after the rows, and foreign keys between the tables copied"));
    placeInTwips(*KeepStructure, keepStructureLeft, fastCopyTop, keepStructureWidth, fastCopyHeight);
    KeepStructure->setChecked(m_store.GetSetting(keepStructureKey, QStringLiteral("False")) == u"True");
    TransferResult->setKeepStructure(KeepStructure->isChecked());
    auto* existingLabel = new QLabel(QStringLiteral("When a table exists:"), this);
    placeInTwips(*existingLabel, existingLeft, fastCopyTop, existingLabelWidth, fastCopyHeight);
    ExistingTableChoice = new QComboBox(this);
    for (ExistingTable mode : {ExistingTable::Ask, ExistingTable::Replace, ExistingTable::Append, ExistingTable::Skip})
        ExistingTableChoice->addItem(tw::existingTableKey(mode), int(mode));
    ExistingTableChoice->setToolTip(QStringLiteral(
        "Ask before the copy begins, replace without asking, append the rows by column name, or leave the table alone"));
    placeInTwips(*ExistingTableChoice, existingLeft + existingLabelWidth, fastCopyTop - 30, existingChoiceWidth, fastCopyHeight + 60);
    const ExistingTable stored = existingTableFromKey(m_store.GetSetting(existingTableSetting, QStringLiteral("Ask")));
    ExistingTableChoice->setCurrentIndex(ExistingTableChoice->findData(int(stored)));
    TransferResult->setExistingTable(stored);
    PushButton2 = button(this, "< Back", 120, backTop, 3840, backHeight);
    PushButton12 = button(this, "Help", 4080, backTop, 3840, backHeight);

    QWidget* const tabOrder[] = {List2,       List1,       PushButton10, PushButton11, PushButton3,
                                 PushButton1, PushButton6, PushButton8,  PushButton9,  PushButton4,
                                 PushButton5, PushButton7, FastCopy,     KeepStructure, ExistingTableChoice, PushButton2,  PushButton12};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    List2->setFocus();
}

void Form2::wireEvents() {
    const std::pair<QPushButton*, void (Form2::*)()> clicks[] = {
        {PushButton1, &Form2::PushButton1_Click},   {PushButton2, &Form2::PushButton2_Click},
        {PushButton3, &Form2::PushButton3_Click},   {PushButton4, &Form2::PushButton4_Click},
        {PushButton5, &Form2::PushButton5_Click},   {PushButton6, &Form2::PushButton6_Click},
        {PushButton7, &Form2::PushButton7_Click},   {PushButton8, &Form2::PushButton8_Click},
        {PushButton9, &Form2::PushButton9_Click},   {PushButton10, &Form2::PushButton10_Click},
        {PushButton11, &Form2::PushButton11_Click}, {PushButton12, &Form2::PushButton12_Click}};
    connect(FastCopy, &QCheckBox::toggled, this, [this](bool on) {
        TransferResult->setFastCopy(on);
        m_store.SaveSetting(fastCopyKey, on ? QStringLiteral("True") : QStringLiteral("False"));
    });
    connect(KeepStructure, &QCheckBox::toggled, this, [this](bool on) {
        TransferResult->setKeepStructure(on);
        m_store.SaveSetting(keepStructureKey, on ? QStringLiteral("True") : QStringLiteral("False"));
    });
    connect(ExistingTableChoice, &QComboBox::currentIndexChanged, this, [this] {
        const auto mode = ExistingTable(ExistingTableChoice->currentData().toInt());
        TransferResult->setExistingTable(mode);
        m_store.SaveSetting(existingTableSetting, tw::existingTableKey(mode));
    });
    connect(TransferResult->ResumeButton, &QPushButton::clicked, this, &Form2::Resume_Click);
    m_hover->handOver(TransferResult->ResumeButton);
    for (const auto& [b, procedure] : clicks) {
        connect(b, &QPushButton::clicked, this, procedure);
        m_hover->handOver(b);
    }
    for (QWidget* control : {static_cast<QWidget*>(this), static_cast<QWidget*>(List1), static_cast<QWidget*>(List2),
                             static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Frame2)})
        m_hover->arrowOver(control);
}

TableManagerUi Form2::ui() {
    return {*List1, *List2, *ProgressBar1, m_pointer, m_services.prompts, m_services.yield, m_profile, *TransferResult};
}

QList<QWidget*> Form2::listsAndButtons() const {
    return {List1,       List2,       PushButton1, PushButton2, PushButton3,  PushButton4,  PushButton5,
            PushButton6, PushButton7, PushButton8, PushButton9, PushButton10, PushButton11, PushButton12, FastCopy,
            KeepStructure, ExistingTableChoice, TransferResult->ResumeButton};
}

void Form2::runTableOperation(void (*operation)(TableManagerUi&)) {
    TransferResult->clear();
    runBeside(listsAndButtons(), operation);
    offerResume();
}

void Form2::runTransfer(void (*operation)(TableManagerUi&), QPushButton* sendButton) {
    if (m_runningTransfer) {
        TransferResult->requestStop();
        return;
    }
    TransferResult->clear();
    QList<QWidget*> busy = listsAndButtons();
    busy.removeOne(sendButton);
    const QString caption = sendButton->text();
    sendButton->setText(QStringLiteral("Stop"));
    m_runningTransfer = sendButton;
    runBeside(busy, operation);
    m_runningTransfer = nullptr;
    sendButton->setText(caption);
    offerResume();
}

void Form2::offerResume() {
    bool waiting = false;
    try {
        waiting = ResumeState::loadFor(m_profile).has_value();
    } catch (const std::exception&) {
        waiting = true;  // Resume tells what is wrong with the kept state
    }
    TransferResult->ResumeButton->setEnabled(waiting);
}

// The operation runs beside the window, which goes on repainting and
// answering Stop and the close box even while a driver call hangs.
void Form2::runBeside(const QList<QWidget*>& busy, void (*operation)(TableManagerUi&)) {
    auto offWindow = std::make_shared<OffWindowUi>(ui(), m_services.end);
    runOperation(busy, [&] {
        runBesideWindow(
            [offWindow, operation] {
                TableManagerUi tableManager = offWindow->ui();
                operation(tableManager);
            },
            m_services.end, [&] { offWindow->tick(); });
    });
}

void Form2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_runningTransfer) {
        TransferResult->requestStop();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form2::Form_Load() {
    Guard guard(m_services.prompts, location("Form_Load"));
    guard.step(100, [&] { ApplyWindowColors(*this); });
    guard.step(102, [&] { setWindowIcon(programIcon()); });
    const QString handFile = programFile(m_services.programFolder, QStringLiteral("HAND-M.CUR"));
    if (guard.test(106, [&] { return FileExists(handFile); }))
        guard.step(108, [&] { m_pointer.setMouseIcon(loadCursor(handFile)); });
    guard.step(110, [&] { setWindowTitle(QStringLiteral("Tablewright")); });
    guard.step(112, [&] {
        m_outerHeightTwips = float(backTop) + float(backHeight) + marginBelowButtons;
        fitOuterHeight();
        centreOnScreen(*this);
    });
}

// The height counts the title bar and the borders, which the window system
// knows only once the window is on the screen.
void Form2::fitOuterHeight() {
    if (m_outerHeightTwips <= 0)
        return;
    const int decoration = frameGeometry().height() - height();
    setFixedHeight(pixels(m_outerHeightTwips) - decoration);
}

void Form2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showDatabases();
    QTimer::singleShot(0, this, &Form2::fitOuterHeight);
}

// Which server, port and database, and which data source, the lists show:
// after "< Back" and another database, the window says which it is now.
void Form2::showDatabases() {
    const QString mysql = QStringLiteral("MySQL %1:%2, database %3")
                              .arg(m_profile.text(ProfileField::Server), m_profile.text(ProfileField::Port),
                                   m_profile.text(ProfileField::Database));
    const QString iany = QStringLiteral("iAnywhere data source %1").arg(m_profile.text(ProfileField::DataSourceName));
    Frame1->setToolTip(mysql);
    List1->setToolTip(mysql);
    Frame2->setToolTip(iany);
    List2->setToolTip(iany);
    TransferResult->setIdleText(mysql + QStringLiteral(" \u00b7 ") + iany);
    offerResume();
}

void Form2::PushButton1_Click() { runTableOperation(&tw::PushButton1_Click); }
void Form2::PushButton3_Click() { runTransfer(&tw::PushButton3_Click, PushButton3); }
void Form2::PushButton4_Click() { runTransfer(&tw::PushButton4_Click, PushButton4); }
void Form2::Resume_Click() { runTransfer(&tw::Resume_Click, TransferResult->ResumeButton); }
void Form2::PushButton5_Click() { runTableOperation(&tw::PushButton5_Click); }
void Form2::PushButton6_Click() { runTableOperation(&tw::PushButton6_Click); }
void Form2::PushButton7_Click() { runTableOperation(&tw::PushButton7_Click); }

void Form2::PushButton2_Click() {
    Guard guard(m_services.prompts, location("PushButton2_Click"));
    guard.step(100, [&] {
        m_connectionWindow.show();
        m_connectionWindow.activateWindow();
    });
    guard.step(102, [&] { hide(); });
}

void Form2::PushButton8_Click() { setAllSelected(*List2, true, "PushButton8_Click", m_services.prompts); }
void Form2::PushButton9_Click() { setAllSelected(*List2, false, "PushButton9_Click", m_services.prompts); }
void Form2::PushButton10_Click() { setAllSelected(*List1, true, "PushButton10_Click", m_services.prompts); }
void Form2::PushButton11_Click() { setAllSelected(*List1, false, "PushButton11_Click", m_services.prompts); }

void Form2::PushButton12_Click() {
    Guard guard(m_services.prompts, location("PushButton12_Click"));
    guard.step(100, [&] { m_services.prompts.MsgBox("Questions? Please contact Team Veltrano at " + contactPage); });
}

void Form2::closeEvent(QCloseEvent* event) {
    event->accept();
    closeProgram(m_services.end);
}

}
