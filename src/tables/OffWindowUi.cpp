#include "tables/OffWindowUi.h"
#include "connect/ConnectionProfile.h"
#include "base/EndingYield.h"
#include "base/OperationThread.h"
#include "base/Prompts.h"
#include "tables/ListOnWindow.h"
#include "tables/ProgressBar.h"
#include "tables/TransferPanel.h"
#include <atomic>

namespace tw {

namespace {

// A transfer sets the bar once per row: only a new position is posted.
class BarOnWindow : public ProgressBar {
public:
    explicit BarOnWindow(ProgressBar& bar) : m_bar(bar), m_value(bar.value()) {}
    int value() const override { return m_value; }
    void setValue(int value) override {
        if (value == m_value)
            return;
        m_value = value;
        postToWindowThread([&bar = m_bar, value] { bar.setValue(value); });
    }

private:
    ProgressBar& m_bar;
    int m_value;
};

class PointerOnWindow : public MousePointer {
public:
    explicit PointerOnWindow(MousePointer& pointer) : m_pointer(pointer), m_code(pointer.mousePointer()) {}
    int mousePointer() const override { return m_code; }
    void setMousePointer(int code) override {
        m_code = code;
        postToWindowThread([&pointer = m_pointer, code] { pointer.setMousePointer(code); });
    }

private:
    MousePointer& m_pointer;
    int m_code;
};

class PromptsOnWindow : public Prompts {
public:
    explicit PromptsOnWindow(Prompts& prompts) : p(prompts) {}
    int MsgBox(const QString& text, int style, const QString& title) override {
        return onWindowThread([&] { return p.MsgBox(text, style, title); });
    }
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override {
        return onWindowThread([&] { return p.InputBox(prompt, title, defaultText); });
    }

private:
    Prompts& p;
};

class ProfileOnWindow : public ProfileFields {
public:
    explicit ProfileOnWindow(const ProfileFields& profile) : p(profile) {}
    QString text(ProfileField field) const override { return onWindowThread([&] { return p.text(field); }); }
    void setText(ProfileField, const QString&) override {}  // an operation only reads the fields

private:
    const ProfileFields& p;
};

class PanelOnWindow : public TransferPanel {
public:
    explicit PanelOnWindow(TransferPanel& panel)
        : m_panel(panel), m_verifies(panel.verifies()), m_fastCopy(panel.fastCopy()),
          m_keepStructure(panel.keepStructure()), m_existing(panel.existingTable()) {}
    bool stopRequested() const override { return m_stop.load(std::memory_order_relaxed); }
    void showAccount(const TransferAccount& account) override {
        onWindowThread([&] { m_panel.showAccount(account); });
    }
    void progress(const TableProgress& progress) override {
        postToWindowThread([&panel = m_panel, progress] { panel.progress(progress); });
    }
    bool verifies() const override { return m_verifies; }
    bool fastCopy() const override { return m_fastCopy; }
    bool keepStructure() const override { return m_keepStructure; }
    ExistingTable existingTable() const override { return m_existing; }
    void copyStop() { m_stop = m_panel.stopRequested(); }

private:
    TransferPanel& m_panel;
    const bool m_verifies, m_fastCopy, m_keepStructure;  // as they were when the transfer began
    const ExistingTable m_existing;
    std::atomic<bool> m_stop{false};
};

}

struct OffWindowUi::Impl {
    Impl(const TableManagerUi& w, const ProgramEnd& end)
        : list1(w.List1), list2(w.List2), bar(w.ProgressBar1), pointer(w.pointer), prompts(w.prompts),
          yield(end), profile(w.profile), panel(w.transfer) {}
    ListOnWindow list1, list2;
    BarOnWindow bar;
    PointerOnWindow pointer;
    PromptsOnWindow prompts;
    EndingYield yield;
    ProfileOnWindow profile;
    PanelOnWindow panel;
};

OffWindowUi::OffWindowUi(const TableManagerUi& window, const ProgramEnd& end)
    : d(std::make_unique<Impl>(window, end)) {}
OffWindowUi::~OffWindowUi() = default;

TableManagerUi OffWindowUi::ui() {
    return {d->list1, d->list2, d->bar, d->pointer, d->prompts, d->yield, d->profile, d->panel};
}

void OffWindowUi::tick() { d->panel.copyStop(); }

}
