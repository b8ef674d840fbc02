#include "BareInsertLoop.h"
#include "ProcessUsage.h"
#include "BareOdbc.h"
#include <chrono>
#include <stdexcept>

namespace bench {

long long runBareInserts(const QString& connectString, const QString& createTable, RecordedInserts& inserts,
                         double& seconds, double& cpu, int rowsPerInsert) {
    BareOdbc db(connectString);
    db.run(createTable);
    const SQLHSTMT stmt = db.stmt;

    long long sent = 0;
    const char16_t* text = nullptr;
    int length = 0;
    const double cpuBefore = bench::cpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    auto execute = [&](const char16_t* sql, int sqlLength) {
        check(SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(sql)), sqlLength),
              SQL_HANDLE_STMT, stmt, "insert");
    };
    if (rowsPerInsert > 1)
        db.manualCommit();
    QString batch;
    int inBatch = 0;
    auto flush = [&] {
        batch += u')';
        execute(reinterpret_cast<const char16_t*>(batch.utf16()), int(batch.size()));
        batch.clear();
        inBatch = 0;
    };
    while (inserts.next(text, length)) {
        ++sent;
        if (rowsPerInsert <= 1) {
            execute(text, length);
            continue;
        }
        // "INSERT INTO t VALUES(1, 'a')": the first row whole but its ")",
        // the others from their values on.
        const QStringView insert(text, length - 1);
        if (inBatch == 0) {
            batch += insert;
        } else {
            batch += u"),(";
            batch += insert.sliced(insert.indexOf(u"VALUES(") + 7);
        }
        if (++inBatch == rowsPerInsert)
            flush();
    }
    if (inBatch > 0)
        flush();
    if (rowsPerInsert > 1)
        db.commit();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    cpu = bench::cpuSeconds() - cpuBefore;
    return sent;
}

}
