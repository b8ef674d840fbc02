#include "transfer/TransferLog.h"
#include "transfer/StateFiles.h"
#include "transfer/TransferDirection.h"
#include <QDateTime>
#include <atomic>

namespace tw {

namespace {
QString onOff(bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); }
}

bool TransferLog::firstTrouble() {
    static std::atomic<bool> told{false};
    return !told.exchange(true);
}

QString TransferLog::path() { return stateFolder() + QStringLiteral("/transfers.log"); }

QString TransferLog::connections(const ProfileFields& p) {
    return QStringLiteral("MySQL: %1:%2, user %3, database %4\n")
               .arg(p.text(ProfileField::Server), p.text(ProfileField::Port), p.text(ProfileField::User),
                    p.text(ProfileField::Database)) +
           QStringLiteral("iAnywhere: data source %1\n").arg(p.text(ProfileField::DataSourceName));
}

QString TransferLog::entry(const TransferRequest& request, const TransferAccount& account) {
    const ProfileFields& p = request.profile;
    const TransferOptions& o = request.options;
    QString text = QStringLiteral("=== ") + QDateTime::currentDateTimeUtc().toString(Qt::ISODate) + u'\n';
    text += connections(p);
    text += QStringLiteral("Options: fast copy %1, types and keys kept %2, check %3, existing tables: %4")
                .arg(onOff(o.fastCopy), onOff(o.keepStructure), onOff(o.verifies),
                     o.existing == ExistingTable::Fail ? QStringLiteral("Fail") : existingTableKey(o.existing));
    if (!o.where.isEmpty())
        text += QStringLiteral(", rows where ") + o.where;
    return text + u'\n' + account.details() + u'\n';
}

QString TransferLog::append(const TransferRequest& request, const TransferAccount& account) {
    return writeStateFile(QStringLiteral("transfers.log"), entry(request, account).toUtf8(), true);
}

}
