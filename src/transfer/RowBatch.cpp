#include "transfer/RowBatch.h"

namespace tw {

void RowBatch::add(QStringView values, std::uint64_t digest) {
    m_values << values.toString();
    m_digests.push_back(digest);
    m_chars += values.size() + 3;
}

void RowBatch::clear() {
    m_values.clear();
    m_digests.clear();
    m_chars = 0;
}

QString RowBatch::multiRowInsert(const QString& insertStart) const {
    QString sql;
    sql.reserve(insertStart.size() + m_chars + 1);
    sql += insertStart;
    sql += m_values.join(QStringLiteral("),("));
    sql += u')';
    return sql;
}

QString RowBatch::singleRowInsert(const QString& insertStart, int row) const {
    return insertStart + m_values.at(row) + u')';
}

}
