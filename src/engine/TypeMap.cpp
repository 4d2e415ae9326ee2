#include "engine/TypeMap.h"

namespace engine {
namespace {
// Where a document's field gets another type than the table conversion gives the same code.
struct TypeDifference {
    int code;
    ServerKind kind;
    bool sibling;  // with the sibling data source (TextOptions::fremdDsn)
    const char* table;
    const char* document;
};
const TypeDifference kDocumentTypeDifferences[] = {
    // A document's Yes/No column keeps one digit, as the release's own tables have it.
    {accessdb::type::Boolean, ServerKind::Oracle, false, "FLOAT", "DECIMAL(1,0)"},
    // The sibling products hold long texts as VARCHAR on Oracle, but as CLOB on DB2, where
    // only their converted tables use VARCHAR.
    {accessdb::type::Memo, ServerKind::Oracle, true, "CLOB", "VARCHAR(2000)"},
    {accessdb::type::Memo, ServerKind::DB2, true, "VARCHAR(2000)", "CLOB(4194304)"},
};

std::optional<QString> tableType(int code, int size, const TextOptions& o)
{
    using namespace accessdb::type;
    const ServerKind k = o.kind;
    switch (code) {
    case Boolean:
        return k == ServerKind::Oracle ? QStringLiteral("FLOAT")
               : k == ServerKind::DB2  ? QStringLiteral("SMALLINT")
                                       : QStringLiteral("BIT");
    case Byte:
    case Integer:
        if (k == ServerKind::Oracle)
            return o.fremdDsn ? QStringLiteral("FLOAT") : QStringLiteral("DECIMAL");
        return QStringLiteral("SMALLINT");
    case Long:
        if (k == ServerKind::Oracle)
            return o.fremdDsn ? QStringLiteral("FLOAT") : QStringLiteral("INT");
        return k == ServerKind::DB2 ? QStringLiteral("INTEGER") : QStringLiteral("INT");
    case Currency: return QStringLiteral("MONEY");
    case Single: return QStringLiteral("REAL");
    case Double:
        switch (k) {
        case ServerKind::Sybase: return o.linuxBox ? QStringLiteral("DECIMAL") : QStringLiteral("FLOAT");
        case ServerKind::MySQL:
        case ServerKind::DB2: return QStringLiteral("DOUBLE");
        case ServerKind::MSSQL:
        case ServerKind::Oracle: return QStringLiteral("FLOAT");
        }
        break;
    case DateTime:
        return (k == ServerKind::Oracle || k == ServerKind::DB2) ? QStringLiteral("TIMESTAMP")
                                                                 : QStringLiteral("DATETIME");
    case Text: return QStringLiteral("VARCHAR(") + QString::number(size) + QStringLiteral(")");
    case LongBinary: return QStringLiteral("IMAGE");
    case Memo:
        if (k == ServerKind::Oracle)
            return QStringLiteral("CLOB");
        if (k == ServerKind::DB2)
            return o.fremdDsn ? QStringLiteral("VARCHAR(2000)") : QStringLiteral("CLOB(4194304)");
        return QStringLiteral("TEXT");
    // Without a length the servers take one byte or refuse the type; a GUID has sixteen.
    case Guid: return QStringLiteral("VARBINARY(16)");
    default: break;
    }
    return std::nullopt;
}
}  // namespace

std::optional<QString> sqlTypeOf(int code, int size, TypeUse use, const TextOptions& o)
{
    if (use == TypeUse::Document)
        for (const TypeDifference& d : kDocumentTypeDifferences)
            if (d.code == code && d.kind == o.kind && d.sibling == o.fremdDsn)
                return QString::fromUtf8(d.document);
    return tableType(code, size, o);
}

}  // namespace engine
