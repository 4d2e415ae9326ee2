#include "xdb/XdbStatements.h"
#include "derived/SqlNames.h"
#include "engine/TypeMap.h"

#include <QRegularExpression>
#include <cmath>

namespace xdb {

bool validTextSize(double size) { return size >= 1 && size <= 8000 && std::floor(size) == size; }

namespace {
bool isNumber(const QString& s)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
    return number.match(s).hasMatch();
}

// A text that is a complete SQL literal already ('abc', 'O''Brien') is taken as it is.
bool isLiteral(const QString& s)
{
    static const QRegularExpression literal(QStringLiteral("^'([^']|'')*'$"));
    return literal.match(s).hasMatch();
}
}  // namespace

std::optional<QString> documentDefault(const QString& value, int typeCode)
{
    if (value.isEmpty())
        return value;
    QString d = value;
    if (d.startsWith(QLatin1Char('"')))
        d.remove(0, 1);
    if (d.endsWith(QLatin1Char('"')))
        d.chop(1);
    switch (typeCode) {
    case 8:
    case 10:
    case 12:  // Date/Time, Text, Memo
        if (d.isEmpty())
            return QStringLiteral("' '");
        return isLiteral(d) ? d : sqlnames::literal(d);
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
        if (isNumber(d))
            return d;
        return std::nullopt;
    default: return std::nullopt;  // binary columns take no default from a document
    }
}

Built addField(const QString& table, const QString& field, int typeCode, double size, const QString& defaultValue,
               const TextOptions& o)
{
    const std::optional<QString> type = engine::sqlTypeOf(typeCode, int(size), engine::TypeUse::Document, o);
    if (!type)
        return {QString(), QStringLiteral("für den Typcode ") + QString::number(typeCode) +
                               QStringLiteral(" gibt es keinen SQL-Typ")};
    if (typeCode == 10 && !validTextSize(size))
        return {QString(), QStringLiteral("ungültige Länge ") + QString::number(size)};
    const std::optional<QString> sqlDefault = documentDefault(defaultValue, typeCode);
    if (!sqlDefault)
        return {QString(), QStringLiteral("ungültiger Standardwert ") + defaultValue};
    return {addFieldStatement(table, field, *type, *sqlDefault), QString()};
}

QString addFieldStatement(const QString& table, const QString& field, const QString& type, const QString& defaultValue)
{
    QString s = QStringLiteral("ALTER TABLE ") + sqlnames::bracketed(table) + QStringLiteral("  ADD ") +
                sqlnames::bracketed(field) + QLatin1Char(' ') + type;
    if (!defaultValue.isEmpty())
        s += QStringLiteral(" DEFAULT ") + defaultValue + QStringLiteral(" NULL");
    return s;
}

QString renameFieldStatement(const QString& table, const QString& oldName, const QString& newName)
{
    using sqlnames::inLiteral;
    return QStringLiteral("sp_rename '") + inLiteral(table) + QLatin1Char('.') + inLiteral(oldName) +
           QStringLiteral("' , '") + inLiteral(newName) + QStringLiteral("' , 'column'");
}

QString renameTableLine(const QString& oldName, const QString& newName)
{
    return QStringLiteral("Tabelle umbenennen: ") + oldName + QStringLiteral("  ->  ") + newName +
           QStringLiteral("  [noch nicht implementiert]");
}

bool indexTakenAsPresent(const TextOptions& o)
{
    return o.kind == ServerKind::Oracle || o.kind == ServerKind::DB2 || o.kind == ServerKind::MySQL;
}

QString indexExistsQuery(const TextOptions& o, const QString& tableName, const QString& indexName)
{
    const QString table = sqlnames::inLiteral(tableName);
    const QString index = sqlnames::inLiteral(indexName);
    switch (o.kind) {
    case ServerKind::MSSQL:
        // "___" also finds the index when its name carries a three-character prefix.
        return QStringLiteral("SELECT COUNT(*) ") + QStringLiteral("FROM dbo.sysindexes ") +
               QStringLiteral("INNER JOIN dbo.sysobjects ") + QStringLiteral("ON sysobjects.id = sysindexes.id ") +
               QStringLiteral("WHERE sysobjects.xtype = 'U' ") + QStringLiteral("AND sysobjects.name = '") + table +
               QStringLiteral("' ") + QStringLiteral("AND (sysindexes.name = '") + index + QStringLiteral("' ") +
               QStringLiteral("OR sysindexes.name LIKE '___") + index + QStringLiteral("')");
    case ServerKind::Sybase:
        return QStringLiteral("SELECT COUNT(*) ") + QStringLiteral("FROM SYSINDEX ") +
               QStringLiteral("INNER JOIN SYSTABLE ") + QStringLiteral("ON SYSTABLE.table_id = SYSINDEX.table_id ") +
               QStringLiteral("WHERE SYSTABLE.table_type = 'BASE' ") + QStringLiteral("AND SYSTABLE.table_name = '") +
               table + QStringLiteral("' ") + QStringLiteral("AND SYSINDEX.index_name = '") + index +
               QStringLiteral("'");
    case ServerKind::MySQL:
    case ServerKind::Oracle:
    case ServerKind::DB2: return QString();
    }
    return QString();
}

Built createIndexStatement(const TextOptions& o, const QString& table, const QString& index, qint32 attribute,
                           const QStringList& fields)
{
    switch (o.kind) {
    case ServerKind::MSSQL: {
        if (attribute & 2)
            return {};
        QStringList bracketed;
        for (const QString& f : fields)
            bracketed << sqlnames::bracketed(f);
        return {QStringLiteral("CREATE INDEX ") + sqlnames::bracketed(index) + QStringLiteral(" ON ") +
                    sqlnames::bracketed(table) + QLatin1Char('(') + bracketed.join(QStringLiteral(", ")) +
                    QLatin1Char(')'),
                QString()};
    }
    case ServerKind::Sybase: {
        // Trailing blanks of the document's columns are harmless where the name stands bare.
        const QStringList bare = QStringList(fields) << table;
        for (const QString& name : bare)
            if (!sqlnames::isPlainIdentifier(name.trimmed()))
                return {QString(), QStringLiteral("ungültiger Name")};
        return {QStringLiteral("CREATE INDEX ") + sqlnames::bracketed(index) + QStringLiteral(" ON ") + table +
                    QLatin1Char('(') + fields.join(QStringLiteral(", ")) + QLatin1Char(')'),
                QString()};
    }
    case ServerKind::MySQL:
    case ServerKind::Oracle:
    case ServerKind::DB2: return {};
    }
    return {};
}

}  // namespace xdb
