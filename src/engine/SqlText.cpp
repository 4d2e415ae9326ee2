#include "engine/SqlText.h"
#include "engine/TypeMap.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace engine {
namespace {
const QString kDq = QStringLiteral("\"");

QString quoted(const QString& name) { return kDq + name + kDq; }

bool isOracleCheck(const QString& fieldName, ServerKind kind)
{
    return kind == ServerKind::Oracle && fieldName.toUpper() == QLatin1String("CHECK");
}
}  // namespace

QString renameColumnForKind(const QString& text, const TextOptions& o)
{
    if (o.kind != ServerKind::Oracle && o.kind != ServerKind::DB2)
        return text;
    return rt::replaceCi(text, QStringLiteral("Auftragsbestätigung_Französisch"),
                         QStringLiteral("AuftragsbestätigungFranzösisch"));
}

QString columnNameText(const QString& fieldName, const QString& tableName, const TextOptions& o)
{
    if (o.kind == ServerKind::DB2 && tableName == QLatin1String("F5SB90R"))
        return quoted(fieldName);
    switch (o.kind) {
    case ServerKind::Oracle: return isOracleCheck(fieldName, o.kind) ? quoted(QStringLiteral("CHECK")) : fieldName;
    case ServerKind::DB2: return fieldName;
    case ServerKind::MSSQL: return quoted(fieldName);
    case ServerKind::Sybase: return fieldName;
    case ServerKind::MySQL: return QStringLiteral("`") + fieldName + QStringLiteral("`");
    }
    return fieldName;
}

QString indexFieldName(const QString& fieldName, const TextOptions& o)
{
    switch (o.kind) {
    case ServerKind::Oracle:
        return isOracleCheck(fieldName, o.kind) ? quoted(QStringLiteral("CHECK")) : renameColumnForKind(fieldName, o);
    case ServerKind::DB2: return renameColumnForKind(fieldName, o);
    case ServerKind::MSSQL: return quoted(fieldName);
    case ServerKind::Sybase:
    case ServerKind::MySQL: return fieldName;
    }
    return fieldName;
}

QString insertColumnName(const QString& fieldName, const TextOptions& o)
{
    // As in an index (on Oracle the column was created as "CHECK": written bare the word is a
    // keyword and every row fails), but MySQL quotes the names of the row.
    if (o.kind == ServerKind::MySQL)
        return QStringLiteral("`") + fieldName + QStringLiteral("`");
    return indexFieldName(fieldName, o);
}

QString sqlType(const accessdb::Field& field, const TextOptions& o)
{
    if (std::optional<QString> type = sqlTypeOf(field.type, field.size, TypeUse::Table, o))
        return *type;
    throw rt::RuntimeError(
        rt::err::TypeMismatch, QStringLiteral("Konvertierung"),
        QStringLiteral("Feld '%1': für den Access-Feldtyp %2 gibt es keinen SQL-Typ").arg(field.name).arg(field.type));
}

QString SQLDefault(const accessdb::Field& Feld, bool TZ, const TextOptions& o)
{
    using namespace accessdb::type;
    QString s = Feld.defaultValue;
    if (!s.isEmpty()) {
        if (s.startsWith(u'"'))
            s.remove(0, 1);
        if (s.endsWith(u'"'))
            s.chop(1);
        if (s.isEmpty())
            s = QStringLiteral(" ");
        if (Feld.type == Boolean)
            s = s.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ? QStringLiteral("1") : QStringLiteral("0");
        if ((Feld.type == DateTime || Feld.type == Text || Feld.type == Memo) && TZ)
            // A quote inside would end the literal early and the table could not be created.
            s = QStringLiteral("'") + QString(s).replace(u'\'', QStringLiteral("''")) + QStringLiteral("'");
    }
    if (s.isEmpty()) {
        const int t = Feld.type;
        if (o.default0 && (t == Byte || t == Integer || t == Long || t == Single || t == Double))
            s = QStringLiteral("0");
        else if (o.defaultBlank && (t == Text || (t == DateTime && o.kind != ServerKind::Oracle)))
            s = TZ ? QStringLiteral("' '") : QStringLiteral(" ");
        else if (t == Boolean)
            s = QStringLiteral("0");
    }
    if (o.kind == ServerKind::DB2 && Feld.type == DateTime)
        s.clear();
    return s;
}

QString defaultClause(const accessdb::Field& field, const TextOptions& o)
{
    const QString s = SQLDefault(field, true, o);
    if (s.isEmpty())
        return QString();
    if (o.kind == ServerKind::MySQL && (field.type == accessdb::type::DateTime || field.type == accessdb::type::Memo))
        return QString();
    return (o.kind == ServerKind::DB2 ? QStringLiteral("WITH DEFAULT ") : QStringLiteral("DEFAULT ")) + s;
}

QString nullClause(const accessdb::Field& field, const TextOptions& o, const QStringList& List3)
{
    QString c;
    if (!field.required)
        c = o.kind == ServerKind::DB2 ? QString() : QStringLiteral("NULL");
    else
        c = QStringLiteral("NOT NULL");
    if (field.type == accessdb::type::Boolean)
        c = QStringLiteral("NOT NULL");
    for (const QString& key : List3)
        if (key.compare(field.name, Qt::CaseInsensitive) == 0)
            c = QStringLiteral("NOT NULL");
    return c;
}

QString columnLine(const QString& separator, const QString& nameText, const QString& type, const QString& defaultClause,
                   const QString& nullClause)
{
    return separator + nameText + u' ' + type + u' ' + defaultClause + u' ' + nullClause + u' ';
}

void addUnique(QStringList& list, const QString& item)
{
    bool present = false;
    for (const QString& e : list)
        if (e.compare(item, Qt::CaseInsensitive) == 0)
            present = true;
    if (!present)
        list << item;
}

QStringList keyFields(const accessdb::TableDef& table, const QList<accessdb::Relation>& relations)
{
    QStringList keys;
    for (const accessdb::Index& ix : table.indexes)
        if (ix.primary || ix.name.compare(QLatin1String("primarykey"), Qt::CaseInsensitive) == 0)
            for (const QString& f : ix.fields)
                addUnique(keys, f);
    for (const accessdb::Relation& r : relations) {
        if (r.table.compare(table.name, Qt::CaseInsensitive) == 0)
            for (const accessdb::RelationField& f : r.fields)
                addUnique(keys, f.name);
        if (r.foreignTable.compare(table.name, Qt::CaseInsensitive) == 0 && (r.attributes & accessdb::kRelationUnique))
            for (const accessdb::RelationField& f : r.fields)
                addUnique(keys, f.foreignName);
    }
    if (keys.isEmpty()) {
        for (const accessdb::Index& ix : table.indexes) {
            if (ix.unique) {
                for (const QString& f : ix.fields)
                    addUnique(keys, f);
                break;
            }
        }
    }
    return keys;
}

QString identityColumnLine(const TextOptions& o)
{
    switch (o.kind) {
    case ServerKind::DB2:
        return kIdentityName + QStringLiteral(" INTEGER NOT NULL GENERATED ALWAYS AS IDENTITY (START WITH 0, "
                                              "INCREMENT BY 1, NO CACHE ) PRIMARY KEY");
    case ServerKind::MSSQL: return kIdentityName + QStringLiteral(" int IDENTITY (1,1) PRIMARY KEY");
    case ServerKind::Sybase: return kIdentityName + QStringLiteral(" numeric IDENTITY PRIMARY KEY");
    case ServerKind::MySQL: return kIdentityName + QStringLiteral(" INT NOT NULL auto_increment PRIMARY KEY");
    case ServerKind::Oracle: return kIdentityName + QStringLiteral(" NUMBER(10,0) PRIMARY KEY");
    }
    return QString();
}

bool identityJoinsKeyList(const TextOptions& o) { return o.kind == ServerKind::Sybase || o.kind == ServerKind::MySQL; }

QString timeStamp12(const QDateTime& t) { return t.toString(QStringLiteral("yyMMddhhmmss")); }

QString oracleSequenceName(const QString& table, const QDateTime& t)
{
    return QStringLiteral("SEQ_") + rt::right(table + timeStamp12(t), 26);
}

QString oracleTriggerName(const QString& table) { return QStringLiteral("TRG_") + rt::right(table, 26); }

QStringList oracleTriggerDisplayLines(const QString& table)
{
    return {QStringLiteral("CREATE TRIGGER ") + oracleTriggerName(table),
            QStringLiteral("BEFORE INSERT OR UPDATE ON ") + table, QStringLiteral("FOR EACH ROW")};
}

QString oracleTriggerStatement(const QString& table, const QString& sequenceName)
{
    return QStringLiteral("CREATE TRIGGER ") + oracleTriggerName(table) +
           QStringLiteral(" BEFORE INSERT OR UPDATE ON ") + table + QStringLiteral(" FOR EACH ROW DECLARE  iCounter ") +
           table +
           QStringLiteral(
               ".AutoWertIdentität%TYPE;  cannot_change_counter EXCEPTION; BEGIN  IF INSERTING THEN  Select ") +
           sequenceName +
           QStringLiteral(".NEXTVAL INTO iCounter FROM Dual; :new.AutoWertIdentität :=iCounter; END IF; IF UPDATING "
                          "THEN IF NOT (:new.AutoWertIdentität = :old.AutoWertIdentität) THEN RAISE "
                          "cannot_change_counter; END IF; END IF; EXCEPTION WHEN cannot_change_counter THEN "
                          "raise_application_error(-20000, 'Cannot Change Counter Value'); END;");
}

QString keyConstraintBaseName(const QString& table, const TextOptions& o)
{
    return QStringLiteral("prim") + rt::left(table, o.kind == ServerKind::DB2 ? 14 : 26);
}

QString keyConstraintHead(const QString& constraintName, const TextOptions& o)
{
    if (o.kind == ServerKind::MSSQL)
        return QStringLiteral("CONSTRAINT ") + quoted(constraintName) + QStringLiteral(" PRIMARY KEY(");
    return QStringLiteral("CONSTRAINT ") + constraintName + QStringLiteral(" PRIMARY KEY(");
}

QString keyConstraint(const QString& constraintName, const QStringList& keyList, const TextOptions& o)
{
    QStringList names;
    for (const QString& k : keyList)
        names << (o.kind == ServerKind::MSSQL ? quoted(k) : k);
    return keyConstraintHead(constraintName, o) + names.join(u',') + u')';
}

QString joinTableStatement(const QStringList& lines, const TextOptions& o)
{
    QString s;
    for (const QString& line : lines)
        s += renameColumnForKind(line, o);
    return s;
}

QStringList indexStatementLines(const QString& table, const accessdb::Index& index, const TextOptions& o,
                                qint32& counter, const QDateTime& now)
{
    QString n = o.kind == ServerKind::Oracle ? table + index.name + timeStamp12(now) : index.name;
    n = rt::right(n, 30);
    QStringList lines;
    const QString on = QStringLiteral(" ON ") + table;
    switch (o.kind) {
    case ServerKind::Oracle:
        ++counter;
        lines << QStringLiteral("CREATE INDEX ") + kDq + rt::format000(counter) + rt::left(n, 27) + kDq + on;
        break;
    case ServerKind::MSSQL:
        ++counter;
        lines << QStringLiteral("CREATE INDEX ") + kDq + rt::left(n, 30) + kDq + on;
        break;
    case ServerKind::DB2:
        ++counter;
        lines << QStringLiteral("CREATE INDEX ") + kDq + rt::format000(counter) + rt::left(n, 15) + kDq + on;
        break;
    case ServerKind::Sybase: lines << QStringLiteral("CREATE INDEX ") + rt::left(n, 30) + on; break;
    case ServerKind::MySQL:
        lines << QStringLiteral("CREATE INDEX ") + rt::left(QString(n).replace(u'-', u'_'), 30) + on;
        break;
    }
    QString sep = QStringLiteral("(");
    for (const QString& f : index.fields) {
        lines << sep + indexFieldName(f, o);
        sep = QStringLiteral(",");
    }
    lines << QStringLiteral(")");
    return lines;
}

QString rowCountStatement(const QString& table, const TextOptions& o)
{
    if (o.kind == ServerKind::MySQL)
        return QStringLiteral("SELECT COUNT(*) FROM `") + table + u'`';
    return QStringLiteral("SELECT COUNT(*) FROM ") + table;
}

}  // namespace engine
