#include "cli/CommandLine.h"

namespace tw {

namespace {

const std::pair<const char*, ProfileField> connectionOptions[] = {{"--server", ProfileField::Server},
                                                                   {"--port", ProfileField::Port},
                                                                   {"--user", ProfileField::User},
                                                                   {"--database", ProfileField::Database},
                                                                   {"--dsn", ProfileField::DataSourceName}};

// The side a word names: "mysql" or "iany".
bool isMySql(const QString& word, const QString& option) {
    if (word == u"mysql")
        return true;
    if (word == u"iany")
        return false;
    throw UsageError(option + QStringLiteral(" takes mysql or iany, not \"") + word + u'"');
}

ExistingTable existingFrom(const QString& word) {
    const std::pair<const char*, ExistingTable> modes[] = {{"replace", ExistingTable::Replace},
                                                           {"append", ExistingTable::Append},
                                                           {"skip", ExistingTable::Skip},
                                                           {"fail", ExistingTable::Fail}};
    for (const auto& [name, mode] : modes)
        if (word == QLatin1String(name))
            return mode;
    throw UsageError(QStringLiteral("--existing takes replace, append, skip or fail, not \"") + word + u'"');
}

// The arguments one by one; "--name=value" is taken as "--name value".
class Arguments {
public:
    explicit Arguments(const QStringList& arguments) {
        for (const QString& a : arguments) {
            const qsizetype eq = a.indexOf(u'=');
            if (a.startsWith(QLatin1String("--")) && eq > 2) {
                m_items << a.left(eq) << a.mid(eq + 1);
                m_joined << true << false;
            } else {
                m_items << a;
                m_joined << false;
            }
        }
    }
    bool atEnd() const { return m_next >= m_items.size(); }
    QString next() { return m_items.at(m_next++); }
    QString valueOf(const QString& option) {
        if (atEnd() || (m_items.at(m_next).startsWith(QLatin1String("--")) && !m_joined.at(m_next - 1)))
            throw UsageError(option + QStringLiteral(" needs a value"));
        return next();
    }
    // An option that takes no value was given one with "=".
    bool valueJoined() const { return m_joined.at(m_next - 1); }

private:
    QStringList m_items;
    QList<bool> m_joined;  // the item was given with "=" and its value follows
    qsizetype m_next = 0;
};

void readOption(const QString& option, Arguments& args, CommandLine& c) {
    for (const auto& [name, field] : connectionOptions) {
        if (option == QLatin1String(name)) {
            c.overrides[field] = args.valueOf(option);
            return;
        }
    }
    if (option == u"--password")
        throw UsageError(QStringLiteral("--password: the password does not come from the command line, where other "
                                        "users can read it; use the stored profile, TABLEWRIGHT_MYSQL_PASSWORD or "
                                        "--password-file FILE"));
    if (option == u"--password-file") {
        c.passwordFile = args.valueOf(option);
        return;
    }
    if (c.command != CommandLine::Command::Copy)
        throw UsageError(QStringLiteral("unknown option ") + option);
    if (option == u"--to") {
        c.mysqlSide = !isMySql(args.valueOf(option), option);
    } else if (option == u"--tables") {
        for (const QString& name : args.valueOf(option).split(u',', Qt::SkipEmptyParts))
            c.tables << name.trimmed();
    } else if (option == u"--table") {
        c.tables << args.valueOf(option);
    } else if (option == u"--existing") {
        c.options.existing = existingFrom(args.valueOf(option));
    } else if (option == u"--where") {
        c.options.where = args.valueOf(option);
    } else if (option == u"--fast" || option == u"--keep-structure" || option == u"--all" || option == u"--no-check" || option == u"--json" ||
               option == u"--resume") {
        if (args.valueJoined())
            throw UsageError(option + QStringLiteral(" takes no value"));
        c.options.fastCopy |= option == u"--fast";
        c.options.keepStructure |= option == u"--keep-structure";
        c.allTables |= option == u"--all";
        c.resume |= option == u"--resume";
        c.options.verifies &= option != u"--no-check";
        c.json |= option == u"--json";
    } else {
        throw UsageError(QStringLiteral("unknown option ") + option);
    }
}

}

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine c;
    Arguments args(arguments);
    if (args.atEnd())
        return c;
    const QString first = args.next();
    if (first == u"--help" || first == u"-h" || first == u"help")
        return c;
    if (first == u"--version") {
        c.command = CommandLine::Command::Version;
        return c;
    }
    bool toGiven = false, transferGiven = false;
    if (first == u"list") {
        c.command = CommandLine::Command::List;
        if (args.atEnd())
            throw UsageError(QStringLiteral("list needs a side: mysql or iany"));
        c.mysqlSide = isMySql(args.next(), QStringLiteral("list"));
    } else if (first == u"copy") {
        c.command = CommandLine::Command::Copy;
    } else {
        throw UsageError(QStringLiteral("unknown command ") + first + QStringLiteral(" (list, copy, --help or --version)"));
    }
    while (!args.atEnd()) {
        const QString option = args.next();
        if (!option.startsWith(QLatin1String("--")))
            throw UsageError(QStringLiteral("unexpected argument ") + option);
        toGiven |= option == u"--to";
        for (const char* o : {"--to", "--tables", "--table", "--all", "--fast", "--keep-structure", "--existing", "--where",
                              "--no-check"})
            transferGiven |= option == QLatin1String(o);
        readOption(option, args, c);
    }
    if (c.command == CommandLine::Command::Copy && c.resume) {
        if (transferGiven)
            throw UsageError(QStringLiteral("--resume takes the tables and options of the transfer it resumes; give "
                                            "only the connections"));
    } else if (c.command == CommandLine::Command::Copy) {
        if (!toGiven)
            throw UsageError(QStringLiteral("copy needs --to iany or --to mysql"));
        if (c.allTables == !c.tables.isEmpty())
            throw UsageError(QStringLiteral("copy needs either --tables a,b,... (or --table NAME) or --all"));
    }
    return c;
}

QString usageText() {
    return QStringLiteral(
        "Usage:\n"
        "  tablewright                      open the connection window\n"
        "  tablewright --help | --version\n"
        "  tablewright list mysql|iany      the tables of one side, one per line\n"
        "  tablewright copy --to iany|mysql (--tables a,b,... | --table NAME ... | --all)\n"
        "                   [--fast] [--keep-structure] [--existing replace|append|skip|fail]\n"
        "                   [--where SQL] [--no-check] [--json]\n"
        "  tablewright copy --resume [--json]\n"
        "\n"
        "Connections come from the stored profile (the connection window's fields),\n"
        "each overridden by --server HOST --port N --user NAME --database NAME --dsn NAME.\n"
        "The MySQL password comes from the stored profile, the environment variable\n"
        "TABLEWRIGHT_MYSQL_PASSWORD, or the first line of --password-file FILE; never\n"
        "from the command line.\n"
        "\n"
        "copy copies the tables into the other side, then checks each copy.\n"
        "  --fast          rows in batches inside transactions\n"
        "  --keep-structure  create each table with its source's column types, primary\n"
        "                  key, NOT NULL, defaults, auto-increment and comments; its\n"
        "                  indexes after the rows, and the foreign keys between the\n"
        "                  tables copied once all are in; what cannot be carried is\n"
        "                  said in the account\n"
        "  --existing      what to do with a table the target has: replace it, append\n"
        "                  the rows by column name, skip it, or fail it (the default;\n"
        "                  nothing is dropped)\n"
        "  --where SQL     copy only the rows that meet the condition, in every table\n"
        "  --no-check      do not read the copies back to check them\n"
        "  --json          the account as one JSON object\n"
        "  --resume        copy the rest of the last transfer that ended early (stopped,\n"
        "                  or a connection lost) on the same connections, with its\n"
        "                  tables and options: a table it was copying goes on after\n"
        "                  the last row settled, in the order of its key\n"
        "\n"
        "Exit codes: 0 all copied and verified; 1 rows rejected, a check that differs\n"
        "or a table not copied; 2 usage or connection error; 3 stopped (SIGINT, SIGTERM).\n"
        "Every transfer is appended to $XDG_STATE_HOME/tablewright/transfers.log.\n");
}

}
