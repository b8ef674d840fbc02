#include "transfer/StructureCopy.h"

namespace tw {

namespace {
QString counted(qsizetype n, const QString& one, const QString& many) {
    return QString::number(n) + u' ' + (n == 1 ? one : many);
}
}

void StructureCopy::plan(const TableStructure& source, const QString& into, const std::vector<ColumnType>& withoutIt,
                         TableAccount& account) {
    QStringList fallback;
    for (const ColumnType& t : withoutIt)
        fallback << t.text;
    m_source = source;
    m_table = targetTable(source, into, m_target, fallback);
    account.structureKept = m_table->kept;
    account.structureLeftOut = m_table->leftOut;
    account.typesChanged = m_table->changed;
}

std::vector<ValueForm> StructureCopy::forms(const std::vector<Field>& fields, std::vector<ValueForm> forms) const {
    const bool mySql = m_target.dialect == StructureTarget::Dialect::MySql;
    for (size_t j = 0; j < fields.size() && j < forms.size(); ++j) {
        for (size_t c = 0; c < m_source->columns.size(); ++c) {
            if (m_source->columns[c].name != fields[j].Name)
                continue;
            const QString& type = m_table->columnTypes[qsizetype(c)];
            if (type.startsWith(QLatin1String("BIT")))
                forms[j] = mySql ? ValueForm::BitNumber : ValueForm::Bit;
            else if (type == u"REAL" || type == u"FLOAT")
                forms[j] = ValueForm::Single;
            else
                forms[j] = ValueForm::Quoted;
        }
    }
    return forms;
}

void StructureCopy::addComments(const Send& send, TableAccount& account) const {
    QString failure;
    for (const QString& sql : m_table->afterCreate)
        if (!send(sql, failure))
            account.structureLeftOut << QStringLiteral("a comment: ") + failure;
}

void StructureCopy::addIndexes(const Send& send, TableAccount& account) const {
    qsizetype made = 0;
    QString failure;
    for (const LaterStatement& index : m_table->afterRows) {
        if (send(index.sql, failure))
            ++made;
        else
            account.structureLeftOut << index.what + QStringLiteral(": ") + failure;
    }
    if (made > 0)
        account.structureKept << counted(made, QStringLiteral("index"), QStringLiteral("indexes"));
}

void StructureCopy::tableDone(const QString& name, size_t account) {
    m_done.push_back({name, account, *m_source});
}

void StructureCopy::addForeignKeys(const Send& send, std::vector<TableAccount>& accounts) {
    const Qt::CaseSensitivity names = m_target.dialect == StructureTarget::Dialect::MySql ? Qt::CaseSensitive : Qt::CaseInsensitive;
    auto copied = [&](const QString& table) {
        return std::any_of(m_done.begin(), m_done.end(), [&](const Done& d) { return d.name.compare(table, names) == 0; });
    };
    for (const Done& done : m_done) {
        TableAccount& account = accounts[done.account];
        qsizetype made = 0;
        QString failure;
        for (const ForeignKeyStructure& key : done.source.foreignKeys) {
            const QString what = QStringLiteral("foreign key ") + key.name;
            if (!copied(key.referencedTable))
                account.structureLeftOut << what + QStringLiteral(": ") + key.referencedTable + QStringLiteral(" was not copied");
            else if (send(foreignKeyStatement(done.name, key, m_target), failure))
                ++made;
            else
                account.structureLeftOut << what + QStringLiteral(": ") + failure;
        }
        if (made > 0)
            account.structureKept << counted(made, QStringLiteral("foreign key"), QStringLiteral("foreign keys"));
    }
    m_done.clear();
}

}
