#pragma once
#include "transfer/TransferAccount.h"
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace tw {

class Connection;
class Yield;
struct DatabaseSide;

// Where a resumed copy of a table starts reading its source.
struct ResumeStart {
    QStringList after;              // the key to start after; empty for the first row
    long long inDoubtArrived = 0;  // rows in doubt the target turned out to hold
    QString rest;     // the source's rows still to copy, in its SQL; empty for all
    QString through;  // the rows copied before, in its SQL; empty for none
};

// A target that does not hold what the copy so far left in it: resuming
// could copy a row twice or leave one out.
class ResumeRefused : public std::runtime_error {
public:
    explicit ResumeRefused(const QString& why) : std::runtime_error(why.toStdString()) {}
};

// Settles the rows in doubt from what the target holds. Its row count says
// how many of them arrived; its largest key, read back in the source's
// order, must lie exactly that many rows after the last key settled. A
// table appended to holds keys of its own, so there the count alone says
// where to go on.
ResumeStart resumeStart(const ResumePoint& point, const QString& table, const QString& condition,
                        const DatabaseSide& sourceSide, Connection& source, const DatabaseSide& targetSide,
                        Connection& target, Yield* whileRunning);

}
