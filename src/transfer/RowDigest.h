#pragma once
#include "connect/Recordset.h"
#include <array>
#include <cstdint>
#include <memory>

namespace tw {

class Value;

// The rows of a table as 64-bit digests of their values, a multiset that
// two readings of a table can be compared by, in any order. The digests are
// summed into a fixed number of buckets, so a reading of any length takes
// the same memory. Each value is taken in the form both databases agree
// on, whatever type each gave it: numbers by value (5, 5.0 and 5.000000
// agree), booleans and the words True and False as 1 and 0, a midnight time
// and zero fractions left off a moment, bytes as bytes, text as text, and
// NULL apart from ''.
class RowDigests {
public:
    void add(const Recordset& row) { add(digestOf(row)); }  // the current row
    void add(std::uint64_t digest);
    // A row with fieldCount() and Fields(i): a row set's current row, or a
    // source read ahead.
    template <typename Row>
    static std::uint64_t digestOf(const Row& row) {
        std::uint64_t digest = firstDigest;
        for (int i = 0; i < row.fieldCount(); ++i)
            digest = withValue(digest, row.Fields(i).Value);
        return digest;
    }
    void clear() { m_buckets.reset(); }
    // How many rows of the one reading have no equal in the other: exact
    // while the differing rows fall into buckets of their own, as a few
    // among many do; more differences sharing a bucket count as the larger
    // side's share of it.
    long long rowsDifferingFrom(const RowDigests& other) const;

private:
    static constexpr std::uint64_t firstDigest = 0xcbf29ce484222325ULL;
    static std::uint64_t withValue(std::uint64_t digest, const Value& value);
    struct Bucket {
        std::uint64_t rows = 0, sum = 0, mixedSum = 0;
        bool operator==(const Bucket&) const = default;
    };
    static constexpr int bucketBits = 16;
    std::unique_ptr<std::array<Bucket, 1 << bucketBits>> m_buckets;
};

}
