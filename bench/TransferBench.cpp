// Copies two generated tables, a narrow one and a wide one like an orders
// table, MySQL -> iAnywhere -> MySQL through the program's own transfer
// code, row by row and with fast copy, then sends the very same INSERT texts
// with a bare ODBC loop, and the same rows the fastest ways each driver
// takes them without the program: into iAnywhere one prepared INSERT
// committed every 2,000 rows, into MySQL 1,000-row INSERTs in one
// transaction and LOAD DATA LOCAL INFILE. Prints speed, peak memory and the
// longest time the window's event loop was kept waiting.
#include "BareInsertLoop.h"
#include "ReferenceLoads.h"
#include "BenchDatabases.h"
#include "ProcessUsage.h"
#include "StatementRecorder.h"
#include "WindowGap.h"
#include "base/OperationThread.h"
#include "base/ProgramEnd.h"
#include "tables/OffWindowUi.h"
#include "tables/TableListWidget.h"
#include "tables/SendTables.h"
#include "transfer/RowBatch.h"
#include <QApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <vector>

namespace {


struct Options {
    long long rows = 100000;
    QString dataSourceName = QStringLiteral("tw_bench");
    QString standinFile;
    QString workDir = QDir::tempPath();
    long long slice = 200000;  // rows for the per-row method, the bare loops and the check
    int repeat = 3;  // the machine is shared: the median of a few runs
    bool keep = false;
    bool json = false;  // the figures as one JSON object on the last line
    std::vector<bench::TableShape> shapes{bench::TableShape::Narrow, bench::TableShape::Wide};
};

Options parse(const QStringList& args) {
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString value = i + 1 < args.size() ? args[i + 1] : QString();
        if (a == "--rows" && !value.isEmpty())
            o.rows = value.toLongLong(), ++i;
        else if (a == "--dsn" && !value.isEmpty())
            o.dataSourceName = value, ++i;
        else if (a == "--standin-file" && !value.isEmpty())
            o.standinFile = value, ++i;
        else if (a == "--work-dir" && !value.isEmpty())
            o.workDir = value, ++i;
        else if (a == "--slice" && value.toLongLong() > 0)
            o.slice = value.toLongLong(), ++i;
        else if (a == "--repeat" && value.toInt() > 0)
            o.repeat = value.toInt(), ++i;
        else if (a == "--keep")
            o.keep = true;
        else if (a == "--json")
            o.json = true;
        else if (a == "--table" && (value == "narrow" || value == "wide"))
            o.shapes = {value == "narrow" ? bench::TableShape::Narrow : bench::TableShape::Wide}, ++i;
        else
            throw std::runtime_error(("usage: transfer_bench [--rows N] [--slice N] [--repeat N] [--table narrow|wide] [--dsn NAME] "
                                      "--standin-file PATH [--work-dir DIR] [--keep] [--json]; unknown: " + a).toStdString());
    }
    if (o.standinFile.isEmpty())
        throw std::runtime_error("--standin-file names the stand-in data source's database file");
    return o;
}

class Bar : public tw::ProgressBar {
public:
    int value() const override { return m_value; }
    void setValue(int v) override { m_value = v; }

private:
    int m_value = 0;
};

class Pointer : public tw::MousePointer {
public:
    int mousePointer() const override { return m_code; }
    void setMousePointer(int code) override { m_code = code; }

private:
    int m_code = 0;
};

// Answers Yes; any other box is a failed run.
class BenchPrompts : public tw::Prompts {
public:
    int MsgBox(const QString& text, int style, const QString&) override {
        if ((style & 7) == tw::MsgStyle::YesNo)
            return tw::MsgAnswer::Yes;
        std::fprintf(stderr, "box: %s\n", qPrintable(QString(text).replace('\r', '\n')));
        ++boxes;
        return tw::MsgAnswer::Ok;
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
    int boxes = 0;
};

// Keeps the account; checks tables only when asked to.
class BenchPanel : public tw::TransferPanel {
public:
    explicit BenchPanel(bool verify = false, bool fast = false) : m_verify(verify), m_fast(fast) {}
    bool stopRequested() const override { return false; }
    void showAccount(const tw::TransferAccount& a) override { account = a; }
    bool verifies() const override { return m_verify; }
    bool fastCopy() const override { return m_fast; }
    tw::TransferAccount account;

private:
    bool m_verify, m_fast;
};

struct Side {
    QString connectString;
    bool viaProvider;
    QChar quote;
    QString quoted(const QString& table) const { return quote + table + quote; }
};

// The table the slower methods copy, and the whole table fast copy takes.
struct Tables {
    QString slice, full;
};

struct Run {
    double transferSeconds = 0, bareSeconds = 0;
    double fastSeconds = 0;
    double multiRowSeconds = -1;  // the 1,000-row reference; MySQL only
    double fastSliceSeconds = 0;      // fast copy of the slice, the rows the references take
    double barePreparedSeconds = -1;  // the prepared INSERT reference; iAnywhere only
    double loadDataSeconds = -1;      // LOAD DATA LOCAL INFILE; MySQL only
    QString loadDataRefusal;          // why the server would not load, if it would not
    double verifiedSeconds = 0;  // the transfer again, with every table checked
    double sourceReadSeconds = 0, targetReadSeconds = 0;
    double transferCpu = 0, bareCpu = 0;  // this process's CPU seconds
    long long baseline = 0, peak = 0;  // the highest peak of the per-row and the fast transfer
    double longestGapMs = 0;
    QString readPath;
};

// A transfer as the window runs it: on a thread of its own, with the
// window's thread keeping its event loop, whose gaps are measured.
double transferBesideWindow(const tw::TransferDirection& direction, const tw::TableManagerUi& ui,
                            tw::StatementObserver* observer, bench::WindowGap& gap) {
    tw::ProgramEnd end;
    auto offWindow = std::make_shared<tw::OffWindowUi>(ui, end);
    const auto started = std::chrono::steady_clock::now();
    gap.start();
    tw::runBesideWindow(
        [offWindow, &direction, observer] {
            tw::TableManagerUi worker = offWindow->ui();
            tw::transferTables(direction, worker, observer);
        },
        end, [] {});
    gap.finish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

struct Result {
    const char* name;
    long long rows = 0;      // in the slice
    long long fullRows = 0;  // in the whole table
    std::vector<Run> runs;
};

// One timed transfer of the table into an empty target, then the bare loop
// with the INSERT texts a transfer sends, into the emptied target again.
Run measureOnce(const tw::TransferDirection& direction, const bench::BenchProfile& profile, const Side& target,
                const Tables& tables, const QString& recorded, long long& rows, long long& fullRows) {
    const QString quotedTable = target.quoted(tables.slice);
    tw::TableListWidget list1, list2;
    Bar bar;
    Pointer pointer;
    BenchPrompts prompts;
    tw::ProgramEnd end;
    struct : tw::Yield {
        void DoEvents() override {}
    } yield;  // the transfers run beside the window with a yield of their own
    bench::WindowGap gap;
    BenchPanel panel;
    tw::TableManagerUi ui{list1, list2, bar, pointer, prompts, yield, profile, panel};
    tw::TableList& source = &direction == &tw::toIAnywhere() ? list1 : list2;
    source.AddItem(tables.slice);
    source.setListIndex(0);
    source.setSelected(0, true);

    Run run;
    tw::TableList& targetList = &direction == &tw::toIAnywhere() ? list2 : list1;
    // The INSERT texts for the bare loop come from a transfer of their own,
    // so that writing them down is not timed as the transfer's work.
    bench::StatementRecorder recorder(recorded);
    transferBesideWindow(direction, ui, &recorder, gap);
    recorder.close();
    if (prompts.boxes > 0)
        throw std::runtime_error("the transfer reported failures");
    bench::dropTable(target.connectString, target.viaProvider, quotedTable);
    while (targetList.ListCount() > 0)
        targetList.RemoveItem(0);

    // Before each timed run the disk takes what the run before it wrote.
    auto settle = [&] {
        bench::waitForServerWrites(profile);
        bench::waitForDiskWrites();
    };
    // The bare loop runs before the transfer and after it, and the two
    // times are averaged: a disk whose commits slow down or speed up over
    // the minutes of a run then weighs on both sides alike.
    const QString bareString =
        target.viaProvider ? "DSN=" + profile.text(tw::ProfileField::DataSourceName) : target.connectString;
    auto bareLoop = [&] {
        bench::RecordedInserts inserts(recorded);
        double seconds = 0, cpu = 0;
        settle();
        const long long sent = bench::runBareInserts(bareString, recorder.createTable(), inserts, seconds, cpu);
        if (sent != recorder.inserts() ||
            bench::countRows(target.connectString, target.viaProvider, quotedTable) != recorder.inserts())
            throw std::runtime_error("the bare loop did not send every row");
        run.bareSeconds += seconds / 2;
        run.bareCpu += cpu / 2;
    };
    bareLoop();
    bench::dropTable(target.connectString, target.viaProvider, quotedTable);

    settle();
    bench::resetPeakResident();
    run.baseline = bench::residentBytes();
    const double cpuBefore = bench::cpuSeconds();
    run.transferSeconds = transferBesideWindow(direction, ui, nullptr, gap);
    run.transferCpu = bench::cpuSeconds() - cpuBefore;
    run.peak = bench::peakResidentBytes();
    if (prompts.boxes > 0)
        throw std::runtime_error("the transfer reported failures");
    rows = bench::countRows(target.connectString, target.viaProvider, quotedTable);
    if (rows != recorder.inserts())
        throw std::runtime_error("the target does not hold every row sent");
    run.longestGapMs = gap.longestMs();
    if (!panel.account.tables.empty())
        run.readPath = panel.account.tables[0].readPath;

    bench::dropTable(target.connectString, target.viaProvider, quotedTable);
    bareLoop();

    // The same transfer with the check of each table, and the two reads it compares.
    run.targetReadSeconds = bench::readAllRows(target.connectString, target.viaProvider, quotedTable);
    bench::dropTable(target.connectString, target.viaProvider, quotedTable);
    BenchPanel checking(true);
    tw::TableManagerUi checked{list1, list2, bar, pointer, prompts, yield, profile, checking};
    while (targetList.ListCount() > 0)
        targetList.RemoveItem(0);
    settle();
    const auto checkStarted = std::chrono::steady_clock::now();
    tw::transferTables(direction, checked);
    run.verifiedSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - checkStarted).count();
    if (checking.account.tables.empty() ||
        checking.account.tables[0].verification.result != tw::Verification::Result::Verified)
        throw std::runtime_error("the checked transfer did not verify: " + checking.account.details().toStdString());
    const tw::DatabaseSide& from = direction.source;
    run.sourceReadSeconds =
        bench::readAllRows(from.connectString(profile), from.viaProvider, QString(from.quote) + tables.slice + from.quote);

    // The target's list empty, and only this table in the source's, chosen.
    auto copyOnly = [&](const QString& table) {
        while (targetList.ListCount() > 0)
            targetList.RemoveItem(0);
        source.Clear();
        source.AddItem(table);
        source.setListIndex(0);
        source.setSelected(0, true);
    };
    BenchPanel fast(false, true);
    tw::TableManagerUi fastUi{list1, list2, bar, pointer, prompts, yield, profile, fast};

    // Fast copy of the slice: the very rows the references below take, into
    // a table as small as theirs. It comes before the whole table, which may
    // be larger than the server's buffer pool: after it the slice would be
    // read from the disk, where the references take their rows from memory
    // and the other methods found them in the server's.
    bench::dropTable(target.connectString, target.viaProvider, quotedTable);
    copyOnly(tables.slice);
    settle();
    run.fastSliceSeconds = transferBesideWindow(direction, fastUi, nullptr, gap);
    run.longestGapMs = std::max(run.longestGapMs, gap.longestMs());
    if (prompts.boxes > 0 || fast.account.tables.empty() || fast.account.tables[0].rowsAccepted != rows)
        throw std::runtime_error("fast copy of the slice did not deliver every row");

    // Fast copy of the whole table, as the window runs it.
    const QString quotedFull = target.quoted(tables.full);
    if (tables.full == tables.slice)
        bench::dropTable(target.connectString, target.viaProvider, quotedFull);
    copyOnly(tables.full);
    settle();
    bench::resetPeakResident();
    const long long fastBaseline = bench::residentBytes();
    run.fastSeconds = transferBesideWindow(direction, fastUi, nullptr, gap);
    if (bench::peakResidentBytes() - fastBaseline > run.peak - run.baseline) {
        run.peak = bench::peakResidentBytes();
        run.baseline = fastBaseline;
    }
    run.longestGapMs = std::max(run.longestGapMs, gap.longestMs());
    fullRows = bench::countRows(target.connectString, target.viaProvider, quotedFull);
    if (prompts.boxes > 0 || fast.account.tables.empty() || fast.account.tables[0].rowsAccepted != fullRows)
        throw std::runtime_error("fast copy did not deliver every row");
    run.readPath = fast.account.tables[0].readPath;

    // The reference for batched writing: 1,000-row INSERTs in one transaction.
    if (!target.viaProvider) {
        bench::dropTable(target.connectString, target.viaProvider, quotedTable);
        bench::RecordedInserts again(recorded);
        double cpu = 0;
        settle();
        bench::runBareInserts(bareString, recorder.createTable(), again, run.multiRowSeconds, cpu, 1000);
    }

    // The same rows, already in memory, the fastest way each driver takes them.
    const bench::TextRows values =
        bench::readTextRows(from.connectString(profile), from.viaProvider, QString(from.quote) + tables.slice + from.quote);
    bench::dropTable(target.connectString, target.viaProvider, quotedTable);
    settle();
    if (target.viaProvider) {
        run.barePreparedSeconds =
            bench::runBarePrepared(bareString, recorder.createTable(), quotedTable, values, tw::RowBatch::rowsPerCommit);
    } else {
        const bench::LoadDataTime load =
            bench::runLoadData(bareString, recorder.createTable(), quotedTable, values, recorded + ".load");
        run.loadDataSeconds = load.seconds.value_or(-1);
        run.loadDataRefusal = load.refusal;
    }
    if (bench::countRows(target.connectString, target.viaProvider, quotedTable) != (run.loadDataRefusal.isEmpty() ? rows : 0))
        throw std::runtime_error("a reference load did not deliver every row");
    return run;
}

Result measure(const char* name, const tw::TransferDirection& direction, const bench::BenchProfile& profile,
               const Side& target, const Tables& tables, const Options& options) {
    Result r{name, 0, 0, {}};
    const QString recorded = options.workDir + "/" + direction.procedure + ".inserts";
    for (int i = 0; i < options.repeat; ++i) {
        if (i > 0) {
            bench::dropTable(target.connectString, target.viaProvider, target.quoted(tables.slice));
            if (tables.full != tables.slice)
                bench::dropTable(target.connectString, target.viaProvider, target.quoted(tables.full));
        }
        r.runs.push_back(measureOnce(direction, profile, target, tables, recorded, r.rows, r.fullRows));
    }
    QFile::remove(recorded);
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A ratio of two figures of the same run, run by run. This machine's speed
// drifts over minutes, and the two figures of a run are taken within a
// minute of each other, so the median of these ratios is the steadier one.
struct Ratio {
    std::vector<double> perRun;
    double median() const { return perRun.empty() ? 0 : ::median(perRun); }
};

// The figures of one direction on one table: rates as the median of the
// runs, ratios as the median of each run's own.
struct Figures {
    std::vector<double> transfer, bare, verified, sourceRead, targetRead, transferCpu, bareCpu;
    std::vector<double> fast, fastSlice, multiRow, prepared, load;
    Ratio bareToTransfer, checkAdds, fastToTransfer, fastToMultiRow, wholeToMultiRow, fastToPrepared, wholeToPrepared,
        fastToLoad;
    const Run* worstGap = nullptr;
    const Run* highestPeak = nullptr;  // above its baseline

    explicit Figures(const Result& r) {
        worstGap = highestPeak = &r.runs.front();
        for (const Run& run : r.runs) {
            transfer.push_back(r.rows / run.transferSeconds);
            bare.push_back(r.rows / run.bareSeconds);
            verified.push_back(r.rows / run.verifiedSeconds);
            sourceRead.push_back(r.rows / run.sourceReadSeconds);
            targetRead.push_back(r.rows / run.targetReadSeconds);
            transferCpu.push_back(run.transferCpu * 1e6 / r.rows);
            bareCpu.push_back(run.bareCpu * 1e6 / r.rows);
            fast.push_back(r.fullRows / run.fastSeconds);
            fastSlice.push_back(r.rows / run.fastSliceSeconds);
            bareToTransfer.perRun.push_back(run.transferSeconds / run.bareSeconds);
            checkAdds.perRun.push_back(run.verifiedSeconds / run.transferSeconds - 1);
            fastToTransfer.perRun.push_back(fast.back() / transfer.back());
            if (run.multiRowSeconds > 0) {
                multiRow.push_back(r.rows / run.multiRowSeconds);
                fastToMultiRow.perRun.push_back(fastSlice.back() / multiRow.back());
                wholeToMultiRow.perRun.push_back(fast.back() / multiRow.back());
            }
            if (run.barePreparedSeconds > 0) {
                prepared.push_back(r.rows / run.barePreparedSeconds);
                fastToPrepared.perRun.push_back(fastSlice.back() / prepared.back());
                wholeToPrepared.perRun.push_back(fast.back() / prepared.back());
            }
            if (run.loadDataSeconds > 0) {
                load.push_back(r.rows / run.loadDataSeconds);
                fastToLoad.perRun.push_back(fastSlice.back() / load.back());
            }
            if (run.longestGapMs > worstGap->longestGapMs)
                worstGap = &run;
            if (run.peak - run.baseline > highestPeak->peak - highestPeak->baseline)
                highestPeak = &run;
        }
    }
};

// " per run: 1.02 0.97 1.10"
void printPerRun(const Ratio& ratio, const char* format, double scale = 1) {
    std::printf("; per run:");
    for (double v : ratio.perRun)
        std::printf(format, v * scale);
}

void print(const Result& r, long long textBytes) {
    const double mb = 1024.0 * 1024.0;
    const Figures f(r);
    std::printf("%s, median of %zu runs; the per-row method, the bare loops and the check timed on %lld rows%s\n",
                r.name, r.runs.size(), r.rows, r.rows < r.fullRows ? " (a slice of the table)" : "");
    std::printf("  ratios are the median of each run's own ratio\n");
    std::printf("  transfer code:    %8.0f rows/s  (SELECT and CREATE included)\n", median(f.transfer));
    std::printf("  bare ODBC loop:   %8.0f rows/s  (the same INSERT texts on one statement handle; before and after the transfer, averaged)\n",
                median(f.bare));
    std::printf("  ratio bare/transfer: %.3f   (target <= 1.10)", f.bareToTransfer.median());
    printPerRun(f.bareToTransfer, " %.3f");
    std::printf("\n  with every table checked: %8.0f rows/s, the check adding %.0f%% to the copy (target <= 35%%)",
                median(f.verified), f.checkAdds.median() * 100);
    printPerRun(f.checkAdds, " %.0f%%", 100);
    std::printf("\n  reading the whole table: source %.0f rows/s, target (the check's read-back) %.0f rows/s",
                median(f.sourceRead), median(f.targetRead));
    std::printf("\n  this process's CPU per row: transfer %.1f us, bare loop %.1f us\n", median(f.transferCpu),
                median(f.bareCpu));
    const Run& peak = *f.highestPeak;
    std::printf("  peak resident memory: %.1f MB = %.2f x the table's text size (target <= 3 x); "
                "%.1f MB of it held before the transfer began, %.1f MB above it (target <= 16 MB)\n",
                peak.peak / mb, double(peak.peak) / double(textBytes), peak.baseline / mb,
                double(peak.peak - peak.baseline) / mb);
    std::printf("  fast copy:        %8.0f rows/s  (%.1f x the per-row method; target >= 5 x), the whole table of %lld rows\n",
                median(f.fast), f.fastToTransfer.median(), r.fullRows);
    std::printf("  fast copy of the %lld rows the references below take: %.0f rows/s\n", r.rows, median(f.fastSlice));
    if (!f.multiRow.empty()) {
        std::printf("  bare 1,000-row INSERTs in one transaction: %.0f rows/s (fast copy of the same rows %.2f x it; "
                    "target >= 1.5 x; of the whole table %.2f x)",
                    median(f.multiRow), f.fastToMultiRow.median(), f.wholeToMultiRow.median());
        printPerRun(f.fastToMultiRow, " %.2f");
        std::printf("\n");
    }
    if (!f.prepared.empty()) {
        std::printf("  bare prepared INSERT, committed every 2,000 rows: %.0f rows/s (fast copy of the same rows %.2f x it; "
                    "target >= 0.8 x; of the whole table %.2f x)",
                    median(f.prepared), f.fastToPrepared.median(), f.wholeToPrepared.median());
        printPerRun(f.fastToPrepared, " %.2f");
        std::printf("\n");
    }
    if (!f.load.empty())
        std::printf("  bare LOAD DATA LOCAL INFILE in one transaction: %.0f rows/s (fast copy of the same rows %.2f x it)\n",
                    median(f.load), f.fastToLoad.median());
    else if (!r.runs.front().loadDataRefusal.isEmpty())
        std::printf("  LOAD DATA LOCAL INFILE refused: %s\n", qPrintable(r.runs.front().loadDataRefusal));
    std::printf("  the source was read %s\n", qPrintable(r.runs.front().readPath));
    std::printf("  longest the window's event loop waited: %.1f ms (target <= 20 ms)\n", f.worstGap->longestGapMs);
}

// The figures of one direction on one table as the members of a JSON object.
QString jsonMembers(const Result& r) {
    const Figures f(r);
    auto rate = [](const std::vector<double>& v) { return v.empty() ? QString("null") : QString::number(qRound64(median(v))); };
    const Run& peak = *f.highestPeak;
    QString members =
        QString("\"rows\": %1, \"slice_rows\": %9, \"per_row_rows_s\": %2, \"bare_rows_s\": %3, \"fast_rows_s\": %4, "
                "\"multirow_rows_s\": %5, \"peak_mb_above_baseline\": %6, \"max_gap_ms\": %7, \"read\": \"%8\", "
                "\"check_overhead\": %10")
            .arg(r.fullRows)
            .arg(rate(f.transfer))
            .arg(rate(f.bare))
            .arg(rate(f.fast))
            .arg(rate(f.multiRow))
            .arg(double(peak.peak - peak.baseline) / (1024.0 * 1024.0), 0, 'f', 1)
            .arg(f.worstGap->longestGapMs, 0, 'f', 1)
            .arg(r.runs.front().readPath)
            .arg(r.rows)
            .arg(f.checkAdds.median(), 0, 'f', 3);
    members += ", \"fast_slice_rows_s\": " + rate(f.fastSlice);
    if (!f.prepared.empty())
        members += ", \"bare_prepared_rows_s\": " + rate(f.prepared);
    if (!r.runs.front().loadDataRefusal.isEmpty() || !f.load.empty())
        members += ", \"load_data_rows_s\": " + rate(f.load);
    return members;
}

// One direction's figures: the narrow table's, with the wide table's as "wide".
QString json(const Result* narrow, const Result* wide) {
    QStringList members;
    if (narrow)
        members << jsonMembers(*narrow);
    if (wide)
        members << "\"wide\": {" + jsonMembers(*wide) + "}";
    return "{" + members.join(", ") + "}";
}

struct TableResults {
    bench::TableShape shape;
    Result there, back;
};

// Generates the table of this shape, copies it both ways and prints the figures.
TableResults measureTable(bench::TableShape shape, const bench::BenchProfile& toStandin, const bench::BenchProfile& toMySql,
                          const Options& options) {
    const bool wide = shape == bench::TableShape::Wide;
    const QString full = wide ? "bench_wide" : "bench_rows";
    // The slower methods are timed on the first rows of the table only, when
    // it is larger than the slice: the same rows in a table of their own.
    const Tables tables{options.rows > options.slice ? full + "_slice" : full, full};
    std::fprintf(stderr, "generating %lld rows in MySQL ...\n", options.rows);
    const bench::GeneratedTable table = bench::generateTable(toStandin, tables.full, options.rows, shape);
    if (tables.slice != tables.full)
        bench::generateTable(toStandin, tables.slice, options.slice, shape);
    std::printf("\n%s table: %lld rows x %d columns (%s); text size %.1f MB\n", wide ? "wide" : "narrow", table.rows,
                table.columns,
                wide ? "VARCHAR(190), DATETIME(6), DECIMAL, ENUM, TINYINT(1), JSON, NULLs" : "integers, decimals, dates, short texts",
                table.textBytes / (1024.0 * 1024.0));

    std::fprintf(stderr, "MySQL -> iAnywhere ...\n");
    TableResults results{shape,
                         measure("MySQL -> iAnywhere (PushButton3_Click)", tw::toIAnywhere(), toStandin,
                                 {tw::SybaseConnectString(toStandin), true, u'"'}, tables, options),
                         {}};
    print(results.there, table.textBytes);
    std::fflush(stdout);
    std::fprintf(stderr, "iAnywhere -> MySQL ...\n");
    results.back = measure("iAnywhere -> MySQL (PushButton4_Click)", tw::toMySql(), toMySql,
                           {tw::MySQLConnectString(toMySql), false, u'`'}, tables, options);
    print(results.back, table.textBytes);
    std::fflush(stdout);
    return results;
}

}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    try {
        const Options options = parse(app.arguments());
        const QString sourceDb = "tablewright_bench", backDb = "tablewright_bench_back";
        const bench::BenchProfile toStandin = bench::servicesProfile(sourceDb, options.dataSourceName);
        const bench::BenchProfile toMySql = bench::servicesProfile(backDb, options.dataSourceName);
        const bench::DefaultDurability durability(toStandin);
        std::printf("MariaDB at its default durability for the run (innodb_flush_log_at_trx_commit=1)\n");
        bench::recreateMySqlDatabase(toStandin, sourceDb);
        bench::recreateMySqlDatabase(toStandin, backDb);
        bench::emptyStandinFile(options.standinFile);

        std::vector<TableResults> results;
        for (bench::TableShape shape : options.shapes)
            results.push_back(measureTable(shape, toStandin, toMySql, options));
        if (options.json) {
            const Result *narrowThere = nullptr, *narrowBack = nullptr, *wideThere = nullptr, *wideBack = nullptr;
            for (const TableResults& t : results) {
                const bool wide = t.shape == bench::TableShape::Wide;
                (wide ? wideThere : narrowThere) = &t.there;
                (wide ? wideBack : narrowBack) = &t.back;
            }
            std::printf("{\"to_iany\": %s, \"to_mysql\": %s}\n", qPrintable(json(narrowThere, wideThere)),
                        qPrintable(json(narrowBack, wideBack)));
        }

        if (!options.keep) {
            bench::dropMySqlDatabase(toStandin, sourceDb);
            bench::dropMySqlDatabase(toStandin, backDb);
            bench::emptyStandinFile(options.standinFile);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "transfer_bench: %s\n", e.what());
        return 1;
    }
}
