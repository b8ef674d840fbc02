#pragma once
#include "program/ProfileBinding.h"
#include "shell/HoverPointer.h"
#include "shell/ProgramServices.h"
#include "shell/SkinFramework.h"
#include "shell/WindowPointer.h"
#include <QWidget>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tw {

class Form2;
class SettingsStore;
class TableList;

// The connection window, where the program starts: the MySQL login and the
// iAnywhere data source name in six fields that are stored as they are
// typed, a test and a help text for each database, and "Next >" to the
// table manager. It stays loaded while hidden, since every operation reads
// the profile from its fields.
class Form1 : public QWidget {
    Q_OBJECT
public:
    Form1(const ProgramServices& services, SettingsStore& store);
    ~Form1() override;

    // The start of the program: the load, after which the window shows
    // unless the stored connections went straight on to the table manager.
    void start();

    void Form_Load();
    void PushButton1_Click();  // "Help", MySQL
    void PushButton2_Click();  // "Test Connection", iAnywhere
    void PushButton3_Click();  // "Help", iAnywhere
    void PushButton4_Click();  // "Next >"
    void PushButton5_Click();  // "Test Connection", MySQL

    ProfileFields& profile() { return *m_profile; }
    WindowPointer& pointer() { return m_pointer; }
    // The table manager, once the first "Next >" has loaded it.
    Form2* tableManagerIfLoaded() const { return m_form2.get(); }

    QGroupBox *Frame1, *Frame2;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6;
    QPushButton *PushButton1, *PushButton2, *PushButton3, *PushButton4, *PushButton5;
    // Why a stored or typed connection did not open, under the frame it
    // concerns; hidden while empty.
    QLabel *MySqlReason, *SybaseReason;

    // Shows or clears the reason line of a side; the window grows to fit it.
    void showReason(QLabel* line, const QString& reason);

protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void placeBelowFrames();
    bool checkConnects(bool (*check)(const ProfileFields&, QString*, Yield*), QLabel* reasonLine);
    void fillFromDatabase(void (*listTables)(const ProfileFields&, TableList&, Yield&), TableList& list);
    void wireEvents();
    Form2& tableManager();
    QList<QWidget*> buttons() const;
    void onClick(void (Form1::*procedure)());

    ProgramServices m_services;
    SettingsStore& m_store;
    WindowPointer m_pointer{*this};
    HoverPointer* m_hover;
    SkinFramework m_skin;
    ProfileBinding* m_profile = nullptr;
    std::unique_ptr<Form2> m_form2;
};

}
