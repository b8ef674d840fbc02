#pragma once
#include "connect/ConnectionProfile.h"
#include "connect/Field.h"
#include "schema/StructureReaders.h"
#include "schema/StructureStatements.h"
#include "transfer/Literals.h"
#include "transfer/TableProfile.h"
#include "transfer/TypeMaps.h"
#include <QString>
#include <array>

namespace tw {

// What belongs to one database, whichever way a transfer runs.
struct DatabaseSide {
    QChar quote;  // encloses table and column names
    bool viaProvider;  // Provider "MSDASQL" before the open
    QString (*connectString)(const ProfileFields&);
    LiteralSyntax::Bytes bytes;
    // Whether string literals read backslash escapes: always for iAnywhere;
    // for MySQL it depends on the server's sql_mode, read after the open.
    bool backslashEscapes;
    bool readsSqlMode;
    // Whether a table is read a chunk at a time in key order (MySQL's row
    // comparisons and LIMIT), since the driver holds each result whole.
    bool readsKeyChunks;
    bool multiRowInsert;  // INSERT takes many rows (SQL Anywhere before 17 takes one)
    bool namesIgnoreCase;  // "Beta2" and "beta2" name one table
    // RENAME TABLE `a` TO `b`; ALTER TABLE "a" RENAME "b"
    QString renameKeyword, renameSeparator;
    ProfileDialect profile;  // how the check's aggregates are written
    // A table's types and keys: how its catalogue is read, and whose
    // statements create them.
    TableStructure (*readStructure)(Connection&, const QString& table, Yield* whileWaiting);
    // The indexes it made on part of a column only, as a target; may be null.
    QStringList (*shortenedIndexes)(Connection&, const QString& table, Yield* whileWaiting);
    StructureTarget::Dialect dialect;
};

const DatabaseSide& mySqlSide();
const DatabaseSide& iAnywhereSide();

// The line numbers that the error box reports for each step.
struct TransferLines {
    int firstYield, noCurrent, noCurrentMessage, hourglass;
    int firstSetup;  // connection properties and the opens take the lines from here on
    int tableYield, selected, name, contains, question, noQuestion, drop, listRemove, openReader;
    int createStart, columnYield, columnEntry, createEnd, executeCreate;
    int rowBound, rowYield, progress, insertStart, valueYield, value, insertEnd, executeInsert, moveNext;
    int progressZero, closeReader, addItem;
    int firstEnd;  // the end steps take the lines from here on
};

enum class DataObject { Source, Reader, Target };
enum class EndStep { CloseSource, CloseTarget, Arrow };

// Everything in which the two transfers differ.
struct TransferDirection {
    QString procedure;
    QString description;  // "MySQL to iAnywhere", for the account
    const DatabaseSide& source;
    const DatabaseSide& target;
    std::array<DataObject, 3> creationOrder;  // at lines 100, 102, 104
    bool sourceOpensFirst;
    int timeoutSeconds;  // command and connection timeouts; 0 keeps the defaults
    QString noCurrentMessage;
    bool yieldPerTable;
    bool lowerCaseTargetNames;
    QString createTableEnd;
    ColumnType (*columnType)(const QString& typeKey, const Field& field);
    void (*fitRow)(std::vector<ColumnType>& types);  // the whole table's types, once chosen; may be null
    std::array<EndStep, 3> endOrder;
    TransferLines lines;

    QString targetListName(const QString& table) const { return lowerCaseTargetNames ? table.toLower() : table; }
};

const TransferDirection& toIAnywhere();
const TransferDirection& toMySql();

}
