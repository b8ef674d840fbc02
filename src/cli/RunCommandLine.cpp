#include "cli/RunCommandLine.h"
#include "cli/AccountOutcome.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleEvents.h"
#include "connect/Catalogue.h"
#include "connect/FailureReason.h"
#include "connect/SettingsStore.h"
#include "transfer/ResumeState.h"
#include "transfer/Transfer.h"
#include "transfer/TransferLog.h"
#include "transfer/TransferDirection.h"
#include <QCollator>
#include <QFile>
#include <atomic>
#include <csignal>

namespace tw {

namespace {

std::atomic<bool> stopAsked{false};

// The first SIGINT or SIGTERM stops the transfer as the Stop button does;
// a second one ends the program at once.
extern "C" void askStop(int signal) {
    stopAsked = true;
    std::signal(signal, SIG_DFL);
}

struct NoYield : Yield {
    void DoEvents() override {}
};

// The stored profile, then the options given, then the password from where
// it may come.
ProfileCopy profileFor(const CommandLine& c) {
    SettingsStore store;
    ProfileCopy profile;
    for (ProfileField f : allProfileFields)
        profile.setText(f, store.GetSetting(settingsKey(f), defaultValue(f)));
    for (const auto& [field, value] : c.overrides)
        profile.setText(field, value);
    if (qEnvironmentVariableIsSet("TABLEWRIGHT_MYSQL_PASSWORD"))
        profile.setText(ProfileField::Password, qEnvironmentVariable("TABLEWRIGHT_MYSQL_PASSWORD"));
    if (!c.passwordFile.isEmpty()) {
        QFile file(c.passwordFile);
        if (!file.open(QIODevice::ReadOnly))
            throw UsageError(QStringLiteral("--password-file ") + c.passwordFile + QStringLiteral(": ") + file.errorString());
        profile.setText(ProfileField::Password, QString::fromUtf8(file.readLine()).remove(u'\n').remove(u'\r'));
    }
    return profile;
}

QStringList tablesOf(bool mysqlSide, const ProfileFields& profile) {
    NoYield yield;
    return mysqlSide ? MySQLTableNames(profile, yield) : SybaseTableNames(profile, yield);
}

// The side's tables, or the reason it could not be reached on stderr.
bool readTables(bool mysqlSide, const ProfileFields& profile, QStringList& names) {
    try {
        names = tablesOf(mysqlSide, profile);
        return true;
    } catch (const std::exception& e) {
        printError((mysqlSide ? QStringLiteral("MySQL: ") : QStringLiteral("iAnywhere: ")) +
                   connectionFailureReason(e, mysqlSide));
        return false;
    }
}

int list(const CommandLine& c, const ProfileFields& profile) {
    QStringList names;
    if (!readTables(c.mysqlSide, profile, names))
        return ExitCode::Trouble;
    for (const QString& name : names)
        printOut(name);
    return ExitCode::Done;
}

// Runs the transfer, with SIGINT and SIGTERM as its Stop, and prints its account.
int run(const TransferRequest& request, bool json) {
    ConsoleEvents events(stopAsked);
    std::signal(SIGINT, askStop);
    std::signal(SIGTERM, askStop);
    transferTables(request, events);
    const TransferAccount& account = events.account();
    const int code = exitCodeOf(account);
    printOut(json ? accountJson(account, code) : account.details());
    return code;
}

int resume(const CommandLine& c, const ProfileFields& profile) {
    std::optional<ResumeState> state;
    try {
        state = ResumeState::load();
    } catch (const std::exception& e) {
        printError(QStringLiteral("tablewright: ") + QString::fromUtf8(e.what()));
        return ExitCode::Trouble;
    }
    if (!state) {
        printError(QStringLiteral("tablewright: no transfer is left to resume"));
        return ExitCode::Trouble;
    }
    if (state->connections != TransferLog::connections(profile)) {
        printError(QStringLiteral("tablewright: the transfer left to resume ran on other connections:\n") +
                   state->connections.trimmed());
        return ExitCode::Trouble;
    }
    return run(state->request(profile), c.json);
}

int copy(const CommandLine& c, const ProfileFields& profile) {
    if (c.resume)
        return resume(c, profile);
    QStringList sourceTables, targetTables;
    if (!readTables(c.mysqlSide, profile, sourceTables) || !readTables(!c.mysqlSide, profile, targetTables))
        return ExitCode::Trouble;
    QStringList tables = c.tables;
    if (c.allTables) {
        // In the order the window lists them.
        QCollator byName;
        byName.setCaseSensitivity(Qt::CaseInsensitive);
        tables = sourceTables;
        std::sort(tables.begin(), tables.end(), byName);
    }
    const TransferRequest request{.direction = c.mysqlSide ? toIAnywhere() : toMySql(),
                                  .profile = ProfileCopy(profile),
                                  .tables = tables,
                                  .targetTables = targetTables,
                                  .options = c.options,
                                  .nothingChosen = false,
                                  .entriesLookedAt = -1,
                                  .resuming = {}};
    return run(request, c.json);
}

}

int runCommandLine(const QStringList& arguments) {
    try {
        const CommandLine c = parseCommandLine(arguments);
        switch (c.command) {
        case CommandLine::Command::Help: printOut(usageText()); return ExitCode::Done;
        case CommandLine::Command::Version: printOut(QStringLiteral("tablewright " TW_VERSION)); return ExitCode::Done;
        case CommandLine::Command::List: return list(c, profileFor(c));
        case CommandLine::Command::Copy: return copy(c, profileFor(c));
        }
    } catch (const UsageError& e) {
        printError(QStringLiteral("tablewright: ") + QString::fromUtf8(e.what()) +
                   QStringLiteral("\nRun tablewright --help for the usage."));
    }
    return ExitCode::Trouble;
}

}
