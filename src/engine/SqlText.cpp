#include "engine/SqlText.h"
#include "engine/TypeMap.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cstdio>

namespace engine {
namespace {
const QString kDq = QStringLiteral("\"");

QString quoted(const QString& name) { return kDq + name + kDq; }

bool isOracleCheck(const QString& fieldName, ServerKind kind)
{
    return kind == ServerKind::Oracle && fieldName.toUpper() == QLatin1String("CHECK");
}

// Binary values as literals the server reads as bytes.
QString binaryLiteral(const QByteArray& bytes, const TextOptions& o)
{
    const QString hex = QString::fromLatin1(bytes.toHex().toUpper());
    if (o.sqliteTarget)  // SQLite reads 0x... as a number and refuses the longer ones
        return QStringLiteral("X'") + hex + QStringLiteral("'");
    switch (o.kind) {
    case ServerKind::MSSQL:
    case ServerKind::Sybase: return QStringLiteral("0x") + hex;
    case ServerKind::MySQL: return QStringLiteral("X'") + hex + QStringLiteral("'");
    case ServerKind::Oracle: return QStringLiteral("HEXTORAW('") + hex + QStringLiteral("')");
    case ServerKind::DB2: return QStringLiteral("BLOB(X'") + hex + QStringLiteral("')");
    }
    return hex;
}

// A default that stands in for a missing date, as Access stores it: #m/d/yyyy#, dd.mm.yyyy or
// yyyy-mm-dd, optionally with a time. Anything else (a blank, Date(), Now()) is no date.
bool parseDefaultDate(QString s, QDateTime& out)
{
    s = s.trimmed();
    if (s.startsWith(u'='))
        s = s.mid(1).trimmed();
    const bool hashed = s.startsWith(u'#') && s.endsWith(u'#') && s.size() > 2;
    if (hashed)
        s = s.mid(1, s.size() - 2).trimmed();
    static const char* const dateFormats[] = {"d.M.yyyy", "yyyy-M-d", "M/d/yyyy"};
    static const char* const timeFormats[] = {"", " H:mm:ss", " H:mm"};
    for (const char* df : dateFormats) {
        if (!hashed && QLatin1String(df) == QLatin1String("M/d/yyyy"))
            continue;  // only Access's own literals are month first
        for (const char* tf : timeFormats) {
            const QDateTime dt = QDateTime::fromString(s, QLatin1String(df) + QLatin1String(tf));
            if (dt.isValid()) {
                out = dt;
                return true;
            }
        }
    }
    return false;
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
    case ServerKind::Oracle:
        return isOracleCheck(fieldName, o.kind) ? quoted(QStringLiteral("CHECK")) : fieldName;
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
    throw rt::RuntimeError(rt::err::TypeMismatch, QStringLiteral("Konvertierung"),
                           QStringLiteral("Feld '%1': für den Access-Feldtyp %2 gibt es keinen SQL-Typ")
                               .arg(field.name)
                               .arg(field.type));
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
            s = s.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ? QStringLiteral("1")
                                                                          : QStringLiteral("0");
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

QString columnLine(const QString& separator, const QString& nameText, const QString& type,
                   const QString& defaultClause, const QString& nullClause)
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
    return QStringLiteral("CREATE TRIGGER ") + oracleTriggerName(table) + QStringLiteral(" BEFORE INSERT OR UPDATE ON ") +
           table + QStringLiteral(" FOR EACH ROW DECLARE  iCounter ") + table +
           QStringLiteral(".AutoWertIdentität%TYPE;  cannot_change_counter EXCEPTION; BEGIN  IF INSERTING THEN  Select ") +
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

bool isThisMachinesRecord(qint64 counter, int textMax, int textMod)
{
    return counter % textMax == textMax - textMod;
}

namespace {
// A short piece of an INSERT, written into a stack buffer and appended in one go: the data copy
// makes several per row, so no temporary strings.
class Piece {
public:
    void put(char16_t c) { buf_[n_++] = c; }
    void put(const char* ascii)
    {
        while (*ascii)
            buf_[n_++] = char16_t(static_cast<unsigned char>(*ascii++));
    }
    // Right("0" & n, 2)
    void twoDigits(int v)
    {
        if (v >= 0 && v <= 99) {
            put(char16_t(u'0' + v / 10));
            put(char16_t(u'0' + v % 10));
        } else {
            lastOf("0", v, 2);
        }
    }
    // Four digits, zero-padded below 1000 (632 is "0632", never "9632").
    void year(int v)
    {
        if (v >= 0 && v <= 9999) {
            twoDigits(v / 100);
            twoDigits(v % 100);
        } else {
            lastOf("19", v, 4);
        }
    }
    void appendTo(TextBuffer& out) const { out.append(buf_, size_t(n_)); }

private:
    void lastOf(const char* prefix, int v, int count)
    {
        char tmp[24];
        const int len = std::snprintf(tmp, sizeof tmp, "%s%d", prefix, v);
        put(tmp + std::max(0, len - count));
    }
    char16_t buf_[48];
    int n_ = 0;
};

// The opening quote (Oracle: TIMESTAMP') and the calendar date, with dashes between the parts
// or without.
void putDate(Piece& p, int year, int month, int day, ServerKind kind, bool dashes)
{
    p.put(kind == ServerKind::Oracle ? "TIMESTAMP'" : "'");
    p.year(year);
    if (dashes)
        p.put(u'-');
    p.twoDigits(month);
    if (dashes)
        p.put(u'-');
    p.twoDigits(day);
}

void appendDateValue(TextBuffer& out, int year, int month, int day, ServerKind kind)
{
    Piece p;
    putDate(p, year, month, day, kind, kind == ServerKind::Oracle || kind == ServerKind::DB2);
    if (kind == ServerKind::Oracle)
        p.put(" 00:00:00");
    else if (kind == ServerKind::DB2)
        p.put("-00.00.00");
    p.put(u'\'');
    p.appendTo(out);
}

void appendDateTimeValue(TextBuffer& out, int year, int month, int day, int hour, int minute, int second,
                         ServerKind kind)
{
    Piece p;
    putDate(p, year, month, day, kind, kind != ServerKind::MSSQL);
    const char16_t timeSep = kind == ServerKind::DB2 ? u'.' : u':';
    p.put(kind == ServerKind::DB2 ? u'-' : u' ');
    p.twoDigits(hour);
    p.put(timeSep);
    p.twoDigits(minute);
    p.put(timeSep);
    p.twoDigits(second);
    p.put(u'\'');
    p.appendTo(out);
}

// A value's text with quotes doubled and NUL characters as blanks; numbers take the decimal
// point; Sybase drops the right single quotation mark from texts.
struct Escaping {
    bool decimalPoint = false;
    bool dropRightQuote = false;
};

void appendEscaped(TextBuffer& out, QStringView s, Escaping e)
{
    const char16_t* p = s.utf16();
    const qsizetype n = s.size();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c != u'\'' && c != 0 && !(e.decimalPoint && c == u',') && !(e.dropRightQuote && c == 0x2019))
            continue;
        out.append(p + runStart, size_t(i - runStart));
        switch (c) {
        case u'\'': out.append(u"''"); break;
        case 0: out.push_back(u' '); break;
        case u',': out.push_back(u'.'); break;
        default: break;   // the dropped quotation mark
        }
        runStart = i + 1;
    }
    out.append(p + runStart, size_t(n - runStart));
}
}  // namespace

bool appendInsertValue(TextBuffer& out, const accessdb::Field& field, const accessdb::Value& value,
                       const TextOptions& o, const accessdb::Value* dateOfRecord)
{
    using namespace accessdb::type;
    // The stand-in is only needed for a missing value; most values are there.
    const QString fallback = value.isNull ? SQLDefault(field, false, o) : QString();
    if (value.isNull && fallback.isEmpty())
        return false;
    const QString& text = value.isNull ? fallback : value.text;

    switch (field.type) {
    case Boolean: out.push_back(text == QLatin1String("TRUE") ? u'1' : u'0'); return true;
    case Byte:
    case Integer:
    case Long:
    case Currency:
    case Single:
    case Double:
        if (text.isEmpty())
            append(out, "NULL");
        else
            appendEscaped(out, text, {true, false});
        return true;
    case DateTime: {
        if (text.isEmpty()) {
            append(out, "NULL");
            return true;
        }
        int y = value.year, mo = value.month, d = value.day, h = value.hour, mi = value.minute, s = value.second;
        if (value.isNull) {
            // A missing date whose stand-in is the blank default: the column's own default
            // applies. Any other stand-in that is no date (=Date()) would reach the server as
            // text it refuses, so the value stays missing.
            QDateTime dt;
            if (!parseDefaultDate(fallback, dt)) {
                if (rt::trim(fallback).isEmpty())
                    return false;
                append(out, "NULL");
                return true;
            }
            y = dt.date().year(), mo = dt.date().month(), d = dt.date().day();
            h = dt.time().hour(), mi = dt.time().minute(), s = dt.time().second();
        }
        if (dateOfRecord) {
            // A time of day joined with the record's date; without a date, Access's day zero.
            int dy = 1899, dm = 12, dd = 30;
            if (!dateOfRecord->isNull)
                dy = dateOfRecord->year, dm = dateOfRecord->month, dd = dateOfRecord->day;
            appendDateTimeValue(out, dy, dm, dd, h, mi, s, o.kind);
        } else {
            appendDateValue(out, y, mo, d, o.kind);
        }
        return true;
    }
    case Text:
    case Memo:
        if (!text.isEmpty()) {
            out.push_back(u'\'');
            appendEscaped(out, text, {false, o.kind == ServerKind::Sybase});
            out.push_back(u'\'');
        } else if (!value.isNull || o.defaultBlank || o.kind == ServerKind::DB2) {
            append(out, "''");
        } else {
            append(out, "NULL");
        }
        return true;
    case Binary:
    case LongBinary:
    case Guid:
        // Bytes as the server's binary literal; their text form would not be valid SQL.
        if (!value.isNull && (!value.bytes.isEmpty() || value.text.isEmpty()))
            append(out, binaryLiteral(value.bytes, o));
        else
            appendEscaped(out, text, {});
        return true;
    default: appendEscaped(out, text, {}); return true;
    }
}

void appendInsertStatement(TextBuffer& out, const QString& table, const TextBuffer& columnList,
                           const TextBuffer& valueList)
{
    out.reserve(out.size() + size_t(table.size()) + columnList.size() + valueList.size() + 24);
    append(out, "INSERT INTO ");
    append(out, table);
    out.push_back(u' ');
    out.append(columnList);
    append(out, ") VALUES ");
    out.append(valueList);
    out.push_back(u')');
}

}  // namespace engine
