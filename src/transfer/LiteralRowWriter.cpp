#include "transfer/RowWriter.h"
#include "connect/Connection.h"
#include "connect/DbError.h"
#include "transfer/FailureStorm.h"
#include "transfer/Transfer.h"

namespace tw {

void RowWriterHost::commitRows(const RowBatch& rows) {
    if (StatementObserver* o = observer())
        o->committing();
    try {
        target().CommitTrans();
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& e) {
        commitFailed(e, rows.size());
        return;
    }
    for (int i = 0; i < rows.size(); ++i)
        rowAccepted(rows.digest(i));
}

namespace {

class LiteralRowWriter : public RowWriter {
public:
    explicit LiteralRowWriter(RowWriterHost& host) : h(host) {}
    void write(std::uint64_t digest) override {
        h.buildInsert();
        try {
            if (h.rowStep([&] { h.sendRowAlone(); }))
                h.rowAccepted(digest);
        } catch (const StoppedAtQuestion&) {
            h.rowsSettled(1);  // refused, and counted before the question
            throw;
        }
        h.rowsSettled(1);
    }
    void flush() override {}
    void abandon() override {}

private:
    RowWriterHost& h;
};

}

std::unique_ptr<RowWriter> literalRowWriter(RowWriterHost& host) { return std::make_unique<LiteralRowWriter>(host); }

}
