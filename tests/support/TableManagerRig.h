#pragma once
#include "TestEnv.h"
#include "tables/TableListWidget.h"
#include "tables/TableManagerUi.h"
#include <memory>
#include <functional>
#include <vector>

namespace twtest {

// A Qt application for tests that use widgets without showing them.
void ensureApplication();

class RecordingProgressBar : public tw::ProgressBar {
public:
    int value() const override { return m_value; }
    void setValue(int v) override { m_value = v; history.push_back(v); }
    std::vector<int> history;

private:
    int m_value = 0;
};

class RecordingPointer : public tw::MousePointer {
public:
    int mousePointer() const override { return m_code; }
    void setMousePointer(int code) override { m_code = code; history.push_back(code); }
    std::vector<int> history;

private:
    int m_code = 0;
};

// Counts yields; a test may hang work on a given yield.
class CountingYield : public tw::Yield {
public:
    void DoEvents() override {
        ++count;
        if (onYield)
            onYield(count);
    }
    long long count = 0;
    std::function<void(long long)> onYield;
};

// Keeps every account a transfer gave; a test presses Stop by setting stop.
class RecordingTransferPanel : public tw::TransferPanel {
public:
    bool stopRequested() const override { return stop; }
    void showAccount(const tw::TransferAccount& account) override { accounts.push_back(account); }
    void progress(const tw::TableProgress& p) override { progressShown.push_back(p); }
    bool fastCopy() const override { return fast; }
    tw::ExistingTable existingTable() const override { return existing; }
    bool parameterArrays() const override { return arrays; }
    bool keepStructure() const override { return keep; }
    tw::ExistingTable existing = tw::ExistingTable::Ask;
    bool arrays = true;
    bool stop = false;
    bool fast = false;
    bool keep = false;
    std::vector<tw::TransferAccount> accounts;
    std::vector<tw::TableProgress> progressShown;
};

// Everything the table manager's operations need, without a window, wired
// to a fresh MySQL database and a fresh stand-in data source.
class TableManagerRig {
public:
    explicit TableManagerRig(const QString& mysqlName);

    tw::TableManagerUi ui();
    // Entries of a list, top to bottom.
    static QStringList entries(const tw::TableListWidget& list) { return list.entries(); }
    void selectAll(tw::TableList& list);

    MySqlDatabase mysql;
    StandinDatabase standin;
    TestProfile profile;
    std::unique_ptr<tw::TableListWidget> List1, List2;
    RecordingProgressBar progress;
    RecordingPointer pointer;
    ScriptedPrompts prompts;
    CountingYield yield;
    RecordingTransferPanel transfer;
};

}
