#pragma once
#include "connect/ConnectionProfile.h"
#include <QString>
#include <map>

namespace bench {

// The connection window's fields, set by the benchmark.
class BenchProfile : public tw::ProfileFields {
public:
    QString text(tw::ProfileField f) const override;
    void setText(tw::ProfileField f, const QString& t) override { m_fields[f] = t; }

private:
    std::map<tw::ProfileField, QString> m_fields;
};

// The private MariaDB of scripts/services, as $TW_SERVICES_DIR/mysql.conf
// describes it, with the stand-in data source the bench script set up.
BenchProfile servicesProfile(const QString& database, const QString& dataSourceName);

// Drops and creates a MySQL database on the private server.
void recreateMySqlDatabase(const BenchProfile& profile, const QString& name);
void dropMySqlDatabase(const BenchProfile& profile, const QString& name);

// The private server runs its tests with relaxed durability; for as long as
// this lives, it commits as a user's server does by default (every commit
// flushed to disk), and afterwards it is put back as it was.
class DefaultDurability {
public:
    explicit DefaultDurability(const BenchProfile& profile);
    ~DefaultDurability();
    DefaultDurability(const DefaultDurability&) = delete;
    DefaultDurability& operator=(const DefaultDurability&) = delete;

private:
    const BenchProfile& m_profile;
    QString m_previous;
};

// Waits until MariaDB has written every page it holds changed: after a load
// it writes them in the background at its own pace, for a minute or more,
// and a timed run after it would share the disk with that writing. For the
// wait the server writes them as fast as the disk takes them; then it is
// put back as it was.
void waitForServerWrites(const BenchProfile& profile);

// Empties the stand-in's database file.
void emptyStandinFile(const QString& path);

struct GeneratedTable {
    long long rows = 0;
    int columns = 0;
    long long textBytes = 0;  // every value's text in UTF-8, plus one separator each
};

// The two tables the benchmark copies: a narrow one of integers, decimals,
// dates and short texts; and a wide one like an orders table, with long
// texts, moments to the microsecond, an ENUM, a flag and a JSON document.
enum class TableShape { Narrow, Wide };

// Creates `table` in the profile's MySQL database and fills it with rows
// of that shape, some of their values NULL.
GeneratedTable generateTable(const BenchProfile& profile, const QString& table, long long rows, TableShape shape);

// SELECT COUNT(*) of a table over a connection string.
long long countRows(const QString& connectString, bool viaProvider, const QString& quotedTable);

// Seconds to read every row of a table through the data-access layer, as
// the transfer's own reader and its check read them.
double readAllRows(const QString& connectString, bool viaProvider, const QString& quotedTable);

// Drops a table over a connection string.
void dropTable(const QString& connectString, bool viaProvider, const QString& quotedTable);

}
