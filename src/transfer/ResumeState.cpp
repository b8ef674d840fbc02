#include "transfer/ResumeState.h"
#include "transfer/StateFiles.h"
#include "transfer/TransferDirection.h"
#include "transfer/TransferLog.h"
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <stdexcept>

namespace tw {

namespace {

const QString fileName = QStringLiteral("resume.json");

const char* const planNames[] = {"create", "replace", "append", "go on"};

QJsonArray arrayOf(const QStringList& list) { return QJsonArray::fromStringList(list); }

QStringList listOf(const QJsonValue& value) {
    QStringList list;
    for (const QJsonValue& item : value.toArray())
        list << item.toString();
    return list;
}

// Counts go as text: JSON's numbers are doubles.
QString countText(long long n) { return QString::number(n); }
long long countOf(const QJsonValue& value) { return value.toString().toLongLong(); }

QJsonObject pointJson(const ResumePoint& p) {
    return {{"into", p.into},
            {"replaces", p.replaces},
            {"appended", p.appended},
            {"keyColumns", arrayOf(p.keyColumns)},
            {"lastKey", arrayOf(p.lastKey)},
            {"rowsBefore", countText(p.rowsBefore)},
            {"rowsAccepted", countText(p.rowsAccepted)},
            {"rowsRefused", countText(p.rowsRefused)},
            {"rowsInDoubt", countText(p.rowsInDoubt)}};
}

ResumePoint pointOf(const QJsonObject& o) {
    return {.into = o["into"].toString(),
            .replaces = o["replaces"].toString(),
            .appended = o["appended"].toBool(),
            .keyColumns = listOf(o["keyColumns"]),
            .lastKey = listOf(o["lastKey"]),
            .rowsBefore = countOf(o["rowsBefore"]),
            .rowsAccepted = countOf(o["rowsAccepted"]),
            .rowsRefused = countOf(o["rowsRefused"]),
            .rowsInDoubt = countOf(o["rowsInDoubt"])};
}

ResumeTable::Plan planOf(const QString& name) {
    for (size_t i = 0; i < std::size(planNames); ++i)
        if (name == QLatin1String(planNames[i]))
            return ResumeTable::Plan(i);
    throw std::runtime_error("unknown plan \"" + name.toStdString() + '"');
}

}

QString ResumeState::path() { return stateFolder() + u'/' + fileName; }

QString ResumeState::save() const {
    QJsonArray list;
    for (const ResumeTable& t : tables) {
        QJsonObject table{{"name", t.name}, {"plan", QLatin1String(planNames[int(t.plan)])}};
        if (t.plan == ResumeTable::Plan::GoOn)
            table["point"] = pointJson(t.point);
        list.append(table);
    }
    const QJsonObject state{{"direction", direction},
                            {"connections", connections},
                            {"fastCopy", options.fastCopy},
                            {"verifies", options.verifies},
                            {"where", options.where},
                            {"keepStructure", options.keepStructure},
                            {"tables", list}};
    return writeStateFile(fileName, QJsonDocument(state).toJson(), false);
}

std::optional<ResumeState> ResumeState::load() {
    QFile file(path());
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error((path() + QStringLiteral(": ") + file.errorString()).toStdString());
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(file.readAll(), &error).object();
    if (error.error != QJsonParseError::NoError)
        throw std::runtime_error((path() + QStringLiteral(": ") + error.errorString()).toStdString());
    ResumeState state;
    state.direction = o["direction"].toString();
    state.connections = o["connections"].toString();
    state.options = {.fastCopy = o["fastCopy"].toBool(),
                     .verifies = o["verifies"].toBool(),
                     .existing = ExistingTable::Ask,
                     .where = o["where"].toString(),
                     .parameterArrays = true,
                     .keepStructure = o["keepStructure"].toBool()};
    for (const QJsonValue& item : o["tables"].toArray()) {
        const QJsonObject t = item.toObject();
        state.tables.push_back({.name = t["name"].toString(),
                                .plan = planOf(t["plan"].toString()),
                                .point = pointOf(t["point"].toObject())});
    }
    return state;
}

std::optional<ResumeState> ResumeState::loadFor(const ProfileFields& profile) {
    std::optional<ResumeState> state = load();
    if (state && state->connections != TransferLog::connections(profile))
        state.reset();
    return state;
}

TransferRequest ResumeState::request(const ProfileFields& profile) const {
    QStringList names;
    for (const ResumeTable& t : tables)
        names << t.name;
    return {.direction = direction == toMySql().description ? toMySql() : toIAnywhere(),
            .profile = ProfileCopy(profile),
            .tables = names,
            .targetTables = {},
            .options = options,
            .nothingChosen = false,
            .entriesLookedAt = -1,
            .resuming = tables};
}

QString ResumeState::clear() {
    QFile file(path());
    if (!file.exists() || file.remove())
        return {};
    return path() + QStringLiteral(": ") + file.errorString();
}

}
