#include "transfer/TransferDirection.h"

namespace tw {

const DatabaseSide& mySqlSide() {
    static const DatabaseSide side{.quote = u'`',
                                   .viaProvider = false,
                                   .connectString = MySQLConnectString,
                                   .bytes = LiteralSyntax::Bytes::XQuoted,
                                   .backslashEscapes = true,
                                   .readsSqlMode = true,
                                   .readsKeyChunks = true,
                                   .multiRowInsert = true,
                                   .namesIgnoreCase = false,
                                   .renameKeyword = QStringLiteral("RENAME TABLE "),
                                   .renameSeparator = QStringLiteral(" TO "),
                                   .profile = {.quote = u'`',
                                               .characters = QStringLiteral("CHAR_LENGTH(%1)"),
                                               .bytes = QStringLiteral("LENGTH(%1)"),
                                               .exactCast = QStringLiteral("CAST(%1 AS DECIMAL(%2,%3))"),
                                               .widestExact = 65,
                                               .widestScale = 30,
                                               .doubleCast = QStringLiteral("CAST(%1 AS DOUBLE)"),
                                               .integerCast = QStringLiteral("CAST(%1 AS SIGNED)")},
                                   .readStructure = readMySqlStructure,
                                   .shortenedIndexes = readShortenedIndexes,
                                   .dialect = StructureTarget::Dialect::MySql};
    return side;
}

const DatabaseSide& iAnywhereSide() {
    static const DatabaseSide side{.quote = u'"',
                                   .viaProvider = true,
                                   .connectString = SybaseConnectString,
                                   .bytes = LiteralSyntax::Bytes::ZeroX,
                                   .backslashEscapes = true,
                                   .readsSqlMode = false,
                                   .readsKeyChunks = false,
                                   .multiRowInsert = false,
                                   .namesIgnoreCase = true,
                                   .renameKeyword = QStringLiteral("ALTER TABLE "),
                                   .renameSeparator = QStringLiteral(" RENAME "),
                                   .profile = {.quote = u'"',
                                               .characters = QStringLiteral("LENGTH(%1)"),
                                               .bytes = QStringLiteral("BYTE_LENGTH(%1)"),
                                               .exactCast = QStringLiteral("CAST(%1 AS NUMERIC(%2,%3))"),
                                               .widestExact = 127,
                                               .widestScale = 127,
                                               .doubleCast = QStringLiteral("CAST(%1 AS DOUBLE)"),
                                               .integerCast = QStringLiteral("CAST(%1 AS INTEGER)")},
                                   .readStructure = readIAnywhereStructure,
                                   .shortenedIndexes = nullptr,
                                   .dialect = StructureTarget::Dialect::IAnywhere};
    return side;
}

const TransferDirection& toIAnywhere() {
    static const TransferDirection d{
        .procedure = QStringLiteral("PushButton3_Click"),
        .description = QStringLiteral("MySQL to iAnywhere"),
        .source = mySqlSide(),
        .target = iAnywhereSide(),
        .creationOrder = {DataObject::Source, DataObject::Reader, DataObject::Target},
        .sourceOpensFirst = false,
        .timeoutSeconds = 5000,
        .noCurrentMessage = QStringLiteral("Please select a table"),
        .yieldPerTable = true,
        .lowerCaseTargetNames = true,
        .createTableEnd = QStringLiteral(")"),
        .columnType = iAnywhereColumnType,
        .fitRow = nullptr,
        .endOrder = {EndStep::CloseSource, EndStep::CloseTarget, EndStep::Arrow},
        .lines = {.firstYield = 106, .noCurrent = 108, .noCurrentMessage = 304, .hourglass = 110,
         .firstSetup = 112,
         .tableYield = 132, .selected = 134, .name = 136, .contains = 138, .question = 140, .noQuestion = 142,
         .drop = 148, .listRemove = 150, .openReader = 152,
         .createStart = 154, .columnYield = 160, .columnEntry = 166, .createEnd = 198, .executeCreate = 204,
         .rowBound = 212, .rowYield = 218, .progress = 222, .insertStart = 224, .valueYield = 228, .value = 232,
         .insertEnd = 268, .executeInsert = 278, .moveNext = 280,
         .progressZero = 284, .closeReader = 286, .addItem = 288,
         .firstEnd = 298}};
    return d;
}

const TransferDirection& toMySql() {
    static const TransferDirection d{
        .procedure = QStringLiteral("PushButton4_Click"),
        .description = QStringLiteral("iAnywhere to MySQL"),
        .source = iAnywhereSide(),
        .target = mySqlSide(),
        .creationOrder = {DataObject::Target, DataObject::Source, DataObject::Reader},
        .sourceOpensFirst = true,
        .timeoutSeconds = 0,
        .noCurrentMessage = QStringLiteral("Please select a table to send."),
        .yieldPerTable = false,
        .lowerCaseTargetNames = false,
        // Whatever the database's default, created tables hold any text.
        .createTableEnd = QStringLiteral(") CHARACTER SET utf8mb4;"),
        .columnType = mySqlColumnType,
        .fitRow = fitMySqlRow,
        .endOrder = {EndStep::Arrow, EndStep::CloseTarget, EndStep::CloseSource},
        .lines = {.firstYield = 106, .noCurrent = 110, .noCurrentMessage = 274, .hourglass = 112,
         .firstSetup = 114,
         .tableYield = 0, .selected = 126, .name = 128, .contains = 130, .question = 132, .noQuestion = 134,
         .drop = 140, .listRemove = 142, .openReader = 144,
         .createStart = 146, .columnYield = 150, .columnEntry = 156, .createEnd = 200, .executeCreate = 206,
         .rowBound = 214, .rowYield = 218, .progress = 220, .insertStart = 222, .valueYield = 226, .value = 230,
         .insertEnd = 242, .executeInsert = 248, .moveNext = 250,
         .progressZero = 254, .closeReader = 256, .addItem = 258,
         .firstEnd = 268}};
    return d;
}

}
