#include "BenchDatabases.h"
#include "connect/Connection.h"
#include "connect/Recordset.h"
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <thread>

namespace bench {

QString BenchProfile::text(tw::ProfileField f) const {
    auto it = m_fields.find(f);
    return it == m_fields.end() ? QString() : it->second;
}

BenchProfile servicesProfile(const QString& database, const QString& dataSourceName) {
    const QString dir = qEnvironmentVariable("TW_SERVICES_DIR");
    if (dir.isEmpty() || !QFile::exists(dir + "/mysql.conf"))
        throw std::runtime_error("TW_SERVICES_DIR does not name started services: run scripts/bench");
    QSettings conf(dir + "/mysql.conf", QSettings::IniFormat);
    BenchProfile p;
    p.setText(tw::ProfileField::Server, "127.0.0.1");
    p.setText(tw::ProfileField::Port, conf.value("port").toString());
    p.setText(tw::ProfileField::User, conf.value("user").toString());
    p.setText(tw::ProfileField::Password, conf.value("password").toString());
    p.setText(tw::ProfileField::Database, database);
    p.setText(tw::ProfileField::DataSourceName, dataSourceName);
    return p;
}

namespace {
tw::Connection openServer(const BenchProfile& profile) {
    BenchProfile server = profile;
    server.setText(tw::ProfileField::Database, "");
    tw::Connection c;
    c.Open(tw::MySQLConnectString(server));
    return c;
}

tw::Connection open(const QString& connectString, bool viaProvider) {
    tw::Connection c;
    if (viaProvider)
        c.Provider = "MSDASQL";
    c.CommandTimeout = 0;
    c.Open(connectString);
    return c;
}

// Deterministic values, so runs compare.
class RowMaker {
public:
    QStringList row(long long id) {
        const int n = int(id);
        QStringList v;
        v << QString::number(id);
        v << QString::number(int(m_random() % 20001) - 10000);
        v << decimal(qint64(m_random() % 100000000000LL) - 50000000000LL, 2);
        v << (n % 17 == 0 ? QString() : decimal(qint64(m_random() % 100000000), 4));
        v << date(n);
        v << (n % 11 == 0 ? QString() : date(n + 3));
        v << QStringLiteral("SKU-%1").arg(m_random() % 1000000, 6, 10, QChar(u'0'));
        v << names[m_random() % std::size(names)];
        v << cities[m_random() % std::size(cities)];
        v << notes[m_random() % std::size(notes)];
        return v;
    }

private:
    static QString decimal(qint64 scaled, int places) {
        const qint64 unit = places == 2 ? 100 : 10000;
        const QString sign = scaled < 0 ? "-" : "";
        const qint64 a = scaled < 0 ? -scaled : scaled;
        return sign + QString::number(a / unit) + "." + QStringLiteral("%1").arg(a % unit, places, 10, QChar(u'0'));
    }
    static QString date(int n) {
        return QStringLiteral("%1-%2-%3")
            .arg(1990 + n % 35)
            .arg(1 + n % 12, 2, 10, QChar(u'0'))
            .arg(1 + n % 28, 2, 10, QChar(u'0'));
    }
    std::mt19937_64 m_random{20170405};
    static constexpr const char* names[] = {"Anna Müller", "José García", "Li Wei", "O'Brien Ltd", "Zoë Ångström",
                                            "Kowalski & Syn", "Nakamura 中村", "Smith"};
    static constexpr const char* cities[] = {"Berlin", "São Paulo", "Kraków", "Reykjavík", "Osaka", "Lyon", "Chicago"};
    static constexpr const char* notes[] = {"", "call before delivery", "fragile", "paid in advance", "50% deposit",
                                            "back order", "gift – no invoice", "C:\\orders\\in"};
};

// Deterministic rows like an orders table's.
class WideRowMaker {
public:
    QStringList row(long long id) {
        const int n = int(id);
        QStringList v;
        v << QString::number(id);
        v << QStringLiteral("%1 %2, %3").arg(first[m_random() % std::size(first)], last[m_random() % std::size(last)],
                                             streets[m_random() % std::size(streets)]) +
                 QString(int(m_random() % 120), u'·');
        v << moment(n);
        v << QStringLiteral("%1.%2").arg(m_random() % 100000).arg(m_random() % 100, 2, 10, QChar(u'0'));
        v << statuses[m_random() % std::size(statuses)];
        v << QString::number(m_random() % 2);
        v << (n % 5 == 0 ? QString() : QString::number(m_random() % 100000));
        v << items();
        v << QStringLiteral("buyer%1@example.%2").arg(m_random() % 1000000).arg(n % 3 == 0 ? "com" : "de");
        v << (n % 4 == 0 ? QString() : moment(n + 86400));
        v << QStringLiteral("%1.%2").arg(m_random() % 1000).arg(m_random() % 1000, 3, 10, QChar(u'0'));
        v << (n % 7 == 0 ? QString() : QStringLiteral("note \"%1\" \\ ok").arg(m_random() % 1000));
        return v;
    }

private:
    QString moment(int n) {
        return QStringLiteral("2025-%1-%2 %3:%4:%5.%6")
            .arg(1 + n % 12, 2, 10, QChar(u'0'))
            .arg(1 + n % 28, 2, 10, QChar(u'0'))
            .arg(n % 24, 2, 10, QChar(u'0'))
            .arg(n % 60, 2, 10, QChar(u'0'))
            .arg((n / 60) % 60, 2, 10, QChar(u'0'))
            .arg(m_random() % 1000000, 6, 10, QChar(u'0'));
    }
    // A JSON document of 100 to 400 bytes.
    QString items() {
        QStringList lines;
        for (int i = 0, count = 1 + int(m_random() % 4); i < count; ++i)
            lines << QStringLiteral("{\"sku\": \"SKU-%1\", \"qty\": %2, \"price\": %3.%4, \"name\": \"%5\"}")
                         .arg(m_random() % 1000000, 6, 10, QChar(u'0'))
                         .arg(1 + m_random() % 9)
                         .arg(m_random() % 500)
                         .arg(m_random() % 100, 2, 10, QChar(u'0'))
                         .arg(products[m_random() % std::size(products)]);
        return u'[' + lines.join(QStringLiteral(", ")) + u']';
    }
    std::mt19937_64 m_random{20261209};
    static constexpr const char* first[] = {"Anna", "José", "Wei", "Siobhán", "Zoë", "Jan", "Yuki", "Émile"};
    static constexpr const char* last[] = {"Müller", "García", "Li", "O'Brien", "Ångström", "Kowalski", "中村"};
    static constexpr const char* streets[] = {"Hauptstraße 5, 10115 Berlin", "Rua Augusta 1200, São Paulo",
                                              "ul. Floriańska 3, Kraków", "1 Infinite Loop, Cupertino CA"};
    static constexpr const char* statuses[] = {"new", "paid", "shipped", "cancelled"};
    static constexpr const char* products[] = {"Tea, green", "Mug \\u2615", "Notebook A5", "Pen (blue)", "Café crème"};
};

QString literal(const QString& value) {
    if (value.isNull())
        return "NULL";
    return "'" + QString(value).replace("\\", "\\\\").replace("'", "''") + "'";
}
}

void recreateMySqlDatabase(const BenchProfile& profile, const QString& name) {
    tw::Connection c = openServer(profile);
    c.Execute("DROP DATABASE IF EXISTS `" + name + "`");
    c.Execute("CREATE DATABASE `" + name + "` CHARACTER SET utf8mb4 COLLATE utf8mb4_bin");
}

namespace {
QString globalValue(tw::Connection& c, const QString& variable) {
    tw::Recordset rs = c.Execute("SELECT @@GLOBAL." + variable);
    const QString value = rs.Fields(0).Value.toText();
    rs.Close();
    return value;
}
}

DefaultDurability::DefaultDurability(const BenchProfile& profile) : m_profile(profile) {
    tw::Connection c = openServer(profile);
    m_previous = globalValue(c, "innodb_flush_log_at_trx_commit");
    c.Execute("SET GLOBAL innodb_flush_log_at_trx_commit = 1");
}

DefaultDurability::~DefaultDurability() {
    try {
        openServer(m_profile).Execute("SET GLOBAL innodb_flush_log_at_trx_commit = " + m_previous);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "could not put the server's durability back: %s\n", e.what());
    }
}

namespace {
long long dirtyPages(tw::Connection& c) {
    tw::Recordset rs = c.Execute("SHOW GLOBAL STATUS LIKE 'Innodb_buffer_pool_pages_dirty'");
    const long long pages = rs.Fields(1).Value.toText().toLongLong();
    rs.Close();
    return pages;
}
}

void waitForServerWrites(const BenchProfile& profile) {
    tw::Connection c = openServer(profile);
    if (dirtyPages(c) == 0)
        return;
    const QString capacity = globalValue(c, "innodb_io_capacity"), capacityMax = globalValue(c, "innodb_io_capacity_max"),
                  dirtyShare = globalValue(c, "innodb_max_dirty_pages_pct");
    c.Execute("SET GLOBAL innodb_io_capacity_max = 100000");
    c.Execute("SET GLOBAL innodb_io_capacity = 100000");
    c.Execute("SET GLOBAL innodb_max_dirty_pages_pct = 0");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (dirtyPages(c) > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    c.Execute("SET GLOBAL innodb_max_dirty_pages_pct = " + dirtyShare);
    c.Execute("SET GLOBAL innodb_io_capacity = " + capacity);
    c.Execute("SET GLOBAL innodb_io_capacity_max = " + capacityMax);
}

void dropMySqlDatabase(const BenchProfile& profile, const QString& name) {
    openServer(profile).Execute("DROP DATABASE IF EXISTS `" + name + "`");
}

void emptyStandinFile(const QString& path) {
    QFile::remove(path + "-wal");
    QFile::remove(path + "-shm");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(("cannot empty " + path).toStdString());
}

GeneratedTable generateTable(const BenchProfile& profile, const QString& table, long long rows, TableShape shape) {
    tw::Connection c = open(tw::MySQLConnectString(profile), false);
    const bool wide = shape == TableShape::Wide;
    c.Execute("CREATE TABLE `" + table +
              (wide ? "`(id INT PRIMARY KEY, customer VARCHAR(190), placed DATETIME(6), total DECIMAL(12,2), "
                      "status ENUM('new','paid','shipped','cancelled'), gift TINYINT(1), coupon INT NULL, items JSON, "
                      "email VARCHAR(190), shipped DATETIME(6) NULL, weight DECIMAL(8,3), note VARCHAR(255) NULL)"
                    : "`(id INT PRIMARY KEY, qty INT, amount DECIMAL(12,2), rate DECIMAL(8,4), ordered DATE, shipped DATE, "
                      "code VARCHAR(12), name VARCHAR(24), city VARCHAR(20), note VARCHAR(40))"));
    GeneratedTable made;
    made.columns = wide ? 12 : 10;
    RowMaker narrowMaker;
    WideRowMaker wideMaker;
    const long long batch = 1000;
    for (long long first = 1; first <= rows; first += batch) {
        QString sql = "INSERT INTO `" + table + "` VALUES";
        for (long long id = first; id < first + batch && id <= rows; ++id) {
            const QStringList values = wide ? wideMaker.row(id) : narrowMaker.row(id);
            QStringList literals;
            for (const auto& v : values) {
                literals << literal(v);
                made.textBytes += v.toUtf8().size() + 1;
            }
            sql += (id == first ? "(" : ",(") + literals.join(",") + ")";
            ++made.rows;
        }
        c.Execute(sql);
        if (first % 100000 == 1 && rows > 200000)
            std::fprintf(stderr, "  generated %lld rows\n", first - 1);
    }
    return made;
}

long long countRows(const QString& connectString, bool viaProvider, const QString& quotedTable) {
    tw::Connection c = open(connectString, viaProvider);
    tw::Recordset rs = c.Execute("SELECT COUNT(*) FROM " + quotedTable);
    return rs.Fields(0).Value.toText().toLongLong();
}

double readAllRows(const QString& connectString, bool viaProvider, const QString& quotedTable) {
    tw::Connection c = open(connectString, viaProvider);
    const auto started = std::chrono::steady_clock::now();
    tw::Recordset rs = c.Execute("SELECT * FROM " + quotedTable);
    while (!rs.isEOF())
        rs.MoveNext();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void dropTable(const QString& connectString, bool viaProvider, const QString& quotedTable) {
    open(connectString, viaProvider).Execute("DROP TABLE " + quotedTable);
}

}
