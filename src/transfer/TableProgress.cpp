#include "transfer/TableProgress.h"
#include <QLocale>
#include <cmath>

namespace tw {

namespace {
QString thousands(long long n) { return QLocale(QLocale::English).toString(n); }

QString timeLeft(double seconds) {
    if (seconds < 60)
        return QStringLiteral("about %1 s left").arg(std::max(1LL, std::llround(seconds)));
    if (seconds < 3600)
        return QStringLiteral("about %1 min left").arg(std::llround(seconds / 60));
    return QStringLiteral("about %1 h %2 min left").arg(std::llround(std::floor(seconds / 3600))).arg(std::llround(std::fmod(seconds, 3600) / 60));
}
}

QString TableProgress::text() const {
    const QString sep = QStringLiteral(" \u00b7 ");
    QString line = table + QStringLiteral(" (%1 of %2): ").arg(index).arg(count) + thousands(rowsDone);
    const bool totalKnown = rowsTotal >= rowsDone && rowsTotal >= 0;
    line += totalKnown ? QStringLiteral(" of ") + thousands(rowsTotal) + QStringLiteral(" rows") : QStringLiteral(" rows");
    if (rowsPerSecond > 0) {
        line += sep + thousands(std::llround(rowsPerSecond)) + QStringLiteral(" rows/s");
        if (totalKnown)
            line += sep + timeLeft(double(rowsTotal - rowsDone) / rowsPerSecond);
    }
    return line;
}

void ProgressMeter::start(const QString& table, int index, int count, long long rowsTotal) {
    m_clock.start();
    m_lastShownMs = -everyMs;  // the first row shows at once
    m_samples.clear();
    m_progress = {table, index, count, 0, rowsTotal, -1};
}

bool ProgressMeter::rowDone(long long rowsDone, qint64 nowMs) {
    m_progress.rowsDone = rowsDone;
    if (nowMs - m_lastShownMs < everyMs)
        return false;
    m_lastShownMs = nowMs;
    m_samples.emplace_back(nowMs, rowsDone);
    while (m_samples.size() > 2 && nowMs - m_samples.front().first > rateWindowMs)
        m_samples.pop_front();
    const auto& [sinceMs, sinceRows] = m_samples.front();
    m_progress.rowsPerSecond = nowMs > sinceMs ? double(rowsDone - sinceRows) * 1000.0 / double(nowMs - sinceMs) : -1;
    return true;
}

}
