#include "xdb/XdbStatements.h"

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
    case 15: return QStringLiteral("VARBINARY");
    default: break;
    }
    return std::nullopt;
}

QString documentDefault(const QString& value)
{
    if (value.isEmpty())
        return value;
    QString d = value;
    if (d.startsWith(QLatin1Char('"')))
        d.remove(0, 1);
    if (d.endsWith(QLatin1Char('"')))
        d.chop(1);
    return d.isEmpty() ? QStringLiteral("' '") : d;
}

QString addFieldStatement(const QString& table, const QString& field, const QString& type, const QString& defaultValue)
{
    QString s = QStringLiteral("ALTER TABLE [") + table + QStringLiteral("] ") + QStringLiteral(" ADD [") + field +
                QStringLiteral("] ") + type;
    if (!defaultValue.isEmpty())
        s += QStringLiteral(" DEFAULT ") + defaultValue + QStringLiteral(" NULL");
    return s;
}

QString renameFieldStatement(const QString& table, const QString& oldName, const QString& newName)
{
    return QStringLiteral("sp_rename '") + table + QLatin1Char('.') + oldName + QStringLiteral("' , '") + newName +
           QStringLiteral("' , 'column'");
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

QString indexExistsQuery(ServerKind kind, const QString& table, const QString& index)
{
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

std::optional<QString> createIndexStatement(ServerKind kind, const QString& table, const QString& index,
                                            qint32 attribute, const QStringList& fields)
{
    switch (kind) {
    case ServerKind::MSSQL: {
        if (attribute & 2)
            return std::nullopt;
        QStringList bracketed;
        for (const QString& f : fields)
            bracketed << QLatin1Char('[') + f + QLatin1Char(']');
        return QStringLiteral("CREATE INDEX [") + index + QStringLiteral("] ") + QStringLiteral("ON [") + table +
               QStringLiteral("](") + bracketed.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    case ServerKind::Sybase:
        return QStringLiteral("CREATE INDEX [") + index + QStringLiteral("] ") + QStringLiteral("ON ") + table +
               QLatin1Char('(') + fields.join(QStringLiteral(", ")) + QLatin1Char(')');
    case ServerKind::MySQL:
    case ServerKind::Oracle:
    case ServerKind::DB2: return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace xdb
