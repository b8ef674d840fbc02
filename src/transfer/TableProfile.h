#pragma once
#include "connect/Field.h"
#include "transfer/SourceStream.h"
#include <QString>
#include <QStringList>
#include <vector>

namespace tw {

// How one server writes the aggregates of a profile.
struct ProfileDialect {
    QChar quote;
    QString characters;  // the length of a text in characters; %1 is the value
    QString bytes;       // the length of a byte string
    QString exactCast;   // an exact number of precision %2 and scale %3
    int widestExact;     // the most digits exactCast takes
    int widestScale;     // and the most of them after the point
    QString doubleCast;
    QString integerCast;
};

// One figure of a table's profile: the row count, or one property of a
// column, as an aggregate each server computes over its own copy.
struct ProfileFigure {
    enum class What { Rows, Nulls, Sum, Least, Greatest, Characters, Bytes, TrueValues };
    // How the two results are compared: exact numbers by value, floating
    // point within the rounding of the sums, moments with a date equal to
    // its midnight.
    enum class Compare { Exact, Approximate, Single, Moment };
    QString column;  // empty for the row count
    What what = What::Rows;
    Compare how = Compare::Exact;
    QString sourceSql, targetSql;
    QString magnitudeSourceSql, magnitudeTargetSql;  // the sum of magnitudes an approximate sum is judged by
};

// A profile of a copied table: what each server says of its own copy, in
// one aggregate query a side, so that a fault in reading, converting or
// writing shows even where the row digests, taken from the values as read,
// cannot see it. Figures are chosen from the source column's kind and what
// each side keeps it as: a number held as text is cast back to a number, a
// BIT held as the words True and False counts its true values, a moment
// held as text compares by its text.
class TableProfile {
public:
    // rowsRejected > 0 leaves only the row count: the source still holds
    // the rejected rows, and no aggregate can leave them out.
    TableProfile(const std::vector<Field>& source, const ProfileDialect& sourceDialect,
                 const std::vector<Field>& target, const ProfileDialect& targetDialect, long long rowsRejected);

    // The source's rows that met the transfer's condition; the target's all.
    QString sourceQuery(const QString& table, const QString& condition) const {
        return query(table, m_sourceDialect, true) + whereClause(condition);
    }
    QString targetQuery(const QString& table) const { return query(table, m_targetDialect, false); }

    // The figures that differ, each as a line of the account: "column f: 1
    // NULL in the source, 4 in the target". The values are the two queries'
    // results, in order.
    QStringList differences(const std::vector<Value>& source, const std::vector<Value>& target) const;
    // What could not be compared, for the account; empty when all was.
    QString notCompared() const { return m_notCompared; }

    const std::vector<ProfileFigure>& figures() const { return m_figures; }

private:
    QString query(const QString& table, const ProfileDialect& dialect, bool source) const;
    void addColumn(const Field& source, const Field& target);
    QString difference(const ProfileFigure& f, const Value& source, const Value& target, double magnitude,
                       long long rows) const;

    const ProfileDialect& m_sourceDialect;
    const ProfileDialect& m_targetDialect;
    long long m_rowsRejected;
    std::vector<ProfileFigure> m_figures;
    QString m_notCompared;
};

}
