#pragma once
#include "shell/HoverPointer.h"
#include "shell/ProgramServices.h"
#include "shell/WindowPointer.h"
#include "tables/ProgressBarWidget.h"
#include "tables/TableListWidget.h"
#include "tables/TableManagerUi.h"
#include "tables/TransferResultView.h"
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace tw {

class ProfileFields;

// The table manager window: the MySQL tables on the left, the iAnywhere
// tables on the right, each list with its own buttons, and below them the
// progress bar, "< Back" and "Help". The operations behind the buttons get
// the lists, the bar, the pointer and the prompts through a TableManagerUi.
class SettingsStore;

class Form2 : public QWidget {
    Q_OBJECT
public:
    // The store keeps the "Fast copy" choice from one run to the next.
    Form2(const ProgramServices& services, const ProfileFields& profile, SettingsStore& store,
          QWidget& connectionWindow);

    void Form_Load();
    void PushButton1_Click();   // "Delete Table/s", MySQL
    void PushButton2_Click();   // "< Back"
    void PushButton3_Click();   // "Send Table/s To Sybase iAny"
    void PushButton4_Click();   // "Send Table/s To MySQL"
    void PushButton5_Click();   // "Delete Table/s", iAnywhere
    void PushButton6_Click();   // "Rename Table", MySQL
    void PushButton7_Click();   // "Rename Table", iAnywhere
    void PushButton8_Click();   // "Select All", iAnywhere
    void PushButton9_Click();   // "Deselect All", iAnywhere
    void PushButton10_Click();  // "Select All", MySQL
    void PushButton11_Click();  // "Deselect All", MySQL
    void PushButton12_Click();  // "Help"
    void Resume_Click();        // "Resume"

    TableManagerUi ui();
    WindowPointer& pointer() { return m_pointer; }
    // The outer height that the load computed, title bar and borders included.
    float outerHeightTwips() const { return m_outerHeightTwips; }

    QGroupBox *Frame1, *Frame2;
    TableListWidget *List1, *List2;
    ProgressBarWidget* ProgressBar1;
    TransferResultView* TransferResult;  // under the bar: the last transfer's account
    QCheckBox* FastCopy;                 // "Fast copy": rows in batches inside transactions
    QCheckBox* KeepStructure;            // "Keep types and keys": tables created as their sources are
    QComboBox* ExistingTableChoice;      // "When a table exists": Ask, Replace, Append, Skip
    QPushButton *PushButton1, *PushButton2, *PushButton3, *PushButton4, *PushButton5, *PushButton6, *PushButton7,
        *PushButton8, *PushButton9, *PushButton10, *PushButton11, *PushButton12;

protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload
    void showEvent(QShowEvent* event) override;
    void showDatabases();
    void keyPressEvent(QKeyEvent* event) override;  // Escape stops a running transfer

private:
    void buildControls();
    void wireEvents();
    void runTableOperation(void (*operation)(TableManagerUi&));
    // A transfer: its Send button reads "Stop" and stays pressable while it runs.
    void runTransfer(void (*operation)(TableManagerUi&), QPushButton* sendButton);
    void runBeside(const QList<QWidget*>& busy, void (*operation)(TableManagerUi&));
    QList<QWidget*> listsAndButtons() const;
    void fitOuterHeight();

    ProgramServices m_services;
    const ProfileFields& m_profile;
    SettingsStore& m_store;
    QWidget& m_connectionWindow;
    WindowPointer m_pointer{*this};
    HoverPointer* m_hover;
    float m_outerHeightTwips = 0;
    QPushButton* m_runningTransfer = nullptr;
    // Resume is offered while the last transfer on these connections ended early.
    void offerResume();
};

}
