#include "transfer/Transfer.h"
#include "connect/Connection.h"
#include "connect/DbError.h"
#include "connect/ParameterStatement.h"
#include "connect/Recordset.h"
#include "base/Guard.h"
#include "transfer/FailureStorm.h"
#include "transfer/ResumeStart.h"
#include "transfer/ResumeState.h"
#include "transfer/RowBatch.h"
#include "transfer/RowDigest.h"
#include "transfer/RowWriter.h"
#include "transfer/StructureCopy.h"
#include "transfer/TableProfile.h"
#include "transfer/TimedPrompts.h"
#include "transfer/TransferLog.h"
#include "transfer/ReadAhead.h"
#include "transfer/TransferDirection.h"
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QStringList>
#include <cmath>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace tw {

namespace {

// Raised after the one box for a connection that did not open or was lost:
// the transfer goes straight to its end steps. It is no std::exception, so
// the guard lets it pass.
struct TransferEnds {};

constexpr int firstLine = 100;

// The share of rows done, this one included; like the bar's own property
// it takes the nearest whole number, ties to even.
// A table that grew after it was counted stays at the full bar.
int percentDone(long long row, long long bound) {
    row = std::min(row, bound);
    return int(std::lrint(double(row + 1) / double(bound + 1) * 100.0));
}

// Asked of the target itself, so a backslash arrives as a backslash
// whatever mode the server runs in.
bool readsBackslashEscapes(Connection& mysql) {
    Recordset mode;
    mode.Open(QStringLiteral("SELECT @@SESSION.sql_mode"), mysql);
    return !mode.Fields(0).Value.toText().contains(QLatin1String("NO_BACKSLASH_ESCAPES"));
}

// MariaDB takes parameter arrays as one bulk execution; MySQL's server
// would be sent them row by row.
bool isMariaDb(Connection& mysql) {
    Recordset version;
    version.Open(QStringLiteral("SELECT VERSION()"), mysql);
    return version.Fields(0).Value.toText().contains(QLatin1String("MariaDB"));
}

// The largest statement the server takes; a larger one ends the session.
long long largestPacket(Connection& mysql) {
    Recordset limit;
    limit.Open(QStringLiteral("SELECT @@max_allowed_packet"), mysql);
    return limit.Fields(0).Value.toText().toLongLong();
}


const QString keptOriginal = QStringLiteral("kept as it was, ");
// What an existing table gets besides the question's Yes and No; and a
// table a resumed transfer goes on with.
constexpr int skipAnswer = -1, appendAnswer = -2, failAnswer = -3, goOnAnswer = -4;

int answerFor(ResumeTable::Plan plan) {
    switch (plan) {
    case ResumeTable::Plan::Create: return 0;
    case ResumeTable::Plan::Replace: return MsgAnswer::Yes;
    case ResumeTable::Plan::Append: return appendAnswer;
    case ResumeTable::Plan::GoOn: break;
    }
    return goOnAnswer;
}

// What a resumed transfer does with a table not begun; none for one left alone.
std::optional<ResumeTable::Plan> planFor(int answer) {
    switch (answer) {
    case 0: return ResumeTable::Plan::Create;
    case MsgAnswer::Yes: return ResumeTable::Plan::Replace;
    case appendAnswer: return ResumeTable::Plan::Append;
    case goOnAnswer: return ResumeTable::Plan::GoOn;
    default: return std::nullopt;
    }
}
const QString lostWhileSending = QStringLiteral("the connection was lost while it was being sent");

QString messageOf(const std::exception& e) {
    if (const auto* db = dynamic_cast<const DbError*>(&e))
        return db->message();
    return QString::fromUtf8(e.what());
}

class TableTransfer : private RowWriterHost {
public:
    TableTransfer(const TransferRequest& request, TransferEvents& events, StatementObserver* observer)
        : r(request), d(request.direction), L(d.lines), events(events), m_yield(events.yield()),
          m_observer(observer), m_prompts(events.prompts()),
          m_guard(m_prompts, locationText(QStringLiteral("Form2"), d.procedure), &m_statement),
          m_storm(m_prompts) {
        m_syntax.bytes = d.target.bytes;
        m_syntax.backslashEscapes = d.target.backslashEscapes;
        m_account.direction = d.description;
        m_account.fastCopy = m_fast = r.options.fastCopy;
        m_verifies = r.options.verifies;
        m_existing = r.options.existing;
    }

    void run() {
        m_clock.start();
        createObjects();
        try {
            yieldAt(L.firstYield);
            bool noCurrent = false;
            step(L.noCurrent, [&] { noCurrent = r.nothingChosen; });
            if (noCurrent) {
                step(L.noCurrentMessage, [&] { m_prompts.MsgBox(d.noCurrentMessage, MsgStyle::OkOnly, {}); });
                return;
            }
            step(L.hourglass, [&] { events.busy(true); });
            openConnections();
            walk();
        } catch (const TransferEnds&) {
        } catch (const StopRequested&) {
            m_account.stopped = true;
        } catch (const ProgramEnding&) {
            // Nothing more is sent or shown; what is left is kept for Resume.
            m_account.stopped = true;
            keepResumeState();
            throw;
        }
        end();
        m_account.seconds = double(m_clock.nsecsElapsed() - m_prompts.waitedNs()) / 1e9;
        if (const QString problem = keepResumeState(); !problem.isEmpty())
            m_prompts.MsgBox(QStringLiteral("What is left of this transfer could not be kept, so it cannot be resumed: ") +
                                 problem,
                             MsgStyle::Exclamation, {});
        keepInLog();
        events.transferEnded(m_account);
    }

private:
    // The log's trouble does not harm the transfer; it is told once.
    void keepInLog() {
        const QString problem = TransferLog::append(r, m_account);
        if (!problem.isEmpty() && TransferLog::firstTrouble())
            m_prompts.MsgBox(QStringLiteral("The transfer log could not be written, so this transfer and the next "
                                            "are not kept in it: ") +
                                 problem,
                             MsgStyle::Exclamation, {});
    }

    // A transfer that ended early keeps what is left of it for Resume: the
    // table it was copying, where it can go on, and the tables it did not
    // reach, with what was decided for them. Any other leaves nothing.
    // Empty when it was kept, else why not.
    QString keepResumeState() {
        ResumeState state{.direction = d.description,
                          .connections = TransferLog::connections(r.profile),
                          .options = r.options,
                          .tables = {}};
        const size_t looked = m_account.tables.size();
        const bool early = m_account.stopped || !m_account.endedEarly.isEmpty();
        for (size_t i = looked == 0 ? 0 : looked - 1; early && i < m_answers.size(); ++i) {
            const QString& name = r.tables[qsizetype(i)];
            const bool current = i + 1 == looked;
            if (!current)
                m_account.notReached << name;
            if (current && table().resumeFrom) {
                state.tables.push_back({name, ResumeTable::Plan::GoOn, *table().resumeFrom});
            } else if (!current || m_startsOver) {
                // A replacement begun again starts over; the original still stands.
                const int answer = current && m_answers[i] == goOnAnswer ? MsgAnswer::Yes : m_answers[i];
                if (const std::optional<ResumeTable::Plan> plan = planFor(answer))
                    state.tables.push_back({name, *plan, *plan == ResumeTable::Plan::GoOn ? r.resuming[i].point : ResumePoint{}});
            }
        }
        m_account.resumable = !state.tables.empty();
        return m_account.resumable ? state.save() : ResumeState::clear();
    }

    // A numbered step; a lost connection ends the transfer after its box.
    template <typename F>
    bool step(int line, F&& body) {
        bool linkLost = false;
        const bool done = m_guard.step(line, [&] {
            try {
                body();
            } catch (const std::exception& e) {
                m_lastFailure = messageOf(e);
                if (const auto* db = dynamic_cast<const DbError*>(&e))
                    linkLost = db->isCommunicationLinkFailure();
                throw;
            }
        });
        if (linkLost)
            endEarly();
        return done;
    }

    [[noreturn]] void endEarly() {
        m_account.endedEarly = m_lastFailure;
        throw TransferEnds{};
    }

    // A step that can fail for one row: the failure is counted for the
    // table, and its box shown unless the user chose to count it quietly.
    template <typename F>
    bool rowStep(int line, F&& body) {
        try {
            body();
            return true;
        } catch (const Interrupted&) {
            throw;
        } catch (const std::exception& e) {
            m_lastFailure = messageOf(e);
            const auto* db = dynamic_cast<const DbError*>(&e);
            if (db && db->isCommunicationLinkFailure()) {
                // It may have been stored before the connection went.
                table().rowsLostInDoubt(1, lostWhileSending);
                m_guard.report(line, e);
                endEarly();
            }
            table().rowFailed(m_lastFailure);
            if (m_storm.showBox(table().name, m_lastFailure))
                m_guard.report(line, e);
            return false;
        }
    }

    // Reading the source's next row; a failure is the read's, not a row's:
    // it has its box, and the read ends (a lost source, the transfer too).
    bool readNext() {
        try {
            m_reader->MoveNext();
            return true;
        } catch (const Interrupted&) {
            throw;
        } catch (const std::exception& e) {
            m_lastFailure = messageOf(e);
            table().readFailure = m_lastFailure;
            m_guard.report(L.moveNext, e);
            const auto* db = dynamic_cast<const DbError*>(&e);
            if (db && db->isCommunicationLinkFailure())
                endEarly();
            return false;
        }
    }

    // A yield, after which a Stop the user pressed takes effect.
    void yieldAt(int line) {
        step(line, [&] { m_yield.DoEvents(); });
        stopIfAsked();
    }

    // A yield between numbered steps, where Stop takes effect too.
    void checkIn() {
        m_yield.DoEvents();
        stopIfAsked();
    }

    void stopIfAsked() {
        if (events.stopRequested())
            throw StopRequested();
    }

    TableAccount& table() { return m_account.tables.back(); }

    void createObjects() {
        int line = firstLine;
        for (DataObject object : d.creationOrder) {
            step(line, [&] {
                switch (object) {
                case DataObject::Source: m_source.emplace(); break;
                case DataObject::Reader: m_reader.emplace(); break;
                case DataObject::Target: m_target.emplace(); break;
                }
            });
            line += 2;
        }
    }

    void openConnections() {
        int line = L.firstSetup;
        if (d.sourceOpensFirst) {
            open(*m_source, d.source, false, line);
            open(*m_target, d.target, true, line);
        } else {
            open(*m_target, d.target, true, line);
            open(*m_source, d.source, false, line);
        }
    }

    // Sets the properties in their order, then opens; a connection that
    // does not open ends the transfer, since every statement would fail.
    void open(Connection& c, const DatabaseSide& side, bool isTarget, int& line) {
        auto next = [&line] { return std::exchange(line, line + 2); };
        step(next(), [&] { c.CursorLocation = isTarget ? CursorLocationCode::Server : CursorLocationCode::Client; });
        if (d.timeoutSeconds > 0) {
            step(next(), [&] { c.CommandTimeout = d.timeoutSeconds; });
            step(next(), [&] { c.ConnectionTimeout = d.timeoutSeconds; });
        }
        if (side.viaProvider)
            step(next(), [&] { c.Provider = QStringLiteral("MSDASQL"); });
        const bool opened = step(next(), [&] {
            c.Open(side.connectString(r.profile), &m_yield);
            if (isTarget && side.readsSqlMode) {
                m_syntax.backslashEscapes = readsBackslashEscapes(c);
                m_packetLimit = largestPacket(c);
                m_takesArrays = r.options.parameterArrays && isMariaDb(c);
            }
            if (isTarget && !d.target.multiRowInsert)
                m_takesArrays = r.options.parameterArrays;
        });
        if (!opened)
            endEarly();
    }

    // The requested tables in their order; what to do with each that the
    // target already holds is decided, and asked, before the first row.
    void walk() {
        const QStringList& names = r.tables;
        if (d.yieldPerTable)
            for (qsizetype i = 0, n = r.entriesLookedAt >= 0 ? r.entriesLookedAt : names.size(); i < n; ++i)
                yieldAt(L.tableYield);
        m_tablesSelected = int(names.size());
        const bool resuming = !r.resuming.empty();
        for (qsizetype i = 0; i < names.size(); ++i)
            m_answers.push_back(resuming ? answerFor(r.resuming[size_t(i)].plan) : decide(names[i], names.first(i)));
        if (r.options.keepStructure)
            m_structure.emplace(StructureTarget{d.target.dialect, m_syntax.backslashEscapes});
        for (qsizetype i = 0; i < names.size(); ++i)
            copyTable(names[i], m_answers[size_t(i)], m_answers[size_t(i)] == goOnAnswer ? &r.resuming[size_t(i)].point : nullptr);
        if (m_structure)
            m_structure->addForeignKeys(structureSender(), m_account.tables);
    }

    // Sends a statement of the kept structure; a failure is the account's.
    StructureCopy::Send structureSender() {
        return [this](const QString& sql, QString& failure) {
            m_statement = sql;  // what the error box shows
            const bool sent = send(L.executeCreate, sql);
            if (!sent)
                failure = m_lastFailure;
            return sent;
        };
    }

    // The source table's types and keys, read from its catalogue, decide
    // the target's; a catalogue that cannot be read leaves the table as it
    // would be without them, and the account says so.
    bool planStructure(const QString& name, const QString& into, const std::vector<ColumnType>& types) {
        if (!m_structure)
            return false;
        std::optional<TableStructure> source;
        if (!step(L.createStart, [&] { source = d.source.readStructure(*m_source, name, &m_yield); })) {
            table().structureLeftOut << QStringLiteral("its types and keys, since the catalogue could not be read: ") + m_lastFailure;
            return false;
        }
        m_structure->plan(*source, into, types, table());
        m_forms = m_structure->forms(m_sourceFields, m_forms);
        m_structured = true;
        return true;
    }

    // 0 for a table the target does not hold, nor will once the tables
    // copied before it are there; else Yes to replace it, No to leave it,
    // skipAnswer or appendAnswer.
    int decide(const QString& name, const QStringList& copiedBefore) {
        int answer = 0;
        if (!m_guard.test(L.contains, [&] {
                return r.targetTables.contains(name, Qt::CaseInsensitive) || copiedBefore.contains(name, Qt::CaseInsensitive);
            })) {
            step(L.noQuestion, [&] { answer = 0; });
            return answer;
        }
        switch (m_existing) {
        case ExistingTable::Replace: return MsgAnswer::Yes;
        case ExistingTable::Skip: return skipAnswer;
        case ExistingTable::Append: return appendAnswer;
        case ExistingTable::Fail: return failAnswer;
        case ExistingTable::Ask: break;
        }
        step(L.question, [&] {
            answer = m_prompts.MsgBox(QStringLiteral("Would you like to overwrite ") + name + u'?', MsgStyle::YesNo,
                                      QStringLiteral("Overwrite?"));
        });
        return answer;
    }

    void copyTable(const QString& name, int answer, const ResumePoint* resume) {
        m_account.tables.emplace_back();
        table().name = name;
        m_storm.newTable();
        QElapsedTimer clock;
        clock.start();
        const qint64 waitedBefore = m_prompts.waitedNs();
        // The time is the table's however its copy ends, less the user's answering.
        const auto timed = qScopeGuard([&] {
            table().seconds = double(clock.nsecsElapsed() - (m_prompts.waitedNs() - waitedBefore)) / 1e9;
            events.tableEnded(table());
        });
        m_startsOver = false;
        try {
            copyTableRows(name, answer, resume);
        } catch (const StopRequested&) {
            endedBeforeRows(resume);
            if (table().copied() && !m_created && !resume)
                table().skipped = QStringLiteral("stopped before it was created");
            throw;
        } catch (const TransferEnds&) {
            endedBeforeRows(resume);
            throw;
        } catch (const ProgramEnding&) {
            endedBeforeRows(resume);
            throw;
        }
    }

    // Ended before its rows began: a table resumed is where it was; any
    // other begins again.
    void endedBeforeRows(const ResumePoint* resume) {
        if (table().resumeFrom || !table().cannotResume.isEmpty())
            return;
        if (resume)
            table().resumeFrom = *resume;
        else if (!m_created)
            m_startsOver = true;
    }

    void copyTableRows(const QString& name, int answer, const ResumePoint* resume) {
        m_created = false;
        m_structured = false;
        if (answer == MsgAnswer::No || answer == skipAnswer || answer == failAnswer) {
            table().skipped = answer == skipAnswer   ? QStringLiteral("kept as it is: it exists in the target")
                              : answer == failAnswer ? QStringLiteral("failed: it exists in the target, and nothing "
                                                                      "said to replace it, append to it or skip it")
                                                     : QStringLiteral("kept as it is: not overwritten");
            return;
        }
        // A table is skipped after a failed SELECT or CREATE, so no rows go
        // into a table that was not ours to fill. A table that replaces
        // another is filled beside it under a name of its own, and takes the
        // original's place only once its rows are in: until then the
        // original stands, whatever happens to the copy. A resumed table
        // goes on in the table it was copied into, created already.
        const bool replacing = resume ? !resume->replaces.isEmpty() : answer == MsgAnswer::Yes;
        const bool appending = resume ? resume->appended : answer == appendAnswer;
        const bool listedAlready = appending || resume;
        const QString into = resume ? resume->into : replacing ? replacementName(name) : name;
        m_carried = resume ? *resume : ResumePoint{};
        ResumeStart start{.after = {}, .inDoubtArrived = 0, .rest = r.options.where, .through = {}};
        if (resume && !settleRowsInDoubt(name, *resume, start))
            return;
        m_expected.clear();
        // Before the read begins: the read ahead has the source's connection.
        if (m_verifies && !start.through.isEmpty() && !appending)
            expectRowsCopiedBefore(name, start.through);
        // Counted first for the bar; the read itself goes on to the end of
        // the data, whatever the count.
        if (!step(L.openReader, [&] {
                m_rowCount = countRows(name, d.source.quote, *m_source, &m_yield, start.rest);
                m_reader->Open({.table = name,
                                .quote = d.source.quote,
                                .keyedChunks = d.source.readsKeyChunks,
                                .condition = r.options.where,
                                .after = start.after},
                               *m_source, &m_yield);
                table().readPath = m_reader->path();
            })) {
            table().skipped = (replacing && !resume ? keptOriginal : QString()) + QStringLiteral("SELECT failed: ") + m_lastFailure;
            return;
        }
        if (resume && m_reader->key().columns != resume->keyColumns) {
            table().cannotResume = QStringLiteral("the source's key is no longer ") + resume->keyColumns.join(QStringLiteral(", "));
            table().skipped = QStringLiteral("cannot resume: ") + table().cannotResume;
            step(L.closeReader, [&] { m_reader->Close(); });
            return;
        }
        const QString valuesStart = QStringLiteral("INSERT INTO ") + quotedName(into, d.target.quote) + QLatin1String(" VALUES(");
        QString insertStart;
        if (appending) {
            insertStart = prepareAppend(into);
        } else if (resume) {
            planStructure(name, into, columnTypes());
            insertStart = valuesStart;
        } else if (createTable(name, into)) {
            insertStart = valuesStart;
        }
        if (insertStart.isEmpty()) {
            table().skipped = (appending   ? QStringLiteral("its columns could not be read: ")
                               : replacing ? keptOriginal + QStringLiteral("its replacement could not be created: ")
                                           : QStringLiteral("CREATE TABLE failed: ")) +
                              m_lastFailure;
            step(L.closeReader, [&] { m_reader->Close(); });
            return;
        }
        // The target's rows before the copy; an append counted them itself,
        // but once resumed its count holds the rows copied so far as well.
        if (resume || !appending)
            m_rowsBefore = m_carried.rowsBefore;
        m_created = true;
        m_insertStart = insertStart;
        m_unsettledKeys.clear();
        m_settledKey.clear();
        m_startKey = start.after;
        m_writer = !m_fast                   ? literalRowWriter(*this)
                   : m_takesArrays           ? bulkRowWriter(*this)
                   : !d.target.multiRowInsert ? preparedRowWriter(*this)
                                             : multiRowWriter(*this, insertStart);
        try {
            copyRows();
            m_writer->flush();
        } catch (const TransferEnds&) {
            m_writer->settleAfterLoss();
            if (replacing)
                table().replacement = QStringLiteral("the original kept; the rows copied so far are in ") + into;
            noteResumePoint(into, replacing ? name : QString(), appending);
            finishTable(name, !replacing && !listedAlready);  // the table and the rows committed so far are there
            throw;
        } catch (const StoppedAtQuestion&) {
            m_writer->abandon();
            stopped(replacing, appending, listedAlready, name, into);
            throw;
        } catch (const StopRequested&) {
            m_writer->flush();  // what was read before the Stop is kept
            stopped(replacing, appending, listedAlready, name, into);
            throw;
        } catch (const ProgramEnding&) {
            // Nothing more is sent: every row not known to be settled is in
            // doubt, and Resume settles it from what the target holds.
            noteResumePoint(into, replacing ? name : QString(), appending);
            if (table().resumeFrom)
                table().resumeFrom->rowsInDoubt += qsizetype(m_unsettledKeys.size() / m_reader->key().fields.size());
            throw;
        }
        if (m_structured) {
            m_structure->addIndexes(structureSender(), table());
            if (d.target.shortenedIndexes)
                step(L.executeCreate, [&] { table().structureLeftOut << d.target.shortenedIndexes(*m_target, into, &m_yield); });
        }
        const bool inPlace = !replacing || swapIn(name, into);
        if (m_structured && inPlace)
            m_structure->tableDone(name, m_account.tables.size() - 1);
        finishTable(name, inPlace && (replacing || !listedAlready));  // an appended or resumed table is listed already
        if (m_verifies && appending)
            verifyAppended(name);
        else if (m_verifies && inPlace)
            verify(name);
    }

    // A copy stopped keeps the rows settled so far and says where Resume
    // goes on; a replacement goes, and begins again on Resume.
    void stopped(bool replacing, bool appending, bool listedAlready, const QString& name, const QString& into) {
        if (!replacing || !abandonReplacement(into))
            noteResumePoint(into, replacing ? name : QString(), appending);
        else
            m_startsOver = true;
        finishTable(name, !replacing && !listedAlready);
    }

    // A resumed table: the rows in doubt are settled from what the target
    // holds, and the account says where the copy goes on. False, with the
    // reason in the account, when it cannot go on.
    bool settleRowsInDoubt(const QString& name, const ResumePoint& point, ResumeStart& start) {
        QString refused;
        const bool settled = step(L.openReader, [&] {
            try {
                start = resumeStart(point, name, r.options.where, d.source, *m_source, d.target, *m_target, &m_yield);
            } catch (const ResumeRefused& e) {
                refused = QString::fromUtf8(e.what());
            }
        });
        if (!settled || !refused.isEmpty()) {
            table().cannotResume = settled ? refused : m_lastFailure;
            table().skipped = QStringLiteral("cannot resume: ") + table().cannotResume;
            return false;
        }
        m_carried.rowsAccepted += start.inDoubtArrived;
        table().resumed = start.after.isEmpty() ? QStringLiteral("resumed from the first row")
                                                : QStringLiteral("resumed after ") + point.keyColumns.join(QStringLiteral(", ")) +
                                                      QStringLiteral(" = ") + start.after.join(QStringLiteral(", "));
        if (point.rowsInDoubt > 0)
            table().resumed += QStringLiteral("; of %1 rows in doubt, %2 were in the target").arg(point.rowsInDoubt).arg(start.inDoubtArrived);
        return true;
    }

    // Where a copy that ended early can go on: after the last row whose
    // fate is settled, when the source is read in the order of a key.
    void noteResumePoint(const QString& into, const QString& replaces, bool appended) {
        const ReadKey& key = m_reader->key();
        if (!key.exists()) {
            table().cannotResume = QStringLiteral("no key to continue from");
            return;
        }
        table().resumeFrom = ResumePoint{.into = into,
                                         .replaces = replaces,
                                         .appended = appended,
                                         .keyColumns = key.columns,
                                         .lastKey = m_settledKey.empty() ? m_startKey : key.of(m_settledKey),
                                         .rowsBefore = m_rowsBefore,
                                         .rowsAccepted = m_carried.rowsAccepted + table().rowsAccepted,
                                         .rowsRefused = m_carried.rowsRefused + table().rowsFailed,
                                         .rowsInDoubt = table().rowsInDoubt};
    }

    // The check of a resumed table covers the whole table: the source's rows
    // copied before count as expected.
    void expectRowsCopiedBefore(const QString& name, const QString& through) {
        step(L.openReader, [&] {
            SourceStream before;
            before.Open({.table = name, .quote = d.source.quote, .keyedChunks = d.source.readsKeyChunks, .condition = through, .after = {}},
                        *m_source, &m_yield);
            for (long long row = 1; !before.isEOF(); ++row) {
                if (row % 256 == 0)
                    checkIn();
                m_expected.add(RowDigests::digestOf(before));
                before.MoveNext();
            }
            before.Close();
        });
    }

    // A name beside the original's for its replacement while it is filled;
    // within MySQL's 64 characters, a long name shortened with a hash of it
    // so that two long names do not meet.
    static QString replacementName(const QString& name) {
        const QString prefix = QStringLiteral("tw_new_");
        constexpr qsizetype longest = 64;
        if (prefix.size() + name.size() <= longest)
            return prefix + name;
        const QString hash = QString::number(qHash(name), 16).rightJustified(16, u'0');
        return prefix + name.left(longest - prefix.size() - hash.size() - 1) + u'_' + hash;
    }

    // A replacement stopped before its rows were all in goes; the original stays.
    // False when it could not be dropped.
    bool abandonReplacement(const QString& into) {
        m_writer.reset();
        if (send(L.drop, QStringLiteral("DROP TABLE ") + quotedName(into, d.target.quote))) {
            table().replacement = QStringLiteral("stopped: the original kept, its unfinished replacement dropped");
            return true;
        }
        table().replacement = QStringLiteral("stopped: the original kept; the rows copied so far are in ") + into;
        return false;
    }

    // The original goes and the full replacement takes its name; false,
    // with the reason in the account, when the original had to stay.
    bool swapIn(const QString& name, const QString& into) {
        m_writer.reset();  // its statement would hold the replacement open
        if (!step(L.drop, [&] { dropUnlessMissing(name); })) {
            table().replacement = QStringLiteral("the original kept, since DROP TABLE failed: ") + m_lastFailure +
                                  QStringLiteral("; the copy is in ") + into;
            return false;
        }
        step(L.listRemove, [&] { events.tableUnlisted(d.targetListName(name)); });
        markReplaced(name);
        if (!send(L.drop, d.target.renameKeyword + quotedName(into, d.target.quote) + d.target.renameSeparator +
                              quotedName(name, d.target.quote))) {
            table().replacement = QStringLiteral("the original dropped, but the copy could not take its name: ") +
                                  m_lastFailure + QStringLiteral("; the copy is in ") + into;
            return false;
        }
        return true;
    }

    // A table this transfer copied earlier that the DROP just took away: on
    // a target that ignores the case of names, beta2 replaces Beta2.
    void markReplaced(const QString& name) {
        for (size_t i = 0; i + 1 < m_account.tables.size(); ++i) {
            TableAccount& earlier = m_account.tables[i];
            const bool same = d.target.namesIgnoreCase ? earlier.name.compare(name, Qt::CaseInsensitive) == 0
                                                       : earlier.name == name;
            if (same && earlier.copied())
                earlier.replacedBy = name;
        }
    }

    // The list matched the name without regard to case; a server that
    // tells case apart may hold no table of this exact name, and then there
    // is nothing to drop and the copy goes on.
    void dropUnlessMissing(const QString& name) {
        try {
            sendNow(QStringLiteral("DROP TABLE ") + quotedName(name, d.target.quote));
        } catch (const DbError& e) {
            if (e.sqlState() != u"42S02")
                throw;
        }
    }

    // The target column type and value form of each source column.
    std::vector<ColumnType> columnTypes() {
        const int columns = m_reader->fieldCount();
        m_forms.assign(columns, ValueForm::Quoted);
        m_sends.assign(columns, true);
        std::vector<ColumnType> types(columns);
        m_sourceFields.clear();
        for (int j = 0; j < columns; ++j)
            m_sourceFields.push_back(m_reader->Fields(j));
        for (int j = 0; j < columns; ++j) {
            yieldAt(L.columnYield);
            step(L.columnEntry, [&] {
                const Field& field = m_reader->Fields(j);
                types[j] = d.columnType(typeKeyOf(field), field);
                m_forms[j] = types[j].form;
            });
        }
        return types;
    }

    bool createTable(const QString& source, const QString& name) {
        step(L.createStart, [&] { m_statement = QStringLiteral("CREATE TABLE ") + quotedName(name, d.target.quote) + u'('; });
        std::vector<ColumnType> types = columnTypes();
        if (planStructure(source, name, types)) {
            m_statement = m_structure->target().createTable;
            if (!send(L.executeCreate, m_statement))
                return false;
            m_structure->addComments(structureSender(), table());
            return true;
        }
        step(L.createEnd, [&] {
            if (d.fitRow)
                d.fitRow(types);
            for (size_t j = 0; j < types.size(); ++j)
                if (!types[j].text.isEmpty())  // a column whose entry failed is left out
                    m_statement += quotedName(m_sourceFields[j].Name, d.target.quote) + u' ' + types[j].text + u',';
            m_statement.chop(1);
            m_statement += d.createTableEnd;
        });
        return send(L.executeCreate, m_statement);
    }

    // Rows go into the existing table by column name: a source column it
    // lacks is not sent, and the account says so; a column only it has
    // takes its default. Gives the INSERT's start, or empty when the table
    // cannot be looked at.
    QString prepareAppend(const QString& name) {
        columnTypes();
        QStringList targetColumns, sent;
        const bool described = step(L.executeCreate, [&] {
            Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM ") + quotedName(name, d.target.quote) + QStringLiteral(" WHERE 1 = 0"),
                    *m_target, -1, -1, &m_yield);
            for (int i = 0; i < rs.fieldCount(); ++i)
                targetColumns << rs.Fields(i).Name;
            rs.Close();
            m_rowsBefore = countRows(name, d.target.quote, *m_target, &m_yield);
        });
        if (!described)
            return {};
        for (size_t j = 0; j < m_sourceFields.size(); ++j) {
            const QString& column = m_sourceFields[j].Name;
            const auto match = std::find_if(targetColumns.begin(), targetColumns.end(), [&](const QString& c) {
                return c.compare(column, Qt::CaseInsensitive) == 0;
            });
            m_sends[j] = match != targetColumns.end();
            if (m_sends[j])
                sent << quotedName(*match, d.target.quote);
            else
                table().columnsNotSent << column;
        }
        table().appended = true;
        return QStringLiteral("INSERT INTO ") + quotedName(name, d.target.quote) + u'(' + sent.join(QStringLiteral(", ")) +
               QStringLiteral(") VALUES(");
    }

    void copyRows() {
        long long bound = -1;
        step(L.rowBound, [&] { bound = m_rowCount - 1; });
        m_meter.start(table().name, int(m_account.tables.size()), std::max(m_tablesSelected, int(m_account.tables.size())),
                      m_rowCount);
        bool readable = true;  // the reader opened on the first row
        for (long long row = 0; !m_reader->isEOF(); ++row) {
            yieldAt(L.rowYield);
            step(L.progress, [&] { events.barAt(percentDone(row, bound)); });
            ++table().rowsRead;
            // A row the reader failed on holds values of the row before:
            // it has had its box and is not sent.
            if (readable) {
                if (m_observer)
                    m_observer->rowRead(m_reader->currentRow());
                for (int i : m_reader->key().fields)
                    m_unsettledKeys.push_back(m_reader->Fields(i).Value);
                m_writer->write(digestForCheck());
            }
            if (m_meter.rowDone(table().rowsRead))
                events.progress(m_meter.progress());
            readable = readNext();
        }
    }

    // The row's INSERT with its values written out, value by value.
    void buildInsert() override {
        step(L.insertStart, [&] {
            m_statement.truncate(0);  // keeps the buffer's room for the next row
            m_statement += m_insertStart;
        });
        for (size_t j = 0; j < m_forms.size(); ++j) {
            yieldAt(L.valueYield);
            if (!m_sends[j])
                continue;
            step(L.value, [&] {
                appendLiteral(m_statement, m_reader->Fields(int(j)).Value, m_forms[j], m_syntax);
                m_statement += QLatin1String(", ");
            });
        }
        step(L.insertEnd, [&] {
            m_statement.chop(2);
            m_statement += u')';
        });
    }

    // The current row's digest when the table is to be checked, else nothing.
    std::uint64_t digestForCheck() const {
        return m_verifies ? RowDigests::digestOf(*m_reader) : 0;
    }

    void rowAccepted(std::uint64_t digest) override {
        ++table().rowsAccepted;
        m_storm.rowSucceeded();
        if (m_verifies)
            m_expected.add(digest);  // what the target should now hold
    }

    // A batch's COMMIT failed: its rows fail together, and a failure that
    // repeats batch after batch (a full disk) is asked about once, as a
    // row's is. Lost with the connection, they are in doubt.
    void commitFailed(const std::exception& e, int rows) override {
        m_lastFailure = messageOf(e);
        m_statement = QStringLiteral("COMMIT");  // what the box shows failed
        const auto* db = dynamic_cast<const DbError*>(&e);
        if (db && db->isCommunicationLinkFailure()) {
            table().rowsLostInDoubt(rows, lostWhileCommitting);
            m_guard.report(L.executeInsert, e);
            endEarly();
        }
        for (int i = 0; i < rows; ++i)
            table().rowFailed(m_lastFailure);
        if (rows == 0 || m_storm.showBox(table().name, m_lastFailure, rows))
            m_guard.report(L.executeInsert, e);
    }

    // What the row writers take from the transfer.
    Connection& target() override { return *m_target; }
    StatementObserver* observer() override { return m_observer; }
    QString& statement() override { return m_statement; }
    long long packetLimit() const override { return m_packetLimit; }
    QString literalInsert(const std::vector<BoundValue>& values) const override {
        QString sql = m_insertStart;
        for (size_t j = 0, k = 0; j < m_forms.size() && k < values.size(); ++j) {
            if (!m_sends[j])
                continue;
            if (k > 0)
                sql += QLatin1String(", ");
            appendBoundLiteral(sql, values[k++], m_forms[j], m_syntax);
        }
        return sql + u')';
    }
    bool insertStep(const std::function<void()>& body) override { return step(L.executeInsert, body); }
    bool rowStep(const std::function<void()>& body) override { return rowStep(L.executeInsert, body); }
    void rowSucceeded() override { m_storm.rowSucceeded(); }
    void rowsSettled(int rows) override {
        const size_t width = m_reader->key().fields.size();
        const size_t settled = std::min(size_t(rows) * width, m_unsettledKeys.size());
        if (width == 0 || settled < width)
            return;
        const auto last = m_unsettledKeys.begin() + qsizetype(settled);
        m_settledKey.assign(std::make_move_iterator(last - qsizetype(width)), std::make_move_iterator(last));
        m_unsettledKeys.erase(m_unsettledKeys.begin(), last);
    }
    void rowsInDoubt(long long rows, const QString& because) override { table().rowsLostInDoubt(rows, because); }

    // A lost connection ends the transfer after its one box, as a step's does.
    void endIfLinkLost(const DbError& e) override {
        if (!e.isCommunicationLinkFailure())
            return;
        m_lastFailure = e.message();
        m_guard.report(L.executeInsert, e);
        endEarly();
    }

    // The literal INSERT, unless it is larger than the server takes: then
    // the values go as parameters, long ones in pieces, so a byte string is
    // not doubled into hexadecimal digits. A value larger than the server
    // takes at all fails its row before anything is sent.
    void sendRowAlone() override {
        const bool mayNotFit = m_packetLimit > 0 && m_statement.size() * 3 + packetHeadroom > m_packetLimit;
        if (!mayNotFit || m_statement.toUtf8().size() + packetHeadroom <= m_packetLimit) {
            sendNow(m_statement);
            return;
        }
        std::vector<BoundValue> values;
        boundValues(values);
        for (const BoundValue& bound : values) {
            const long long size = bound.kind == BoundValue::Kind::Text ? bound.text.toUtf8().size() : bound.bytes.size();
            if (size + packetHeadroom > m_packetLimit)
                throw DbError(QStringLiteral("The row is larger than the server accepts: a value of %1 bytes, where "
                                             "max_allowed_packet is %2 bytes")
                                  .arg(size)
                                  .arg(m_packetLimit));
        }
        const QString sql = parameterInsert();
        if (m_observer)
            m_observer->sending(sql);
        executeWithParameters(*m_target, sql, values);
    }

    // The current row's values as parameters: bytes as bytes, the rest as
    // the text their literals hold.
    // Into values, whose room is kept from row to row.
    void boundValues(std::vector<BoundValue>& values) override {
        values.resize(size_t(std::count(m_sends.begin(), m_sends.end(), true)));
        for (size_t j = 0, k = 0; j < m_forms.size(); ++j) {
            if (!m_sends[j])
                continue;
            const Value& v = m_reader->Fields(int(j)).Value;
            BoundValue& bound = values[k++];
            // Text read as UTF-8 goes on as it came, where its form writes it unchanged.
            const QByteArray* utf8 = m_forms[j] == ValueForm::Quoted || m_forms[j] == ValueForm::Number ? v.utf8() : nullptr;
            bound.kind = v.isNull()                       ? BoundValue::Kind::Null
                         : v.kind() == Value::Kind::Bytes ? BoundValue::Kind::Bytes
                         : utf8                           ? BoundValue::Kind::Utf8
                                                          : BoundValue::Kind::Text;
            if (bound.kind == BoundValue::Kind::Bytes)
                bound.bytes = v.toBytes();
            else if (utf8)  // borrowed, not shared: the row stays until the values are used
                bound.bytes = QByteArray::fromRawData(utf8->constData(), utf8->size());
            else if (v.kind() == Value::Kind::Integer && m_forms[j] != ValueForm::Bit && m_forms[j] != ValueForm::BitNumber)
                bound.text.setNum(v.toInteger());  // into the room the row before left
            else if (bound.kind == BoundValue::Kind::Text)
                bound.text = valueText(v, m_forms[j]);
        }
    }

    QString parameterInsert() override {
        QStringList markers;
        for (size_t j = 0; j < m_sends.size(); ++j)
            if (m_sends[j])  // a digit bound as text is a byte to MySQL's BIT
                markers << (m_forms[j] == ValueForm::BitNumber ? QStringLiteral("CAST(? AS UNSIGNED)") : QStringLiteral("?"));
        return m_insertStart + markers.join(QStringLiteral(", ")) + u')';
    }

    // Reads the copied table back and compares it with the rows the target
    // accepted, without regard to their order; then has each server profile
    // its own copy, which does not rest on this program's reading.
    void verify(const QString& name) {
        Verification& v = table().verification;
        if (m_observer)
            m_observer->beforeVerifying(name);
        std::vector<Field> targetFields;
        try {
            Recordset back;
            back.Open(QStringLiteral("SELECT * FROM ") + quotedName(name, d.target.quote), *m_target, -1, -1, &m_yield);
            for (int i = 0; i < back.fieldCount(); ++i)
                targetFields.push_back(back.Fields(i));
            RowDigests arrived;
            long long row = 0;
            while (!back.isEOF()) {
                if (++row % 256 == 0)
                    checkIn();
                arrived.add(back);
                back.MoveNext();
            }
            back.Close();
            // Rows the target refused before a resume are among the source's
            // rows copied before, and not in the target.
            v.rowsDiffering = std::max(0LL, m_expected.rowsDifferingFrom(arrived) - m_carried.rowsRefused);
        } catch (const Interrupted&) {
            throw;
        } catch (const std::exception& e) {
            v.result = Verification::Result::CouldNotCheck;
            v.problem = QStringLiteral("reading the copy back failed: ") + messageOf(e);
            return;
        }
        const TableProfile profile(m_sourceFields, d.source.profile, targetFields, d.target.profile,
                                   table().rowsFailed + m_carried.rowsRefused);
        std::vector<Value> sourceFigures, targetFigures;
        if (!profileOf(*m_source, profile.sourceQuery(name, r.options.where), sourceFigures, QStringLiteral("the source")) ||
            !profileOf(*m_target, profile.targetQuery(name), targetFigures, QStringLiteral("the target")))
            return;
        v.profileDifferences = profile.differences(sourceFigures, targetFigures);
        v.notCompared = profile.notCompared();
        v.result = v.rowsDiffering == 0 && v.profileDifferences.isEmpty() ? Verification::Result::Verified
                                                                           : Verification::Result::Differs;
    }

    // Rows appended to rows that were there: the target's count must have
    // grown by the rows it accepted; the values of the rows before are not
    // this transfer's to compare.
    void verifyAppended(const QString& name) {
        Verification& v = table().verification;
        try {
            const long long grown = countRows(name, d.target.quote, *m_target, &m_yield) - m_rowsBefore;
            const long long accepted = m_carried.rowsAccepted + table().rowsAccepted;
            v.result = grown == accepted ? Verification::Result::Verified : Verification::Result::Differs;
            v.notCompared = QStringLiteral("appended: only the target's row count was compared");
            if (grown != accepted)
                v.profileDifferences << QStringLiteral("the target grew by %1 rows").arg(grown);
        } catch (const Interrupted&) {
            throw;
        } catch (const std::exception& e) {
            v.result = Verification::Result::CouldNotCheck;
            v.problem = QStringLiteral("the target's rows could not be counted: ") + messageOf(e);
        }
    }

    // One side's profile of its copy; false, with the reason in the
    // account, when its server could not compute it.
    bool profileOf(Connection& c, const QString& sql, std::vector<Value>& figures, const QString& side) {
        try {
            Recordset rs;
            rs.Open(sql, c, -1, -1, &m_yield);
            for (int i = 0; i < rs.fieldCount(); ++i)
                figures.push_back(rs.Fields(i).Value);
            rs.Close();
            return true;
        } catch (const Interrupted&) {
            throw;
        } catch (const std::exception& e) {
            Verification& v = table().verification;
            v.result = Verification::Result::CouldNotCheck;
            v.problem = side + QStringLiteral("'s profile query failed: ") + messageOf(e);
            return false;
        }
    }

    // listed: the table now stands in the target under its name.
    void finishTable(const QString& name, bool listed = true) {
        m_writer.reset();  // its statements go before the connection under them
        m_guard.step(L.progressZero, [&] { events.barAt(0); });
        m_guard.step(L.closeReader, [&] { m_reader->Close(); });
        if (listed)
            m_guard.step(L.addItem, [&] { events.tableListed(d.targetListName(name)); });
    }

    bool send(int line, const QString& sql) {
        return step(line, [&] { sendNow(sql); });
    }

    void sendNow(const QString& sql) {
        if (m_observer)
            m_observer->sending(sql);
        m_target->Execute(sql);
    }

    void end() {
        // A transfer stopped or ended before its table was created leaves the
        // reader open; its statement goes before the connection under it.
        m_writer.reset();
        if (m_reader && m_reader->isOpen())
            m_reader->Close();
        int line = L.firstEnd;
        for (EndStep s : d.endOrder) {
            m_guard.step(line, [&] {
                switch (s) {
                case EndStep::CloseSource: m_source->Close(); break;
                case EndStep::CloseTarget: m_target->Close(); break;
                case EndStep::Arrow: events.busy(false); break;
                }
            });
            line += 2;
        }
    }

    const TransferRequest& r;
    const TransferDirection& d;
    const TransferLines& L;
    TransferEvents& events;
    Yield& m_yield;
    StatementObserver* m_observer;
    TimedPrompts m_prompts;
    QString m_statement;  // the statement being built or last sent, for the error box
    Guard m_guard;
    std::optional<Connection> m_source, m_target;
    std::optional<ReadAhead> m_reader;
    std::vector<ValueForm> m_forms;
    std::optional<StructureCopy> m_structure;  // when the types and keys are kept
    bool m_structured = false;  // the current table's are
    std::vector<bool> m_sends;  // by column: its values are sent (appending sends only the target's columns)
    long long m_rowsBefore = 0;  // an appended table's rows before the transfer
    std::vector<Field> m_sourceFields;  // the source's columns, for the profile
    LiteralSyntax m_syntax;
    FailureStorm m_storm;
    TransferAccount m_account;
    QElapsedTimer m_clock;
    QString m_lastFailure;   // the message of the step that failed last
    bool m_created = false;  // the current table was created in the target
    int m_tablesSelected = 0;  // in the source list when the walk began
    ProgressMeter m_meter;     // the current table's rows, for the progress line
    long long m_rowCount = 0;     // the source table's rows when counted
    long long m_packetLimit = 0;  // the target's largest statement in bytes; 0 for no limit
    bool m_takesArrays = false;   // the target takes parameter arrays in one execution: MariaDB or iAnywhere
    RowDigests m_expected;   // the rows the target accepted, for the check
    bool m_verifies = false;  // each copied table is read back and checked
    ExistingTable m_existing = ExistingTable::Ask;
    bool m_fast = false;     // fast copy: rows in batches inside transactions
    QString m_insertStart;   // the current table's INSERT up to its values
    std::vector<int> m_answers;  // by table: what is done with it, decided before the first row
    // The key values of the rows given to the writer whose fate is not yet
    // settled, a row after the other, and the last settled row's: where a
    // resumed copy goes on. Made literals only when it ends early.
    std::deque<Value> m_unsettledKeys;
    std::vector<Value> m_settledKey;
    QStringList m_startKey;  // where the current table's copy began: after this key, or at the first row
    ResumePoint m_carried;      // what earlier runs of a resumed table accounted for
    bool m_startsOver = false;  // the current table ended early, leaving nothing a resumed copy goes on with
    // How the rows are written; after the connections, so it goes before them.
    std::unique_ptr<RowWriter> m_writer;
};

}

void transferTables(const TransferRequest& request, TransferEvents& events, StatementObserver* observer) {
    TableTransfer(request, events, observer).run();
}

}
