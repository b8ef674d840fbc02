#include "transfer/TransferAccount.h"
#include <QLocale>

namespace tw {

namespace {
QString count(long long n) { return QLocale(QLocale::English).toString(n); }

QString rows(long long n) { return count(n) + (n == 1 ? QStringLiteral(" row") : QStringLiteral(" rows")); }

QString secondsText(double s) { return QString::number(s, 'f', 1) + QStringLiteral(" s"); }

QString verificationText(const TableAccount& t) {
    switch (t.verification.result) {
    case Verification::Result::Verified: {
        const QString partly =
            t.verification.notCompared.isEmpty() ? QString() : QStringLiteral(" (") + t.verification.notCompared + u')';
        return t.rowsFailed > 0 ? rows(t.rowsFailed) + QStringLiteral(" rejected, the rest verified") + partly
                                : QStringLiteral("verified") + partly;
    }
    case Verification::Result::Differs: {
        QStringList what;
        if (t.verification.rowsDiffering > 0)
            what << rows(t.verification.rowsDiffering) + QStringLiteral(" differ");
        what << t.verification.profileDifferences;
        return QStringLiteral("differs: ") + what.join(QStringLiteral("; "));
    }
    case Verification::Result::CouldNotCheck:
        return QStringLiteral("not checked: ") + t.verification.problem;
    case Verification::Result::NotChecked:
        break;
    }
    return QStringLiteral("not verified");
}
}

void TableAccount::rowFailed(const QString& message) {
    ++rowsFailed;
    if (firstFailure.isEmpty() && firstFailureShared == 0)
        firstFailure = message;
    if (message == firstFailure)
        ++firstFailureShared;
}

void TableAccount::rowsLostInDoubt(long long rows, const QString& because) {
    rowsInDoubt += rows;
    if (inDoubtBecause.isEmpty())
        inDoubtBecause = because;
}

QString TransferAccount::summary() const {
    long long copiedTables = 0, accepted = 0, failed = 0, inDoubt = 0, differing = 0, skipped = 0, tablesDiffering = 0,
              replaced = 0;
    bool allVerified = true;
    for (const TableAccount& t : tables) {
        if (!t.copied()) {
            ++skipped;
            continue;
        }
        if (!t.replacedBy.isEmpty()) {  // copied, then dropped for a later one: not in the target
            ++replaced;
            continue;
        }
        ++copiedTables;
        accepted += t.rowsAccepted;
        failed += t.rowsFailed;
        inDoubt += t.rowsInDoubt;
        if (t.verification.result == Verification::Result::Differs) {
            differing += t.verification.rowsDiffering;
            tablesDiffering += t.verification.rowsDiffering == 0;
        }
        allVerified = allVerified && t.verification.result == Verification::Result::Verified;
    }
    QString line = count(copiedTables) + (copiedTables == 1 ? QStringLiteral(" table, ") : QStringLiteral(" tables, ")) +
                   rows(accepted) + QStringLiteral(" copied");
    if (failed > 0)
        line += QStringLiteral(", ") + rows(failed) + QStringLiteral(" rejected");
    if (inDoubt > 0)
        line += QStringLiteral(", ") + rows(inDoubt) + QStringLiteral(" in doubt");
    if (differing > 0)
        line += QStringLiteral(", ") + rows(differing) + QStringLiteral(" differ");
    if (tablesDiffering > 0)
        line += QStringLiteral(", ") + count(tablesDiffering) +
                (tablesDiffering == 1 ? QStringLiteral(" table differs") : QStringLiteral(" tables differ"));
    if (differing == 0 && tablesDiffering == 0 && allVerified && copiedTables > 0)
        line += failed > 0 ? QStringLiteral(", the rest verified") : QStringLiteral(" and verified");
    if (skipped > 0)
        line += QStringLiteral(", ") + count(skipped) + (skipped == 1 ? QStringLiteral(" table skipped") : QStringLiteral(" tables skipped"));
    if (replaced > 0)
        line += QStringLiteral(", ") + count(replaced) +
                (replaced == 1 ? QStringLiteral(" table replaced by a later one") : QStringLiteral(" tables replaced by later ones"));
    line += QStringLiteral(" in ") + secondsText(seconds);
    if (stopped)
        return QStringLiteral("Stopped: ") + line;
    if (!endedEarly.isEmpty())
        return QStringLiteral("Ended early: ") + line;
    return line;
}

QString TableAccount::text() const {
    QString text = name + QStringLiteral(": ");
    if (!copied()) {
        text += QStringLiteral("skipped (") + skipped + u')';
        return text;
    }
    text += rows(rowsRead) + QStringLiteral(" read, ") + count(rowsAccepted) + QStringLiteral(" accepted, ") +
            count(rowsFailed) + QStringLiteral(" failed");
    if (rowsFailed > 0)
        text += QStringLiteral(" (first failure, shared by ") + rows(firstFailureShared) + QStringLiteral(": ") +
                firstFailure + u')';
    if (rowsInDoubt > 0)
        text += QStringLiteral(", ") + count(rowsInDoubt) + QStringLiteral(" in doubt (") + inDoubtBecause + u')';
    if (!readFailure.isEmpty())
        text += QStringLiteral("; the read failed after ") + rows(rowsRead) + QStringLiteral(": ") + readFailure;
    if (!resumed.isEmpty())
        text += QStringLiteral("; ") + resumed;
    text += QStringLiteral("; ") + verificationText(*this) + QStringLiteral("; ") + secondsText(seconds);
    if (seconds > 0)
        text += QStringLiteral(", ") + count((long long)(double(rowsRead) / seconds)) + QStringLiteral(" rows/s");
    if (!readPath.isEmpty())
        text += QStringLiteral("; read ") + readPath;
    if (!replacedBy.isEmpty())
        text += QStringLiteral("; then replaced in the target by ") + replacedBy;
    if (!replacement.isEmpty())
        text += QStringLiteral("; ") + replacement;
    if (appended)
        text += QStringLiteral("; appended to the existing table");
    if (!columnsNotSent.isEmpty())
        text += QStringLiteral("; not in the target, so not sent: ") + columnsNotSent.join(QStringLiteral(", "));
    if (resumeFrom)
        text += QStringLiteral("; Resume goes on ") +
                (resumeFrom->lastKey.isEmpty() ? QStringLiteral("from its first row")
                                               : QStringLiteral("after ") + resumeFrom->keyColumns.join(QStringLiteral(", ")) +
                                                     QStringLiteral(" = ") + resumeFrom->lastKey.join(QStringLiteral(", ")));
    if (!cannotResume.isEmpty())
        text += QStringLiteral("; cannot resume: ") + cannotResume;
    if (!structureKept.isEmpty())
        text += QStringLiteral("; kept: ") + structureKept.join(QStringLiteral(", "));
    if (!typesChanged.isEmpty())
        text += QStringLiteral("; types changed: ") + typesChanged.join(QStringLiteral(", "));
    if (!structureLeftOut.isEmpty())
        text += QStringLiteral("; left out: ") + structureLeftOut.join(QStringLiteral("; "));
    return text;
}


QString TransferAccount::details() const {
    QString text = QStringLiteral("Transfer ") + direction + (fastCopy ? QStringLiteral(" (fast copy)") : QString()) +
                   QStringLiteral(": ") + summary() + u'\n';
    for (const TableAccount& t : tables)
        text += u'\n' + t.text();
    if (stopped) {
        long long sent = 0;
        for (const TableAccount& t : tables)
            sent += t.rowsAccepted;
        text += QStringLiteral("\n\nStopped by the user after ") + rows(sent) + u'.';
    }
    if (!endedEarly.isEmpty())
        text += QStringLiteral("\n\nEnded early: ") + endedEarly;
    if (!notReached.isEmpty())
        text += QStringLiteral("\nNot reached: ") + notReached.join(QStringLiteral(", "));
    if (resumable)
        text += QStringLiteral("\nResume copies the rest.");
    return text + u'\n';
}

}
