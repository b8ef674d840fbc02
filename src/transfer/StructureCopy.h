#pragma once
#include "connect/Field.h"
#include "schema/StructureStatements.h"
#include "transfer/Literals.h"
#include "transfer/TransferAccount.h"
#include "transfer/TypeMaps.h"
#include <functional>
#include <optional>
#include <vector>

namespace tw {

// A transfer's tables created as their sources are: each table's CREATE
// TABLE, comments and indexes, and, once every table is copied, the foreign
// keys between them. Statements go through send, which gives the target's
// message when one fails.
class StructureCopy {
public:
    using Send = std::function<bool(const QString& sql, QString& failure)>;

    explicit StructureCopy(StructureTarget target) : m_target(target) {}

    // This table's target, from its source's structure; the column types
    // of the transfer without this option stand in where the target has no
    // counterpart. The account says what it keeps and leaves out.
    void plan(const TableStructure& source, const QString& into, const std::vector<ColumnType>& withoutIt, TableAccount& account);
    const TargetTable& target() const { return *m_table; }
    // How each of the reader's columns is written.
    std::vector<ValueForm> forms(const std::vector<Field>& fields, std::vector<ValueForm> withoutIt) const;

    // The table's comments set by statements of their own.
    void addComments(const Send& send, TableAccount& account) const;
    // Its rows are in: its indexes follow.
    void addIndexes(const Send& send, TableAccount& account) const;
    // The table is the target's now, under its own name; its foreign keys
    // wait for every table.
    void tableDone(const QString& name, size_t account);
    // The foreign keys between the tables this transfer created; one to
    // a table it did not copy is left out.
    void addForeignKeys(const Send& send, std::vector<TableAccount>& accounts);

private:
    const StructureTarget m_target;
    std::optional<TableStructure> m_source;
    std::optional<TargetTable> m_table;
    struct Done {
        QString name;
        size_t account;
        TableStructure source;
    };
    std::vector<Done> m_done;
};

}
