#pragma once
#include <QElapsedTimer>
#include <QString>
#include <deque>
#include <utility>

namespace tw {

// Where a running transfer stands, for the line under the progress bar:
// "orders (2 of 3): 17,784 of 100,000 rows · 4,566 rows/s · about 18 s left".
struct TableProgress {
    QString table;
    int index = 0, count = 0;      // the table's place in the transfer, from 1
    long long rowsDone = 0;
    long long rowsTotal = -1;      // as counted before the read; -1 when unknown
    double rowsPerSecond = -1;     // over the last few seconds; -1 before it is known
    QString text() const;
};

// Measures a table's rows as they go and says when a new progress line is
// due: at most four times a second, with the rate over the last five.
class ProgressMeter {
public:
    static constexpr qint64 everyMs = 250, rateWindowMs = 5000;

    void start(const QString& table, int index, int count, long long rowsTotal);
    // Called per row; true when a new line is due, then progress() has it.
    bool rowDone(long long rowsDone) { return rowDone(rowsDone, m_clock.elapsed()); }
    bool rowDone(long long rowsDone, qint64 nowMs);  // the clock given, for tests
    const TableProgress& progress() const { return m_progress; }

private:
    QElapsedTimer m_clock;
    qint64 m_lastShownMs = 0;
    std::deque<std::pair<qint64, long long>> m_samples;  // (ms, rows done) at each line shown
    TableProgress m_progress;
};

}
