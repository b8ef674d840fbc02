#pragma once
#include "transfer/TransferEvents.h"
#include <atomic>

namespace tw {

// A transfer as the command line shows it: each failure the window would
// box is a line on stderr with the same text; there are no questions (a
// failure that repeats is counted without a line each); on a terminal one
// progress line per table is kept up to date, elsewhere a line per table
// when it ends. Stop comes from SIGINT or SIGTERM.
class ConsoleEvents : public TransferEvents, private Prompts, private Yield {
public:
    explicit ConsoleEvents(const std::atomic<bool>& stop);

    Prompts& prompts() override { return *this; }
    Yield& yield() override { return *this; }
    bool stopRequested() const override { return m_stop.load(std::memory_order_relaxed); }
    void progress(const TableProgress& progress) override;
    void tableEnded(const TableAccount& table) override;
    void transferEnded(const TransferAccount& account) override { m_account = account; }

    const TransferAccount& account() const { return m_account; }

private:
    int MsgBox(const QString& text, int style, const QString& title) override;
    QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
    void DoEvents() override {}
    void clearProgressLine();

    const std::atomic<bool>& m_stop;
    const bool m_terminal;
    bool m_progressShown = false;
    TransferAccount m_account;
};

// Writes text and a line end to stderr, or to stdout.
void printError(const QString& text);
void printOut(const QString& text);

}
