#include "cli/AccountOutcome.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tw {

namespace {

bool complete(const TableAccount& t) {
    using R = Verification::Result;
    const R check = t.verification.result;
    return t.copied() && t.rowsFailed == 0 && t.rowsInDoubt == 0 && t.readFailure.isEmpty() && t.replacement.isEmpty() &&
           check != R::Differs && check != R::CouldNotCheck;
}

QString checkWord(Verification::Result result) {
    switch (result) {
    case Verification::Result::NotChecked: return QStringLiteral("not checked");
    case Verification::Result::Verified: return QStringLiteral("verified");
    case Verification::Result::Differs: return QStringLiteral("differs");
    case Verification::Result::CouldNotCheck: return QStringLiteral("could not check");
    }
    return {};
}

QJsonObject tableJson(const TableAccount& t) {
    QJsonObject o{{"name", t.name},
                  {"copied", t.copied()},
                  {"read", double(t.rowsRead)},
                  {"accepted", double(t.rowsAccepted)},
                  {"failed", double(t.rowsFailed)},
                  {"in_doubt", double(t.rowsInDoubt)},
                  {"first_failure", t.firstFailure},
                  {"check", checkWord(t.verification.result)},
                  {"seconds", t.seconds}};
    if (!t.copied())
        o.insert("skipped", t.skipped);
    if (!t.readFailure.isEmpty())
        o.insert("read_failure", t.readFailure);
    if (!t.verification.profileDifferences.isEmpty())
        o.insert("differences", QJsonArray::fromStringList(t.verification.profileDifferences));
    if (t.verification.rowsDiffering > 0)
        o.insert("rows_differing", double(t.verification.rowsDiffering));
    if (!t.verification.problem.isEmpty())
        o.insert("check_problem", t.verification.problem);
    if (!t.replacement.isEmpty())
        o.insert("replacement", t.replacement);
    if (t.appended)
        o.insert("appended", true);
    if (!t.columnsNotSent.isEmpty())
        o.insert("columns_not_sent", QJsonArray::fromStringList(t.columnsNotSent));
    if (!t.resumed.isEmpty())
        o.insert("resumed", t.resumed);
    if (t.resumeFrom)
        o.insert("resume_after", QJsonArray::fromStringList(t.resumeFrom->lastKey));
    if (!t.cannotResume.isEmpty())
        o.insert("cannot_resume", t.cannotResume);
    if (!t.structureKept.isEmpty())
        o.insert("structure_kept", QJsonArray::fromStringList(t.structureKept));
    if (!t.structureLeftOut.isEmpty())
        o.insert("structure_left_out", QJsonArray::fromStringList(t.structureLeftOut));
    if (!t.typesChanged.isEmpty())
        o.insert("types_changed", QJsonArray::fromStringList(t.typesChanged));
    return o;
}

}

int exitCodeOf(const TransferAccount& account) {
    if (account.stopped)
        return ExitCode::Stopped;
    if (!account.endedEarly.isEmpty())
        return ExitCode::Trouble;
    for (const TableAccount& t : account.tables)
        if (!complete(t))
            return ExitCode::NotAll;
    return ExitCode::Done;
}

QString accountJson(const TransferAccount& account, int exitCode) {
    QJsonArray tables;
    for (const TableAccount& t : account.tables)
        tables.append(tableJson(t));
    QJsonObject o{{"direction", account.direction},
                  {"fast_copy", account.fastCopy},
                  {"stopped", account.stopped},
                  {"seconds", account.seconds},
                  {"summary", account.summary()},
                  {"exit_code", exitCode},
                  {"resumable", account.resumable},
                  {"tables", tables}};
    if (!account.endedEarly.isEmpty())
        o.insert("ended_early", account.endedEarly);
    if (!account.notReached.isEmpty())
        o.insert("not_reached", QJsonArray::fromStringList(account.notReached));
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

}
