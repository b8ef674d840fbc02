#include "transfer/ExistingTable.h"

namespace tw {

namespace {
constexpr std::pair<ExistingTable, const char*> keys[] = {
    {ExistingTable::Ask, "Ask"}, {ExistingTable::Replace, "Replace"}, {ExistingTable::Append, "Append"}, {ExistingTable::Skip, "Skip"}};
}

QString existingTableKey(ExistingTable mode) {
    for (const auto& [m, key] : keys)
        if (m == mode)
            return QString::fromLatin1(key);
    return QStringLiteral("Ask");
}

ExistingTable existingTableFromKey(const QString& key) {
    for (const auto& [m, k] : keys)
        if (key == QLatin1String(k))
            return m;
    return ExistingTable::Ask;
}

}
