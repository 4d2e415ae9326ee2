#include "xdb/XdbStatements.h"
#include "derived/SqlNames.h"

#include <QRegularExpression>
#include <cmath>

namespace xdb {

std::optional<QString> columnType(int typeCode, int size, ServerKind kind, bool linuxChecked, bool sibling)
{
    using K = ServerKind;
    switch (typeCode) {
    case 1:  // Yes/No; MySQL and Sybase as the table conversion does it
        switch (kind) {
        case K::MSSQL:
        case K::MySQL:
        case K::Sybase: return QStringLiteral("BIT");
        case K::Oracle: return sibling ? QStringLiteral("FLOAT") : QStringLiteral("DECIMAL(1,0)");
        case K::DB2: return QStringLiteral("SMALLINT");
        }
        break;
    case 2:
    case 3:  // Byte, Integer
        if (kind == K::Oracle)
            return sibling ? QStringLiteral("FLOAT") : QStringLiteral("DECIMAL");
        return QStringLiteral("SMALLINT");
    case 4:  // Long
        if (kind == K::Oracle)
            return sibling ? QStringLiteral("FLOAT") : QStringLiteral("INT");
        return kind == K::DB2 ? QStringLiteral("INTEGER") : QStringLiteral("INT");
    case 5: return QStringLiteral("MONEY");
    case 6: return QStringLiteral("REAL");
    case 7:  // Double
        switch (kind) {
        case K::MSSQL:
        case K::Oracle: return QStringLiteral("FLOAT");
        case K::MySQL:
        case K::DB2: return QStringLiteral("DOUBLE");
        case K::Sybase: return linuxChecked ? QStringLiteral("DECIMAL") : QStringLiteral("FLOAT");
        }
        break;
    case 8:  // Date/Time; MySQL as the table conversion does it
        return (kind == K::Oracle || kind == K::DB2) ? QStringLiteral("TIMESTAMP") : QStringLiteral("DATETIME");
    case 10: return QStringLiteral("VARCHAR(") + QString::number(size) + QLatin1Char(')');
    case 11: return QStringLiteral("IMAGE");
    case 12:  // Memo; MySQL as the table conversion does it
        switch (kind) {
        case K::MSSQL:
        case K::MySQL:
        case K::Sybase: return QStringLiteral("TEXT");
        case K::Oracle: return sibling ? QStringLiteral("VARCHAR(2000)") : QStringLiteral("CLOB");
        case K::DB2: return QStringLiteral("CLOB(4194304)");
        }
        break;
    case 15: return QStringLiteral("VARBINARY(16)");  // without a length it holds one byte, or is refused
    default: break;
    }
    return std::nullopt;
}

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
               ServerKind kind, bool linuxChecked, bool sibling)
{
    const std::optional<QString> type = columnType(typeCode, int(size), kind, linuxChecked, sibling);
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

bool indexTakenAsPresent(ServerKind kind)
{
    return kind == ServerKind::Oracle || kind == ServerKind::DB2 || kind == ServerKind::MySQL;
}

QString indexExistsQuery(ServerKind kind, const QString& tableName, const QString& indexName)
{
    const QString table = sqlnames::inLiteral(tableName);
    const QString index = sqlnames::inLiteral(indexName);
    switch (kind) {
    case ServerKind::MSSQL:
        // "___" also finds the index when its name carries a three-character prefix.
        return QStringLiteral("SELECT COUNT(*) ") + QStringLiteral("FROM dbo.sysindexes ") +
               QStringLiteral("INNER JOIN dbo.sysobjects ") + QStringLiteral("ON sysobjects.id = sysindexes.id ") +
               QStringLiteral("WHERE sysobjects.xtype = 'U' ") + QStringLiteral("AND sysobjects.name = '") + table +
               QStringLiteral("' ") + QStringLiteral("AND (sysindexes.name = '") + index + QStringLiteral("' ") +
               QStringLiteral("OR sysindexes.name LIKE '___") + index + QStringLiteral("')");
    case ServerKind::Sybase:
        return QStringLiteral("SELECT COUNT(*) ") + QStringLiteral("FROM SYSINDEX ") + QStringLiteral("INNER JOIN SYSTABLE ") +
               QStringLiteral("ON SYSTABLE.table_id = SYSINDEX.table_id ") +
               QStringLiteral("WHERE SYSTABLE.table_type = 'BASE' ") + QStringLiteral("AND SYSTABLE.table_name = '") +
               table + QStringLiteral("' ") + QStringLiteral("AND SYSINDEX.index_name = '") + index + QStringLiteral("'");
    case ServerKind::MySQL:
    case ServerKind::Oracle:
    case ServerKind::DB2: return QString();
    }
    return QString();
}

Built createIndexStatement(ServerKind kind, const QString& table, const QString& index, qint32 attribute,
                           const QStringList& fields)
{
    switch (kind) {
    case ServerKind::MSSQL: {
        if (attribute & 2)
            return {};
        QStringList bracketed;
        for (const QString& f : fields)
            bracketed << sqlnames::bracketed(f);
        return {QStringLiteral("CREATE INDEX ") + sqlnames::bracketed(index) + QStringLiteral(" ON ") +
                    sqlnames::bracketed(table) + QLatin1Char('(') + bracketed.join(QStringLiteral(", ")) + QLatin1Char(')'),
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
