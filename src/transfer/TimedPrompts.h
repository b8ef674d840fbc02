#pragma once
#include "base/Prompts.h"
#include <QElapsedTimer>

namespace tw {

// The prompts of a transfer, timed: the time the user takes to answer is
// not the copy's time, so a table's seconds and rows per second leave it out.
class TimedPrompts : public Prompts {
public:
    explicit TimedPrompts(Prompts& shown) : m_shown(shown) {}

    int MsgBox(const QString& text, int style, const QString& title) override {
        const Timing t(m_waitedNs);
        return m_shown.MsgBox(text, style, title);
    }
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override {
        const Timing t(m_waitedNs);
        return m_shown.InputBox(prompt, title, defaultText);
    }
    // Nanoseconds spent waiting for answers so far.
    qint64 waitedNs() const { return m_waitedNs; }

private:
    struct Timing {
        explicit Timing(qint64& total) : total(total) { clock.start(); }
        ~Timing() { total += clock.nsecsElapsed(); }
        qint64& total;
        QElapsedTimer clock;
    };
    Prompts& m_shown;
    qint64 m_waitedNs = 0;
};

}
