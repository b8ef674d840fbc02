#pragma once
#include "TableManagerRig.h"
#include "TestEnv.h"
#include "connect/SettingsStore.h"
#include "shell/MousePointer.h"
#include "base/ProgramEnd.h"
#include "shell/ProgramServices.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QAbstractButton>
#include <QPushButton>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

#include <ostream>

namespace twtest {

// Scripted prompts that also note the window pointer at the moment each box
// comes up.
class PointerNotingPrompts : public ScriptedPrompts {
public:
    int MsgBox(const QString& text, int style, const QString& title) override {
        pointerAtBox.push_back(pointer ? pointer->mousePointer() : -1);
        return ScriptedPrompts::MsgBox(text, style, title);
    }
    const tw::MousePointer* pointer = nullptr;
    std::vector<int> pointerAtBox;
};

// A fixture whose widgets need the application before they are made.
class WithApplication : public ::testing::Test {
protected:
    WithApplication() { ensureApplication(); }
};

// The build tree, where the files the program looks for beside itself are
// copied (the private services live in it too).
inline QString buildFolder() { return QDir(servicesDir() + "/..").canonicalPath(); }

// What a window needs from the program, scripted.
struct ScriptedProgram {
    PointerNotingPrompts prompts;
    CountingYield yield;
    tw::ProgramEnd end;
    tw::ProgramServices services(const QString& folder = buildFolder()) { return {prompts, yield, end, folder}; }
};

// A window test with a fresh settings store, a MySQL test database and the
// stand-in. Other test programs share the settings folder, so no profile
// is left behind.
class WithStoredProfile : public WithApplication {
protected:
    explicit WithStoredProfile(const QString& mysqlName) : mysql(mysqlName) {
        QFile::remove(storeFile);
        store.emplace();
    }
    ~WithStoredProfile() override {
        store.reset();
        QFile::remove(storeFile);
    }
    // The profile of the test database and the stand-in, as a previous run left it.
    void storeWorkingProfile() {
        TestProfile p;
        mysql.fillProfile(p);
        standin.fillProfile(p);
        for (tw::ProfileField f : tw::allProfileFields)
            store->SaveSetting(tw::settingsKey(f), p.text(f));
    }

    const QString storeFile = tw::SettingsStore().fileName();
    MySqlDatabase mysql;
    StandinDatabase standin;
    std::optional<tw::SettingsStore> store;
    ScriptedProgram program;
};

// The user moving the mouse over a control (with no button held).
inline void moveMouseOver(QWidget* control) {
    const QPointF at(control->width() / 2.0, control->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, control->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control, &move);
}

// A control's place and size in twips, as the window was laid out.
struct TwipsBox {
    int left, top, width, height;
    // Where it lands on the screen: 15 twips to the pixel, to the nearest pixel.
    QRect pixels() const { return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0)); }
};

// A control with its container, caption and place as the design gives them.
struct Placed {
    QWidget* control;
    QWidget* container;
    QString caption;
    TwipsBox box;
};

// Reads each control's caption, container and geometry back from the widgets.
inline void expectPlaced(const std::vector<Placed>& placed) {
    for (const Placed& p : placed) {
        QString caption;
        if (auto* frame = qobject_cast<QGroupBox*>(p.control))
            caption = frame->title();
        else if (auto* label = qobject_cast<QLabel*>(p.control))
            caption = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(p.control))
            caption = button->text();
        else if (auto* bar = qobject_cast<QProgressBar*>(p.control))
            caption = bar->format();
        EXPECT_EQ(caption, p.caption);
        EXPECT_EQ(p.control->parentWidget(), p.container) << p.caption.toStdString();
        EXPECT_EQ(p.control->geometry(), p.box.pixels()) << p.caption.toStdString();
    }
}

}
