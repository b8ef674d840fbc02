#include "transfer/ReadAhead.h"
#include "connect/DbError.h"
#include <sys/resource.h>
#include <unistd.h>

namespace tw {

namespace {
// What a row's values take from the heap beyond their own size: the whole
// room each has, since a value read into keeps the room of the longest
// value it held.
size_t heapBytes(const std::vector<Value>& row) {
    size_t bytes = 0;
    for (const Value& v : row)
        bytes += size_t(v.roomBytes());
    return bytes;
}
}

ReadAhead::~ReadAhead() { stopReading(); }

void ReadAhead::Open(const SourceRead& read, Connection& source, Yield* whileRunning) {
    stopReading();
    m_stream.Open(read, source, whileRunning);
    m_open = true;
    m_path = m_stream.path();
    m_key = m_stream.key();
    m_fields.clear();
    for (int i = 0; i < m_stream.fieldCount(); ++i)
        m_fields.push_back(m_stream.Fields(i));
    m_eof = m_stream.isEOF();
    m_queue.clear();
    m_queuedBytes = 0;
    m_spent.clear();
    m_block = Block();
    m_taken = 0;
    m_stop = false;
    if (!m_eof)
        m_reading = std::thread([this] { readAhead(); });
}

void ReadAhead::readAhead() {
    // Reading only has to stay ahead of sending: where the cores are few, it
    // gives way to the thread that sends and to the window's. (On Linux a
    // thread's nice value is its own.)
    constexpr int niceness = 10;
    setpriority(PRIO_PROCESS, id_t(gettid()), niceness);
    Block block;
    block.entries.reserve(blockRows);
    const size_t rowBytes = sizeof(Entry) + m_fields.size() * sizeof(Value);
    // Rows the transfer is done with: the next rows are read into their
    // values, whose room is taken again rather than new room for each value.
    SpareRows spare;
    for (bool last = false; !last;) {
        Entry entry;
        try {
            m_stream.MoveNext();
            if (m_stream.isEOF()) {
                entry.last = true;
            } else {
                entry.values = spare.take();
                m_stream.takeRow(entry.values);
                block.bytes += rowBytes + heapBytes(entry.values);
            }
        } catch (...) {
            entry.failure = std::current_exception();
            entry.last = m_stream.isEOF();  // a chunk that failed to open ends the read
        }
        last = entry.last;
        const bool failed = bool(entry.failure);
        block.entries.push_back(std::move(entry));
        // A failure goes over at once, so its box comes no later than it would.
        if (block.entries.size() < blockRows && !last && !failed)
            continue;
        std::vector<Block> spent;
        size_t queued = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_stop || m_queue.empty() || (m_queue.size() < queueBlocks && m_queuedBytes < queueBytes);
            });
            if (m_stop)
                return;
            m_queuedBytes += block.bytes;
            m_queue.push_back(std::exchange(block, Block()));
            spent.swap(m_spent);
            queued = m_queuedBytes;
            m_changed.notify_all();
        }
        block.entries.reserve(blockRows);
        for (Block& b : spent)
            for (Entry& e : b.entries)
                spare.give(std::move(e.values), readAheadBytes - std::min(queued, readAheadBytes));
    }
}

std::vector<Value> ReadAhead::SpareRows::take() {
    if (m_rows.empty())
        return {};
    std::vector<Value> row = std::move(m_rows.back());
    m_rows.pop_back();
    m_bytes -= std::min(m_bytes, heapBytes(row));
    return row;
}

void ReadAhead::SpareRows::give(std::vector<Value> row, size_t room) {
    const size_t bytes = heapBytes(row);
    if (row.empty() || m_rows.size() >= spareRows || m_bytes + bytes > room)
        return;
    m_bytes += bytes;
    m_rows.push_back(std::move(row));
}

void ReadAhead::MoveNext() {
    if (m_eof)
        throw DbError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    if (m_taken == m_block.entries.size()) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_queue.empty(); });
        m_spent.push_back(std::move(m_block));
        m_block = std::move(m_queue.front());
        m_queue.pop_front();
        m_queuedBytes -= m_block.bytes;
        m_taken = 0;
        m_changed.notify_all();
    }
    Entry& entry = m_block.entries[m_taken++];
    if (entry.last)
        m_eof = true;
    if (entry.failure)
        std::rethrow_exception(entry.failure);  // the row before stays current, as with the stream itself
    for (size_t i = 0; i < entry.values.size(); ++i)
        std::swap(m_fields[i].Value, entry.values[i]);  // the row before goes back with the block
}

void ReadAhead::stopReading() {
    if (!m_reading.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_reading.join();
}

void ReadAhead::Close() {
    stopReading();
    m_open = false;
    m_eof = true;
    m_stream.Close();
}

}
