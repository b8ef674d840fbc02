#pragma once
#include <cstdint>
#include <vector>

namespace tw {

class Recordset;

// The rows of a table as 64-bit digests of their values, a multiset that
// two readings of a table can be compared by, in any order. Each value is
// taken in the form both databases agree on, whatever type each gave it:
// numbers by value (5, 5.0 and 5.000000 agree), booleans and the words True
// and False as 1 and 0, a midnight time and zero fractions left off a
// moment, bytes as bytes, text as text, and NULL apart from ''.
class RowDigests {
public:
    void add(const Recordset& row);  // the current row
    void clear() { m_digests.clear(); }
    // How many rows of the one reading have no equal in the other.
    long long rowsDifferingFrom(RowDigests& other);

private:
    std::vector<std::uint64_t> m_digests;
};

}
