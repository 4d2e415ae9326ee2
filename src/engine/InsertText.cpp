#include "engine/InsertText.h"
#include "engine/SqlText.h"
#include "runtime/Strings.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <cstdio>

namespace engine {

bool isThisMachinesRecord(qint64 counter, int textMax, int textMod) { return counter % textMax == textMax - textMod; }

namespace {
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

// A value's text with quotes doubled and NUL characters as blanks; a number's default text (as
// Access stores it) takes the decimal point; Sybase drops the right single quotation mark from texts.
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
        default: break;  // the dropped quotation mark
        }
        runStart = i + 1;
    }
    out.append(p + runStart, size_t(n - runStart));
}

void appendNumber(TextBuffer& out, int type, const accessdb::Value& v)
{
    switch (type) {
    case accessdb::type::Currency: {
        const rt::NumberText t = rt::NumberText::ofCurrency(v.integer);
        out.append(t.data(), size_t(t.size()));
        return;
    }
    case accessdb::type::Single:
    case accessdb::type::Double: {
        const rt::NumberText t =
            type == accessdb::type::Single ? rt::NumberText::ofSingle(float(v.real)) : rt::NumberText::ofDouble(v.real);
        out.append(t.data(), size_t(t.size()));
        return;
    }
    default: {
        const rt::DecimalDigits t(v.integer);
        out.append(t.data(), size_t(t.size()));
        return;
    }
    }
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
        if (value.isNull)
            appendEscaped(out, fallback, {true, false});  // the Access default as it stands
        else
            appendNumber(out, field.type, value);
        return true;
    case DateTime: {
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
    case Complex:
        if (!value.isNull) {
            appendNumber(out, field.type, value);
            return true;
        }
        [[fallthrough]];
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
