#pragma once
#include "transfer/RowBatch.h"
#include "transfer/SourceStream.h"
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tw {

// A source stream read on a thread of its own, up to a batch of rows ahead of
// the transfer, so that reading overlaps sending. The rows, and the
// failures of reading them, come out in the order the stream gave them.
class ReadAhead {
public:
    ReadAhead() = default;
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Opens the stream here, on the first row; the rest are read ahead.
    void Open(const SourceRead& read, Connection& source, Yield* whileRunning);
    void Close();
    // Both known from the open on, without a look at the stream, which the
    // reading thread may be moving on meanwhile.
    bool isOpen() const { return m_open; }

    bool isEOF() const { return m_eof; }
    void MoveNext();
    int fieldCount() const { return int(m_fields.size()); }
    const Field& Fields(int index) const { return m_fields.at(size_t(index)); }
    // The current row, for a test that changes a value as if it had been
    // read so, before the transfer takes it.
    std::vector<Field>& currentRow() { return m_fields; }
    QString path() const { return m_path; }
    const ReadKey& key() const { return m_key; }

private:
    struct Entry {
        std::vector<Value> values;  // a row, when there is no failure
        std::exception_ptr failure;
        bool last = false;  // nothing comes after it
    };
    // Rows go over in blocks, so the two threads meet once a block, not once a
    // row. The queue holds a fast copy's batch of rows: while a batch is
    // being sent, the next one is read whole, ready to be gathered at once.
    // The queue also stops at 2 MB of what its rows take from the heap, which
    // holds a batch of rows of a dozen short columns and half of one of rows
    // of a few hundred characters: with the batch gathered before it, still
    // more than a chunk of the source's.
    static constexpr size_t blockRows = 256;
    static constexpr size_t queueBlocks = (RowBatch::rowsPerCommit + blockRows - 1) / blockRows;
    static constexpr size_t queueBytes = 2 * 1024 * 1024;
    struct Block {
        std::vector<Entry> entries;
        size_t bytes = 0;  // what its rows hold in memory
    };

    // Rows the transfer is done with, kept on the reading thread with their
    // values' room. The transfer hands them back a few blocks at a time; they
    // are kept as far as they and the queue stay within 3 MB: reading ahead
    // holds no more than that, and the more the queue runs empty, the more
    // of its next rows are read into room taken before.
    static constexpr size_t readAheadBytes = 3 * 1024 * 1024;
    class SpareRows {
    public:
        std::vector<Value> take();  // empty when none is left
        // Kept while the spare rows hold no more than room bytes.
        void give(std::vector<Value> row, size_t room);

    private:
        static constexpr size_t spareRows = (queueBlocks + 1) * blockRows;
        std::vector<std::vector<Value>> m_rows;
        size_t m_bytes = 0;
    };

    void readAhead();
    void stopReading();

    SourceStream m_stream;  // touched only by the reading thread once it runs
    std::vector<Field> m_fields;
    bool m_eof = true;
    bool m_open = false;
    QString m_path;  // how the stream reads the table
    ReadKey m_key;   // the order it reads the rows in

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_queue;
    size_t m_queuedBytes = 0;
    // Blocks the transfer is done with, holding the rows before: freed on
    // the reading thread, where their memory was taken, so the two threads
    // do not contend for one heap.
    std::vector<Block> m_spent;
    Block m_block;        // the reading side's block being taken
    size_t m_taken = 0;   // entries of m_block already taken
    bool m_stop = false;
    std::thread m_reading;
};

}
