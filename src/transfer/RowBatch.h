#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace tw {

// Rows a fast copy has gathered and not yet committed: each row's value
// list as its own INSERT takes it, and its digest for the check. Into MySQL
// they go as one INSERT with many rows; a batch that fails goes again row
// by row.
class RowBatch {
public:
    static constexpr int rowsPerCommit = 2000;
    static constexpr qsizetype charsPerStatement = 2 * 1024 * 1024;

    void add(QStringView values, std::uint64_t digest);
    void clear();
    int size() const { return int(m_values.size()); }
    bool isEmpty() const { return m_values.isEmpty(); }
    // Whether a row of this many characters still fits under the limit.
    bool fits(qsizetype chars, qsizetype limit) const { return isEmpty() || m_chars + chars + 3 <= limit; }

    // "INSERT INTO t VALUES(" + "1, 'a'),(2, 'b'" + ")"
    QString multiRowInsert(const QString& insertStart) const;
    QString singleRowInsert(const QString& insertStart, int row) const;
    QString values(int row) const { return m_values.at(row); }
    std::uint64_t digest(int row) const { return m_digests.at(size_t(row)); }

private:
    QStringList m_values;
    std::vector<std::uint64_t> m_digests;
    qsizetype m_chars = 0;
};

}
