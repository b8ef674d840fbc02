#pragma once
#include "connect/ConnectionProfile.h"
#include "transfer/TransferRequest.h"
#include <QStringList>
#include <map>
#include <stdexcept>

namespace tw {

// The program run with arguments: what it was asked to do.
struct CommandLine {
    enum class Command { Help, Version, List, Copy } command = Command::Help;
    bool mysqlSide = true;  // list: the side listed; copy: the side copied from
    QStringList tables;     // copy: in the order given
    bool allTables = false;
    bool resume = false;  // copy: the rest of the last transfer that ended early
    TransferOptions options{.existing = ExistingTable::Fail, .where = {}, .parameterArrays = true};
    bool json = false;
    std::map<ProfileField, QString> overrides;  // --server, --port, --user, --database, --dsn
    QString passwordFile;
};

// An unknown option, a missing value, or a command that does not say what
// to do; its message names it.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The arguments after the program's name.
CommandLine parseCommandLine(const QStringList& arguments);

// What --help prints.
QString usageText();

}
