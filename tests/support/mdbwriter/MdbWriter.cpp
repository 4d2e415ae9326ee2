#include "MdbWriter.h"

#include "Bytes.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QTime>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <map>
#include <memory>
#include <unistd.h>

namespace mdbw {

using namespace bytes;

// ---------------------------------------------------------------------------------------------
// Builder API
// ---------------------------------------------------------------------------------------------

int Table::fieldIndex(const QString& name) const
{
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Table& Table::addField(const Field& field)
{
    if (field.name.trimmed().isEmpty())
        throw Error(QStringLiteral("table %1: a field has no name").arg(name_));
    if (fieldIndex(field.name) >= 0)
        throw Error(QStringLiteral("table %1: field %2 exists twice").arg(name_, field.name));
    static const QList<int> known{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15};
    if (!known.contains(field.type))
        throw Error(QStringLiteral("table %1, field %2: unknown type code %3").arg(name_, field.name).arg(field.type));
    if (!rows_.isEmpty() || generatedCount_ > 0)
        throw Error(QStringLiteral("table %1: fields must come before rows").arg(name_));
    Field f = field;
    if (f.type == type::Text) {
        if (f.size == 0)
            f.size = 50;
        if (f.size < 1 || f.size > 255)
            throw Error(
                QStringLiteral("table %1, field %2: text size %3 is not 1 to 255").arg(name_, f.name).arg(f.size));
    } else if (f.type == type::Binary) {
        if (f.size == 0)
            f.size = 255;
        if (f.size < 1 || f.size > 510)
            throw Error(
                QStringLiteral("table %1, field %2: binary size %3 is not 1 to 510").arg(name_, f.name).arg(f.size));
    }
    if (f.autoNumber && f.type != type::Long)
        throw Error(QStringLiteral("table %1, field %2: only Long fields can be AutoNumber").arg(name_, f.name));
    fields_.append(f);
    return *this;
}

Table& Table::addIndex(const Index& index)
{
    if (index.name.isEmpty())
        throw Error(QStringLiteral("table %1: an index has no name").arg(name_));
    if (index.fields.isEmpty() || index.fields.size() > 10)
        throw Error(QStringLiteral("table %1, index %2: needs 1 to 10 fields").arg(name_, index.name));
    for (const Index& other : indexes_)
        if (other.name.compare(index.name, Qt::CaseInsensitive) == 0)
            throw Error(QStringLiteral("table %1: index %2 exists twice").arg(name_, index.name));
    for (const QString& f : index.fields)
        if (fieldIndex(f) < 0)
            throw Error(QStringLiteral("table %1, index %2: no field %3").arg(name_, index.name, f));
    if (index.primary)
        for (const Index& other : indexes_)
            if (other.primary)
                throw Error(QStringLiteral("table %1: two primary keys").arg(name_));
    indexes_.append(index);
    return *this;
}

Table& Table::addRow(const Row& row)
{
    if (row.size() != fields_.size())
        throw Error(QStringLiteral("table %1: a row has %2 values for %3 fields")
                        .arg(name_)
                        .arg(row.size())
                        .arg(fields_.size()));
    rows_.append(row);
    return *this;
}

Table& Table::generateRows(qint64 count, RowGenerator generator)
{
    if (count < 0 || !generator)
        throw Error(QStringLiteral("table %1: bad row generator").arg(name_));
    generatedCount_ = count;
    generator_ = std::move(generator);
    return *this;
}

Table& Database::addTable(const QString& name)
{
    if (name.trimmed().isEmpty())
        throw Error(QStringLiteral("a table has no name"));
    for (const Table& t : tables_)
        if (t.name().compare(name, Qt::CaseInsensitive) == 0)
            throw Error(QStringLiteral("table %1 exists twice").arg(name));
    if (name.startsWith(QLatin1String("MSys"), Qt::CaseInsensitive) &&
        QStringList{"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"}.contains(name, Qt::CaseInsensitive))
        throw Error(QStringLiteral("table %1 is written by the writer itself").arg(name));
    tables_.emplace_back(name);
    return tables_.back();
}

Table& Database::table(const QString& name)
{
    for (Table& t : tables_)
        if (t.name().compare(name, Qt::CaseInsensitive) == 0)
            return t;
    throw Error(QStringLiteral("no table %1").arg(name));
}

Database& Database::addRelation(const Relation& relation)
{
    if (relation.name.isEmpty() || relation.fields.isEmpty())
        throw Error(QStringLiteral("a relationship needs a name and at least one field pair"));
    if (relation.fields.size() > 10)
        throw Error(QStringLiteral("relationship %1: more than 10 field pairs").arg(relation.name));
    for (const Relation& r : relations_)
        if (r.name.compare(relation.name, Qt::CaseInsensitive) == 0)
            throw Error(QStringLiteral("relationship %1 exists twice").arg(relation.name));
    relations_.append(relation);
    return *this;
}

namespace {
quint32 objectFlagsForQueryType(int queryType)
{
    switch (queryType) {
    case querytype::Crosstab: return 0x10;
    case querytype::Delete: return 0x20;
    case querytype::Update: return 0x30;
    case querytype::Append: return 0x40;
    case querytype::MakeTable: return 0x50;
    case querytype::Ddl: return 0x60;
    case querytype::PassThrough: return 0x70;
    case querytype::Union: return 0x80;
    default: return 0;
    }
}
}  // namespace

Database& Database::addQuery(const QString& name, const QList<QueryRow>& rows, quint32 flags)
{
    if (name.isEmpty())
        throw Error(QStringLiteral("a query has no name"));
    for (const QueryDef& q : queries_)
        if (q.name.compare(name, Qt::CaseInsensitive) == 0)
            throw Error(QStringLiteral("query %1 exists twice").arg(name));
    QueryDef q{name, rows, flags};
    if (flags == 0)
        for (const QueryRow& r : rows)
            if (r.attribute == 1 && !r.flag.isNull())
                q.flags = objectFlagsForQueryType(r.flag.toInt());
    queries_.append(q);
    return *this;
}

Database& Database::addSelectQuery(const QString& name, const SelectParts& parts)
{
    return addQuery(name, selectQueryRows(parts));
}

QList<QueryRow> selectQueryRows(const SelectParts& p)
{
    QList<QueryRow> rows;
    auto add = [&rows](int attribute, int order, QString n1, QString n2, QString expr, QVariant flag) {
        rows.append(QueryRow{attribute, order, std::move(n1), std::move(n2), std::move(expr), std::move(flag), {}});
    };
    add(0, 0, {}, {}, {}, {});
    add(1, 0, {}, {}, {}, querytype::Select);
    for (int i = 0; i < p.parameters.size(); ++i)
        add(2, i, p.parameters[i].name, {}, {}, p.parameters[i].typeCode);
    int selectFlags = (p.allFields ? 0x01 : 0) | (p.distinct ? 0x02 : 0) | (p.distinctRow ? 0x08 : 0) |
                      (p.top > 0 ? 0x10 : 0) | (p.top > 0 && p.topPercent ? 0x20 : 0);
    add(3, 0, p.top > 0 ? QString::number(p.top) : QString(), {}, {}, selectFlags);
    for (int i = 0; i < p.tables.size(); ++i)
        add(5, i, p.tables[i].name, p.tables[i].alias, {}, {});
    for (int i = 0; i < p.columns.size(); ++i)
        add(6, i, p.columns[i].alias, {}, p.columns[i].expression, 0);
    for (int i = 0; i < p.joins.size(); ++i)
        add(7, i, p.joins[i].left, p.joins[i].right, p.joins[i].on, p.joins[i].kind);
    if (!p.where.isEmpty())
        add(8, 0, {}, {}, p.where, {});
    for (int i = 0; i < p.groupBy.size(); ++i)
        add(9, i, {}, {}, p.groupBy[i], {});
    if (!p.having.isEmpty())
        add(10, 0, {}, {}, p.having, {});
    for (int i = 0; i < p.orderBy.size(); ++i)
        add(11, i, p.orderBy[i].descending ? QStringLiteral("D") : QString(), {}, p.orderBy[i].expression, {});
    add(255, 0, {}, {}, {}, {});
    return rows;
}

// ---------------------------------------------------------------------------------------------
// File layout
// ---------------------------------------------------------------------------------------------

namespace {

constexpr int kPage = 4096;
constexpr int kDataHeader = 14;       // type, 1, free space, owner page, 4 unknown, row count
constexpr int kMaxRowsPerPage = 255;  // row numbers are one byte in page/row pointers
constexpr int kMaxRowBytes = kPage - kDataHeader - 2;
constexpr int kInlineLongValue = 64;    // longer memo/OLE values go to LVAL pages
constexpr int kSingleLongValue = 4000;  // longer ones span several LVAL pages
constexpr int kLeafEntriesStart = 0x1e0;
constexpr uint32_t kBitmapPagesPerMapPage = (kPage - 4) * 8;
constexpr int kInlineMapBytes = 64;  // a type 0 map addresses 512 pages, as Access writes it

uint32_t pgRow(uint32_t page, int row) { return (page << 8) | uint32_t(row); }

// Days since 1899-12-30 with the time as the fraction; before that day the fraction counts
// backwards from the (negative) day, as Access stores it.
double toOleDate(const QDate& d, const QTime& t)
{
    const qint64 days = QDate(1899, 12, 30).daysTo(d);
    const double frac = t.isValid() ? t.msecsSinceStartOfDay() / 86400000.0 : 0.0;
    return days >= 0 ? double(days) + frac : double(days) - frac;
}

class PageFile {
public:
    explicit PageFile(const QString& path) : path_(path)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd_ < 0)
            throw Error(QStringLiteral("cannot write %1").arg(path));
    }
    ~PageFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    uint32_t allocate(uint32_t count = 1)
    {
        uint32_t first = next_;
        next_ += count;
        return first;
    }
    uint32_t pageCount() const { return next_; }
    // Pages mostly come in ascending order; runs of consecutive pages are written together.
    void write(uint32_t page, const uint8_t* data)
    {
        if (!pending_.empty() && page != pendingFirst_ + pending_.size() / kPage)
            flush();
        if (pending_.empty())
            pendingFirst_ = page;
        pending_.insert(pending_.end(), data, data + kPage);
        if (pending_.size() >= size_t(256) * kPage)
            flush();
    }
    void close()
    {
        flush();
        if (::ftruncate(fd_, off_t(next_) * kPage) != 0 || ::close(fd_) != 0) {
            fd_ = -1;
            throw Error(QStringLiteral("closing %1 failed").arg(path_));
        }
        fd_ = -1;
    }

private:
    void flush()
    {
        const off_t at = off_t(pendingFirst_) * kPage;
        size_t done = 0;
        while (done < pending_.size()) {
            ssize_t n = ::pwrite(fd_, pending_.data() + done, pending_.size() - done, at + off_t(done));
            if (n <= 0)
                throw Error(QStringLiteral("writing %1 failed").arg(path_));
            done += size_t(n);
        }
        pending_.clear();
    }

    QString path_;
    int fd_ = -1;
    uint32_t next_ = 0;
    uint32_t pendingFirst_ = 0;
    Buffer pending_;
};

// A page of rows (data page, LVAL page or usage-map page) filled from the end.
class RowPage {
public:
    explicit RowPage(uint32_t owner) { reset(owner); }
    void reset(uint32_t owner)
    {
        buf_.assign(kPage, 0);
        buf_[0] = 0x01;
        buf_[1] = 0x01;
        put32(buf_, 4, owner);
        rows_ = 0;
        end_ = kPage;
    }
    void setLval()
    {
        buf_[4] = 'L';
        buf_[5] = 'V';
        buf_[6] = 'A';
        buf_[7] = 'L';
    }
    int rows() const { return rows_; }
    int freeBytes() const { return end_ - (kDataHeader + 2 * rows_); }
    bool fits(size_t n) const { return rows_ < kMaxRowsPerPage && int(n) + 2 <= freeBytes(); }
    int add(const uint8_t* data, size_t n)
    {
        end_ -= int(n);
        std::memcpy(buf_.data() + end_, data, n);
        put16(buf_, kDataHeader + 2 * rows_, uint32_t(end_));
        return rows_++;
    }
    const uint8_t* finish()
    {
        put16(buf_, 2, uint32_t(freeBytes()));
        put16(buf_, 12, uint32_t(rows_));
        return buf_.data();
    }

private:
    Buffer buf_;
    int rows_ = 0;
    int end_ = kPage;
};

// ----- table layout ------------------------------------------------------------------------

struct Column {
    Field field;
    int number = 0;  // column number (also the null-mask bit)
    bool fixed = false;
    int fixedOffset = 0;
    int varIndex = 0;
    int length = 0;  // bytes in the table definition
};

struct RealIndex {
    QList<int> columns;
    QList<bool> descending;
    uint8_t flags = 0;
    uint32_t leafPage = 0;
    uint32_t usageMap = 0;
};

struct LogicalIndex {
    QString name;
    int number = 0;
    int real = 0;
    uint8_t relatedTableType = 0;
    int32_t relatedIndex = -1;
    uint32_t relatedTablePage = 0;
    uint8_t cascadeUpdate = 0, cascadeDelete = 0;
    uint8_t indexType = 0;  // 1 primary, 2 relationship
};

struct Layout {
    const Table* table = nullptr;
    bool systemTable = false;
    QList<Column> columns;
    int fixedBytes = 0;
    int varCount = 0;
    QList<RealIndex> reals;
    QList<LogicalIndex> logicals;
    QList<uint32_t> tdefPages;
    QList<uint32_t> dataPages;
    QList<uint32_t> lvalPages;
    qint64 rowCount = 0;
    qint64 nextAutoNumber = 0;
    uint32_t usageMap = 0, freeMap = 0, lvalMap = 0, emptyMap = 0;
    Buffer props;  // LvProp of the catalog entry
};

int fixedLength(int t)
{
    switch (t) {
    case type::Boolean: return 0;
    case type::Byte: return 1;
    case type::Integer: return 2;
    case type::Long:
    case type::Single: return 4;
    case type::Currency:
    case type::Double:
    case type::DateTime: return 8;
    case type::Guid: return 16;
    default: return -1;
    }
}

void layoutColumns(Layout& l)
{
    int fixedOffset = 0, varIndex = 0, number = 0;
    for (const Field& f : l.table->fields()) {
        Column c;
        c.field = f;
        c.number = number++;
        const int fl = fixedLength(f.type);
        c.fixed = fl >= 0;
        if (c.fixed) {
            c.fixedOffset = fixedOffset;
            c.length = fl;
            fixedOffset += fl;
        } else {
            c.varIndex = varIndex++;
            c.length = f.type == type::Text ? f.size * 2 : f.type == type::Binary ? f.size : 0;
        }
        l.columns.append(c);
    }
    l.fixedBytes = fixedOffset;
    l.varCount = varIndex;
}

int findOrAddReal(Layout& l, const QList<int>& cols, uint8_t flags)
{
    for (int i = 0; i < l.reals.size(); ++i)
        if (l.reals[i].columns == cols) {
            l.reals[i].flags |= flags;
            return i;
        }
    RealIndex r;
    r.columns = cols;
    r.flags = flags;
    l.reals.append(r);
    return int(l.reals.size()) - 1;
}

void layoutIndexes(Layout& l)
{
    for (const Index& ix : l.table->indexes()) {
        QList<int> cols;
        QList<bool> desc;
        for (int i = 0; i < ix.fields.size(); ++i) {
            cols.append(l.table->fieldIndex(ix.fields[i]));
            desc.append(i < ix.descending.size() && ix.descending[i]);
        }
        uint8_t flags = (ix.unique || ix.primary ? 0x01 : 0) | (ix.ignoreNulls ? 0x02 : 0) | (ix.primary ? 0x08 : 0);
        // Two indexes on the same columns share one real index only when their flags agree.
        int real = -1;
        for (int i = 0; i < l.reals.size(); ++i)
            if (l.reals[i].columns == cols && l.reals[i].flags == flags)
                real = i;
        if (real < 0) {
            l.reals.append(RealIndex{cols, desc, flags, 0, 0});
            real = int(l.reals.size()) - 1;
        }
        LogicalIndex li;
        li.name = ix.name;
        li.number = int(l.logicals.size());
        li.real = real;
        li.indexType = ix.primary ? 1 : 0;
        l.logicals.append(li);
    }
}

// ----- values ------------------------------------------------------------------------------

[[noreturn]] void badValue(const Layout& l, const Column& c, const QVariant& v, const QString& why)
{
    throw Error(
        QStringLiteral("table %1, field %2: value \"%3\" %4").arg(l.table->name(), c.field.name, v.toString(), why));
}

qint64 wholeNumber(const Layout& l, const Column& c, const QVariant& v, qint64 lo, qint64 hi)
{
    bool ok = false;
    qint64 n = 0;
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
        n = v.toLongLong();
        ok = true;
    } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        const double d = v.toDouble();
        if (std::floor(d) != d)
            badValue(l, c, v, QStringLiteral("is not a whole number"));
        n = qint64(d);
        ok = true;
    } else if (v.typeId() == QMetaType::Bool) {
        n = v.toBool() ? -1 : 0;
        ok = true;
    } else {
        n = v.toLongLong(&ok);
    }
    if (!ok)
        badValue(l, c, v, QStringLiteral("is not a number"));
    if (n < lo || n > hi)
        badValue(l, c, v, QStringLiteral("is out of range"));
    return n;
}

double realNumber(const Layout& l, const Column& c, const QVariant& v)
{
    bool ok = false;
    const double d = v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        badValue(l, c, v, QStringLiteral("is not a number"));
    return d;
}

qint64 currencyValue(const Layout& l, const Column& c, const QVariant& v)
{
    if (v.typeId() == QMetaType::QString) {
        QString s = v.toString().trimmed();
        bool negative = s.startsWith(QLatin1Char('-'));
        if (negative || s.startsWith(QLatin1Char('+')))
            s.remove(0, 1);
        const int dot = s.indexOf(QLatin1Char('.'));
        QString whole = dot < 0 ? s : s.left(dot);
        QString frac = dot < 0 ? QString() : s.mid(dot + 1);
        bool ok1 = true, ok2 = true;
        if (whole.isEmpty())
            whole = QStringLiteral("0");
        if (frac.size() > 4)
            badValue(l, c, v, QStringLiteral("has more than 4 decimals"));
        for (QChar ch : whole + frac)
            if (!ch.isDigit())
                badValue(l, c, v, QStringLiteral("is not a decimal number"));
        const qint64 w = whole.toLongLong(&ok1);
        const qint64 f = (frac + QStringLiteral("0000")).left(4).toLongLong(&ok2);
        const __int128 scaled = (__int128(w) * 10000 + f) * (negative ? -1 : 1);
        if (!ok1 || !ok2 || scaled > std::numeric_limits<qint64>::max() || scaled < std::numeric_limits<qint64>::min())
            badValue(l, c, v, QStringLiteral("is out of range"));
        return qint64(scaled);
    }
    const double d = realNumber(l, c, v) * 10000.0;
    if (std::fabs(d) > 9.2e18)
        badValue(l, c, v, QStringLiteral("is out of range"));
    return qint64(std::llround(d));
}

double dateValue(const Layout& l, const Column& c, const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return toOleDate(dt.date(), dt.time());
    }
    case QMetaType::QDate: return toOleDate(v.toDate(), QTime());
    case QMetaType::QTime: return toOleDate(QDate(1899, 12, 30), v.toTime());
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong: return v.toDouble();
    default: break;
    }
    // Date and time are parsed apart: a local time that a clock change skips is still a valid value.
    const QString s = v.toString().trimmed();
    const int sep = s.indexOf(QRegularExpression(QStringLiteral("[ T]")));
    const QString datePart = sep < 0 ? s : s.left(sep);
    const QString timePart = sep < 0 ? QString() : s.mid(sep + 1).trimmed();
    auto parseTime = [](const QString& t) {
        QTime time = QTime::fromString(t, QStringLiteral("HH:mm:ss"));
        return time.isValid() ? time : QTime::fromString(t, QStringLiteral("HH:mm"));
    };
    const QDate d = QDate::fromString(datePart, QStringLiteral("yyyy-MM-dd"));
    if (d.isValid()) {
        if (timePart.isEmpty())
            return toOleDate(d, QTime());
        const QTime t = parseTime(timePart);
        if (t.isValid())
            return toOleDate(d, t);
    } else if (sep < 0) {
        const QTime t = parseTime(s);
        if (t.isValid())
            return toOleDate(QDate(1899, 12, 30), t);
    }
    badValue(l, c, v, QStringLiteral("is not a date"));
}

Buffer guidValue(const Layout& l, const Column& c, const QVariant& v)
{
    const QUuid u = v.typeId() == QMetaType::QUuid ? v.toUuid() : QUuid::fromString(v.toString().trimmed());
    if (u.isNull() && v.toString().trimmed() != QLatin1String("{00000000-0000-0000-0000-000000000000}"))
        badValue(l, c, v, QStringLiteral("is not a GUID"));
    Buffer b;
    add32(b, u.data1);
    add16(b, u.data2);
    add16(b, u.data3);
    addBytes(b, u.data4, 8);
    return b;
}

QByteArray binaryValue(const QVariant& v)
{
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
}

// Writes long values (memo, OLE) into LVAL pages and returns the 12-byte field header + data.
class LongValueWriter {
public:
    LongValueWriter(PageFile& file, Layout& layout) : file_(file), layout_(layout), page_(0) {}

    Buffer encode(const Buffer& data)
    {
        Buffer out;
        const uint32_t len = uint32_t(data.size());
        if (len >= 0x00ffffffu)
            throw Error(QStringLiteral("table %1: a long value exceeds 16 MB").arg(layout_.table->name()));
        if (len <= uint32_t(kInlineLongValue)) {
            add32(out, len | 0x80000000u);
            add32(out, 0);
            add32(out, 0);
            addBytes(out, data);
        } else if (len <= uint32_t(kSingleLongValue)) {
            if (!pageOpen_ || !page_.fits(len))
                startPage();
            const int row = page_.add(data.data(), data.size());
            add32(out, len | 0x40000000u);
            add32(out, pgRow(pageNumber_, row));
            add32(out, 0);
        } else {
            const size_t chunk = size_t(kMaxRowBytes) - 4;
            const uint32_t count = uint32_t((data.size() + chunk - 1) / chunk);
            const uint32_t first = file_.allocate(count);
            for (uint32_t i = 0; i < count; ++i) {
                RowPage p(0);
                p.setLval();
                Buffer row;
                add32(row, i + 1 < count ? pgRow(first + i + 1, 0) : 0);
                const size_t from = size_t(i) * chunk;
                addBytes(row, data.data() + from, std::min(chunk, data.size() - from));
                p.add(row.data(), row.size());
                file_.write(first + i, p.finish());
                layout_.lvalPages.append(first + i);
            }
            add32(out, len);
            add32(out, pgRow(first, 0));
            add32(out, 0);
        }
        return out;
    }

    void flush()
    {
        if (pageOpen_)
            file_.write(pageNumber_, page_.finish());
        pageOpen_ = false;
    }

private:
    void startPage()
    {
        flush();
        pageNumber_ = file_.allocate();
        page_.reset(0);
        page_.setLval();
        layout_.lvalPages.append(pageNumber_);
        pageOpen_ = true;
    }

    PageFile& file_;
    Layout& layout_;
    RowPage page_;
    uint32_t pageNumber_ = 0;
    bool pageOpen_ = false;
};

// Packs one row: column count, fixed area, variable data, end offset, variable offsets (last
// first), variable count, null mask.
class RowEncoder {
public:
    RowEncoder(Layout& l, LongValueWriter& lv) : l_(l), lv_(lv) { nullMaskBytes_ = (int(l.columns.size()) + 7) / 8; }

    const Buffer& encode(const Row& row)
    {
        Buffer& out = out_;
        out.clear();
        add16(out, uint32_t(l_.columns.size()));
        const size_t fixedStart = out.size();
        out.resize(fixedStart + size_t(l_.fixedBytes), 0);
        mask_.assign(size_t(nullMaskBytes_), 0);
        varOffsets_.assign(size_t(l_.varCount), 0);
        for (const Column& c : l_.columns) {
            const QVariant& v = row[c.number];
            if (c.field.type == type::Boolean) {
                if (!v.isNull() && toBool(c, v))
                    setBit(c.number);
                continue;
            }
            if (c.fixed && !v.isNull()) {
                setBit(c.number);
                fixedValue(c, v, out.data() + fixedStart + size_t(c.fixedOffset));
            }
        }
        for (const Column& c : l_.columns) {
            if (c.fixed)
                continue;
            varOffsets_[size_t(c.varIndex)] = uint32_t(out.size());
            const QVariant& v = row[c.number];
            if (v.isNull())
                continue;
            setBit(c.number);
            varValue(c, v, out);
        }
        add16(out, uint32_t(out.size()));  // end of the variable data
        for (int i = l_.varCount - 1; i >= 0; --i)
            add16(out, varOffsets_[size_t(i)]);
        add16(out, uint32_t(l_.varCount));
        addBytes(out, mask_);
        if (out.size() > size_t(kMaxRowBytes))
            throw Error(QStringLiteral("table %1: a row needs %2 bytes, more than a page holds")
                            .arg(l_.table->name())
                            .arg(out.size()));
        return out;
    }

private:
    void setBit(int n) { mask_[size_t(n / 8)] |= uint8_t(1u << (n % 8)); }

    bool toBool(const Column& c, const QVariant& v)
    {
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            if (s == "true" || s == "yes" || s == "ja" || s == "-1" || s == "1")
                return true;
            if (s == "false" || s == "no" || s == "nein" || s == "0")
                return false;
            badValue(l_, c, v, QStringLiteral("is not Yes/No"));
        }
        return v.toBool();
    }

    void fixedValue(const Column& c, const QVariant& v, uint8_t* at)
    {
        switch (c.field.type) {
        case type::Byte: at[0] = uint8_t(wholeNumber(l_, c, v, 0, 255)); break;
        case type::Integer: put16(at, uint32_t(wholeNumber(l_, c, v, -32768, 32767))); break;
        case type::Long: {
            const qint64 n =
                wholeNumber(l_, c, v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
            if (c.field.autoNumber && n >= l_.nextAutoNumber)
                l_.nextAutoNumber = n + 1;
            put32(at, uint32_t(n));
            break;
        }
        case type::Currency: {
            const uint64_t n = uint64_t(currencyValue(l_, c, v));
            put32(at, uint32_t(n));
            put32(at + 4, uint32_t(n >> 32));
            break;
        }
        case type::Single: {
            const float f = float(realNumber(l_, c, v));
            std::memcpy(at, &f, 4);
            break;
        }
        case type::Double: {
            const double d = realNumber(l_, c, v);
            std::memcpy(at, &d, 8);
            break;
        }
        case type::DateTime: {
            const double d = dateValue(l_, c, v);
            std::memcpy(at, &d, 8);
            break;
        }
        case type::Guid: {
            const Buffer b = guidValue(l_, c, v);
            std::memcpy(at, b.data(), b.size());
            break;
        }
        default: break;
        }
    }

    // Texts whose characters all lie in 1..255 are stored "compressed", one byte each after the
    // marker FF FE, as Access does for columns with Unicode compression.
    static void addText(Buffer& out, const QString& s)
    {
        bool narrow = !s.isEmpty();
        for (QChar ch : s)
            if (ch.unicode() == 0 || ch.unicode() > 0xff) {
                narrow = false;
                break;
            }
        if (narrow) {
            out.push_back(0xff);
            out.push_back(0xfe);
            for (QChar ch : s)
                out.push_back(uint8_t(ch.unicode()));
        } else {
            for (QChar ch : s)
                add16(out, ch.unicode());
        }
    }

    void varValue(const Column& c, const QVariant& v, Buffer& out)
    {
        switch (c.field.type) {
        case type::Text: {
            const QString s = v.toString();
            if (s.size() > c.field.size)
                badValue(l_, c, v, QStringLiteral("is longer than %1 characters").arg(c.field.size));
            addText(out, s);
            break;
        }
        case type::Binary: {
            const QByteArray a = binaryValue(v);
            if (a.size() > c.field.size)
                badValue(l_, c, v, QStringLiteral("is longer than %1 bytes").arg(c.field.size));
            addBytes(out, a.constData(), size_t(a.size()));
            break;
        }
        case type::Memo: addBytes(out, lv_.encode(utf16(v.toString()))); break;
        case type::LongBinary: {
            const QByteArray a = binaryValue(v);
            addBytes(out, lv_.encode(Buffer(a.begin(), a.end())));
            break;
        }
        default: break;
        }
    }

    Layout& l_;
    LongValueWriter& lv_;
    int nullMaskBytes_ = 0;
    Buffer out_;
    Buffer mask_;
    std::vector<uint32_t> varOffsets_;
};

void writeTableData(PageFile& file, Layout& l, uint32_t owner)
{
    LongValueWriter lv(file, l);
    RowEncoder enc(l, lv);
    RowPage page(owner);
    auto flushPage = [&] {
        if (page.rows() == 0)
            return;
        const uint32_t n = file.allocate();
        file.write(n, page.finish());
        l.dataPages.append(n);
        page.reset(owner);
    };
    auto put = [&](const Row& row) {
        const Buffer& b = enc.encode(row);
        if (!page.fits(b.size()))
            flushPage();
        page.add(b.data(), b.size());
    };
    for (const Row& r : l.table->rows())
        put(r);
    if (l.table->generatedCount() > 0) {
        Row row;
        for (qint64 i = 0; i < l.table->generatedCount(); ++i) {
            row = Row(l.table->fields().size());
            l.table->generator()(i, row);
            if (row.size() != l.table->fields().size())
                throw Error(
                    QStringLiteral("table %1: the generator made a row of the wrong size").arg(l.table->name()));
            put(row);
        }
    }
    flushPage();
    lv.flush();
    l.rowCount = l.table->rowCount();
}

// ----- usage maps --------------------------------------------------------------------------

class MapWriter {
public:
    explicit MapWriter(PageFile& file) : file_(file) {}

    // Returns the pointer (page << 8 | row) of a map row naming the given pages. The page is
    // assigned when the rows are placed; until then the pointer holds a ticket.
    size_t add(QList<uint32_t> pages)
    {
        std::sort(pages.begin(), pages.end());
        Buffer row;
        if (pages.isEmpty() || pages.last() - pages.first() < uint32_t(kInlineMapBytes * 8)) {
            const uint32_t start = pages.isEmpty() ? 0 : pages.first();
            add8(row, 0);
            add32(row, start);
            Buffer bits(kInlineMapBytes, 0);
            for (uint32_t p : pages)
                bits[(p - start) / 8] |= uint8_t(1u << ((p - start) % 8));
            addBytes(row, bits);
        } else {
            const uint32_t slotCount = pages.last() / kBitmapPagesPerMapPage + 1;
            add8(row, 1);
            std::map<uint32_t, Buffer> bitmapPages;
            for (uint32_t p : pages) {
                Buffer& bp = bitmapPages[p / kBitmapPagesPerMapPage];
                if (bp.empty()) {
                    bp.assign(kPage, 0);
                    bp[0] = 0x05;
                    bp[1] = 0x01;
                }
                const uint32_t bit = p % kBitmapPagesPerMapPage;
                bp[4 + bit / 8] |= uint8_t(1u << (bit % 8));
            }
            for (uint32_t s = 0; s < slotCount; ++s) {
                auto it = bitmapPages.find(s);
                if (it == bitmapPages.end()) {
                    add32(row, 0);
                } else {
                    const uint32_t n = file_.allocate();
                    file_.write(n, it->second.data());
                    add32(row, n);
                }
            }
        }
        rows_.push_back(std::move(row));
        return rows_.size() - 1;
    }

    // Places the rows on pages of their own and returns the pointer of each ticket.
    std::vector<uint32_t> place()
    {
        std::vector<uint32_t> pointers(rows_.size());
        RowPage page(0);
        uint32_t pageNo = 0;
        bool open = false;
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (rows_[i].size() > size_t(kMaxRowBytes))
                throw Error(QStringLiteral("a usage map outgrew its page"));
            if (!open || !page.fits(rows_[i].size())) {
                if (open)
                    file_.write(pageNo, page.finish());
                pageNo = file_.allocate();
                page.reset(0);
                open = true;
            }
            pointers[i] = pgRow(pageNo, page.add(rows_[i].data(), rows_[i].size()));
        }
        if (open)
            file_.write(pageNo, page.finish());
        return pointers;
    }

private:
    PageFile& file_;
    std::vector<Buffer> rows_;
};

// ----- table definitions -------------------------------------------------------------------

Buffer tableDefinition(const Layout& l)
{
    Buffer b(63, 0);
    b[0] = 0x02;
    b[1] = 0x01;
    put32(b, 16, uint32_t(l.rowCount));
    bool hasAuto = false;
    for (const Column& c : l.columns)
        hasAuto = hasAuto || c.field.autoNumber;
    put32(b, 20, hasAuto ? uint32_t(std::max<qint64>(l.nextAutoNumber, 1)) : 0);
    b[24] = hasAuto ? 1 : 0;
    b[40] = l.systemTable ? 0x53 : 0x4e;
    put16(b, 41, uint32_t(l.columns.size()));
    put16(b, 43, uint32_t(l.varCount));
    put16(b, 45, uint32_t(l.columns.size()));
    put32(b, 47, uint32_t(l.logicals.size()));
    put32(b, 51, uint32_t(l.reals.size()));
    put32(b, 55, l.usageMap);
    put32(b, 59, l.freeMap);
    for (int i = 0; i < l.reals.size(); ++i) {
        add32(b, 0);
        add32(b, uint32_t(l.rowCount));
        add32(b, 0);
    }
    for (const Column& c : l.columns) {
        add8(b, uint32_t(c.field.type));
        add32(b, 0);
        add16(b, uint32_t(c.number));
        add16(b, uint32_t(c.varIndex));
        add16(b, uint32_t(c.number));
        add16(b, 0x0409);  // sort order (General) for texts; precision/scale unused here
        add16(b, 0);
        add8(b, (c.fixed ? 0x01 : 0) | 0x02 | (c.field.autoNumber ? 0x04 : 0));
        add8(b, c.field.type == type::Text ? 0x01 : 0);  // Unicode compression
        add32(b, 0);
        add16(b, uint32_t(c.fixedOffset));
        add16(b, uint32_t(c.length));
    }
    for (const Column& c : l.columns)
        addName(b, c.field.name);
    for (const RealIndex& r : l.reals) {
        add32(b, 0);
        for (int k = 0; k < 10; ++k) {
            if (k < r.columns.size()) {
                add16(b, uint32_t(r.columns[k]));
                add8(b, k < r.descending.size() && r.descending[k] ? 0 : 1);
            } else {
                add16(b, 0xffff);
                add8(b, 0);
            }
        }
        add32(b, r.usageMap);
        add32(b, r.leafPage);
        add32(b, 0);
        add8(b, r.flags);
        for (int k = 0; k < 5; ++k)
            add8(b, 0);
    }
    for (const LogicalIndex& li : l.logicals) {
        add32(b, 0);
        add32(b, uint32_t(li.number));
        add32(b, uint32_t(li.real));
        add8(b, li.relatedTableType);
        add32(b, uint32_t(li.relatedIndex));
        add32(b, li.relatedTablePage);
        add8(b, li.cascadeUpdate);
        add8(b, li.cascadeDelete);
        add8(b, li.indexType);
        add32(b, 0);
    }
    for (const LogicalIndex& li : l.logicals)
        addName(b, li.name);
    for (const Column& c : l.columns) {
        if (c.field.type != type::Memo && c.field.type != type::LongBinary)
            continue;
        add16(b, uint32_t(c.number));
        add32(b, l.lvalMap);
        add32(b, l.emptyMap);
    }
    add16(b, 0xffff);
    put32(b, 8, uint32_t(b.size() - 8));
    return b;
}

int tdefPageCount(size_t bytes)
{
    if (bytes <= size_t(kPage))
        return 1;
    return 1 + int((bytes - kPage + (kPage - 8) - 1) / (kPage - 8));
}

void writeTableDefinition(PageFile& file, const Layout& l)
{
    const Buffer def = tableDefinition(l);
    if (tdefPageCount(def.size()) != l.tdefPages.size())
        throw Error(QStringLiteral("table %1: definition size changed").arg(l.table->name()));
    size_t from = 0;
    for (int i = 0; i < l.tdefPages.size(); ++i) {
        Buffer page(kPage, 0);
        size_t at = 0;
        if (i == 0) {
            const size_t n = std::min(def.size(), size_t(kPage));
            std::memcpy(page.data(), def.data(), n);
            from = n;
            at = n;
        } else {
            const size_t n = std::min(def.size() - from, size_t(kPage - 8));
            std::memcpy(page.data() + 8, def.data() + from, n);
            from += n;
            at = 8 + n;
        }
        page[0] = 0x02;
        page[1] = 0x01;
        put16(page, 2, uint32_t(kPage - at));
        put32(page, 4, i + 1 < l.tdefPages.size() ? l.tdefPages[i + 1] : 0);
        file.write(l.tdefPages[i], page.data());
    }
}

// ----- properties (LvProp) -----------------------------------------------------------------

Buffer propertyBlob(const QString& ownerName, const QList<QPair<QString, QList<QPair<QString, QVariant>>>>& blocks,
                    const QList<QPair<QString, QVariant>>& ownerProps)
{
    QStringList names;
    auto nameIndex = [&names](const QString& n) {
        int i = int(names.indexOf(n));
        if (i < 0) {
            names.append(n);
            i = int(names.size()) - 1;
        }
        return i;
    };
    auto valueBlock = [&](uint16_t chunkType, const QString& name, const QList<QPair<QString, QVariant>>& props) {
        Buffer body;
        add32(body, 0);
        addName(body, name);
        for (const auto& [pname, value] : props) {
            Buffer entry;
            Buffer v;
            uint8_t dtype = type::Text;
            if (value.typeId() == QMetaType::Bool) {
                dtype = type::Boolean;
                add8(v, value.toBool() ? 0xff : 0x00);
            } else {
                v = utf16(value.toString());
            }
            add16(entry, uint32_t(8 + v.size()));
            add8(entry, 0);
            add8(entry, dtype);
            add16(entry, uint32_t(nameIndex(pname)));
            add16(entry, uint32_t(v.size()));
            addBytes(entry, v);
            addBytes(body, entry);
        }
        put32(body, 0, uint32_t(body.size()));
        Buffer chunk;
        add32(chunk, uint32_t(body.size() + 6));
        add16(chunk, chunkType);
        addBytes(chunk, body);
        return chunk;
    };
    Buffer values = valueBlock(0x00, ownerName, ownerProps);
    for (const auto& [col, props] : blocks)
        addBytes(values, valueBlock(0x01, col, props));
    Buffer namesChunk;
    Buffer nameList;
    for (const QString& n : names)
        addName(nameList, n);
    add32(namesChunk, uint32_t(nameList.size() + 6));
    add16(namesChunk, 0x80);
    addBytes(namesChunk, nameList);
    Buffer blob{'M', 'R', '2', 0};
    addBytes(blob, namesChunk);
    addBytes(blob, values);
    return blob;
}

Buffer tableProperties(const Table& t)
{
    QList<QPair<QString, QList<QPair<QString, QVariant>>>> blocks;
    for (const Field& f : t.fields()) {
        QList<QPair<QString, QVariant>> props;
        if (f.required)
            props.append({QStringLiteral("Required"), true});
        if (!f.defaultValue.isEmpty())
            props.append({QStringLiteral("DefaultValue"), f.defaultValue});
        if (!props.isEmpty())
            blocks.append({f.name, props});
    }
    // Every table gets a property record, even an empty one, as Access writes it.
    return propertyBlob(t.name(), blocks, {});
}

// ----- header page -------------------------------------------------------------------------

void rc4(const uint8_t* key, int keyLen, uint8_t* data, int len)
{
    uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = uint8_t(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % keyLen]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (int k = 0, i = 0, j = 0; k < len; ++k) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        data[k] ^= s[(s[i] + s[j]) & 0xff];
    }
}

Buffer headerPage(double created)
{
    Buffer p(kPage, 0);
    p[1] = 0x01;
    std::memcpy(p.data() + 4, "Standard Jet DB", 15);
    put32(p, 0x14, 1);  // Jet 4
    put16(p, 0x3c, 1252);
    put32(p, 0x3e, 0);  // no page encryption
    put16(p, 0x6e, 0x0409);
    std::memcpy(p.data() + 0x72, &created, 8);
    // Part of the header is scrambled with a fixed, publicly documented RC4 key.
    const uint8_t key[4] = {0xc7, 0xda, 0x39, 0x6b};
    rc4(key, 4, p.data() + 0x18, 128);
    return p;
}

void writeEmptyLeaf(PageFile& file, uint32_t page, uint32_t owner)
{
    Buffer p(kPage, 0);
    p[0] = 0x04;
    p[1] = 0x01;
    put16(p, 2, kPage - kLeafEntriesStart);
    put32(p, 4, owner);
    file.write(page, p.data());
}

// ----- system tables -----------------------------------------------------------------------

Table systemObjectsTable()
{
    Table t(QStringLiteral("MSysObjects"));
    const QList<QPair<QString, int>> cols{{"Id", type::Long},
                                          {"ParentId", type::Long},
                                          {"Name", type::Text},
                                          {"Type", type::Integer},
                                          {"DateCreate", type::DateTime},
                                          {"DateUpdate", type::DateTime},
                                          {"Owner", type::Binary},
                                          {"Flags", type::Long},
                                          {"Database", type::Memo},
                                          {"Connect", type::Memo},
                                          {"ForeignName", type::Text},
                                          {"RmtInfoShort", type::Binary},
                                          {"RmtInfoLong", type::LongBinary},
                                          {"Lv", type::LongBinary},
                                          {"LvProp", type::LongBinary},
                                          {"LvModule", type::LongBinary},
                                          {"LvExtra", type::LongBinary}};
    for (const auto& [n, ty] : cols)
        t.addField(field(n, ty, ty == type::Text || ty == type::Binary ? 255 : 0));
    return t;
}

Table systemAcesTable()
{
    Table t(QStringLiteral("MSysACEs"));
    t.addField(field("ACM", type::Long));
    t.addField(field("FInheritable", type::Boolean));
    t.addField(field("ObjectId", type::Long));
    t.addField(field("SID", type::Binary, 255));
    return t;
}

Table systemQueriesTable()
{
    Table t(QStringLiteral("MSysQueries"));
    t.addField(field("Attribute", type::Byte));
    t.addField(field("Expression", type::Memo));
    t.addField(field("Flag", type::Integer));
    t.addField(field("LvExtra", type::LongBinary));
    t.addField(field("Name1", type::Text, 255));
    t.addField(field("Name2", type::Text, 255));
    t.addField(field("ObjectId", type::Long));
    t.addField(field("Order", type::Binary, 255));
    return t;
}

Table systemRelationshipsTable()
{
    Table t(QStringLiteral("MSysRelationships"));
    t.addField(field("ccolumn", type::Long));
    t.addField(field("grbit", type::Long));
    t.addField(field("icolumn", type::Long));
    t.addField(field("szColumn", type::Text, 255));
    t.addField(field("szObject", type::Text, 255));
    t.addField(field("szReferencedColumn", type::Text, 255));
    t.addField(field("szReferencedObject", type::Text, 255));
    t.addField(field("szRelationship", type::Text, 255));
    return t;
}

QVariant nullIfEmpty(const QString& s) { return s.isNull() ? QVariant() : QVariant(s); }

}  // namespace

void Database::write(const QString& path) const
{
    // Written beside the target and renamed at the end, so a failure leaves no half file.
    const QString temp = path + QStringLiteral(".part");
    try {
        writeTo(temp);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    QFile::remove(path);
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        throw Error(QStringLiteral("cannot write %1").arg(path));
    }
}

void Database::writeTo(const QString& path) const
{
    // Check the cross references first, so a bad description writes nothing.
    for (const Relation& r : relations_) {
        const Table* pt = nullptr;
        const Table* ft = nullptr;
        for (const Table& t : tables_) {
            if (t.name().compare(r.table, Qt::CaseInsensitive) == 0)
                pt = &t;
            if (t.name().compare(r.foreignTable, Qt::CaseInsensitive) == 0)
                ft = &t;
        }
        if (!pt || !ft)
            throw Error(QStringLiteral("relationship %1: unknown table").arg(r.name));
        for (const RelationField& f : r.fields)
            if (pt->fieldIndex(f.name) < 0 || ft->fieldIndex(f.foreignName) < 0)
                throw Error(QStringLiteral("relationship %1: unknown field %2/%3").arg(r.name, f.name, f.foreignName));
    }

    Table msysObjects = systemObjectsTable();
    Table msysAces = systemAcesTable();
    Table msysQueries = systemQueriesTable();
    Table msysRelationships = systemRelationshipsTable();

    std::vector<Layout> layouts;
    auto addLayout = [&layouts](const Table* t, bool system) {
        Layout l;
        l.table = t;
        l.systemTable = system;
        layoutColumns(l);
        if (!system)
            layoutIndexes(l);
        layouts.push_back(std::move(l));
    };
    addLayout(&msysObjects, true);
    addLayout(&msysAces, true);
    addLayout(&msysQueries, true);
    addLayout(&msysRelationships, true);
    for (const Table& t : tables_)
        addLayout(&t, (t.flags() & 0x80000002u) != 0 && t.name().startsWith(QLatin1String("MSys")));
    auto layoutOf = [&layouts](const QString& name) -> Layout& {
        for (Layout& l : layouts)
            if (l.table->name().compare(name, Qt::CaseInsensitive) == 0)
                return l;
        throw Error(QStringLiteral("no table %1").arg(name));
    };

    // Enforced relationships add index entries on both sides, as Access keeps them.
    struct RelationIndexes {
        Layout* primary;
        int backRef;
        Layout* foreign;
        int foreignIdx;
    };
    std::vector<RelationIndexes> relationIndexes;
    int backRefCounter = 0;
    for (const Relation& r : relations_) {
        if (r.attributes & kRelationNotEnforced)
            continue;
        Layout& pl = layoutOf(r.table);
        Layout& fl = layoutOf(r.foreignTable);
        QList<int> pcols, fcols;
        for (const RelationField& f : r.fields) {
            pcols.append(pl.table->fieldIndex(f.name));
            fcols.append(fl.table->fieldIndex(f.foreignName));
        }
        const int preal = findOrAddReal(pl, pcols, 0x01);
        const int freal = findOrAddReal(fl, fcols, (r.attributes & kRelationUnique) ? 0x01 : 0x00);
        QString backName = QStringLiteral(".r");
        for (int n = backRefCounter++;; n = n / 26 - 1) {
            backName.insert(2, QChar('A' + n % 26));
            if (n < 26)
                break;
        }
        LogicalIndex back;
        back.name = backName;
        back.number = int(pl.logicals.size());
        back.real = preal;
        back.relatedTableType = 1;
        back.indexType = 2;
        back.cascadeUpdate = (r.attributes & kRelationCascadeUpdate) ? 1 : 0;
        back.cascadeDelete = (r.attributes & kRelationCascadeDelete) ? 1 : 0;
        pl.logicals.append(back);
        LogicalIndex fk = back;
        fk.name = r.name;
        fk.number = int(fl.logicals.size());
        fk.real = freal;
        fk.relatedTableType = 2;
        fl.logicals.append(fk);
        relationIndexes.push_back({&pl, back.number, &fl, fk.number});
    }

    // Page numbers: header, global map, MSysObjects' definition on page 2, then every other
    // definition and one (empty) index leaf per real index.
    PageFile file(path);
    file.allocate(2);
    for (Layout& l : layouts) {
        // The definition's size does not depend on the page pointers, so it can be measured now.
        const int pages = tdefPageCount(tableDefinition(l).size());
        for (int i = 0; i < pages; ++i)
            l.tdefPages.append(file.allocate());
    }
    if (layouts[0].tdefPages.first() != 2)
        throw Error(QStringLiteral("internal: catalog not on page 2"));
    for (Layout& l : layouts)
        for (RealIndex& r : l.reals)
            r.leafPage = file.allocate();
    for (const RelationIndexes& ri : relationIndexes) {
        LogicalIndex& back = ri.primary->logicals[ri.backRef];
        LogicalIndex& fk = ri.foreign->logicals[ri.foreignIdx];
        back.relatedIndex = fk.number;
        back.relatedTablePage = ri.foreign->tdefPages.first();
        fk.relatedIndex = back.number;
        fk.relatedTablePage = ri.primary->tdefPages.first();
    }

    // System table rows.
    const double stamp = toOleDate(timestamp_.date(), timestamp_.time());
    const qint32 kTablesContainer = 0x0F000001, kDatabasesContainer = 0x0F000002, kRelationsContainer = 0x0F000003;
    qint32 nextObjectId = qint32(0x80000000u);
    QList<qint32> queryIds;
    for (int i = 0; i < queries_.size(); ++i)
        queryIds.append(nextObjectId++);

    for (int qi = 0; qi < queries_.size(); ++qi) {
        for (const QueryRow& r : queries_[qi].rows) {
            QByteArray order(4, 0);
            order[0] = char(r.order >> 24);
            order[1] = char(r.order >> 16);
            order[2] = char(r.order >> 8);
            order[3] = char(r.order);
            msysQueries.addRow({r.attribute, nullIfEmpty(r.expression), r.flag,
                                r.lvExtra.isEmpty() ? QVariant() : QVariant(r.lvExtra), nullIfEmpty(r.name1),
                                nullIfEmpty(r.name2), queryIds[qi], order});
        }
    }
    for (const Relation& r : relations_) {
        for (int i = 0; i < r.fields.size(); ++i)
            msysRelationships.addRow({int(r.fields.size()), r.attributes, i, r.fields[i].foreignName, r.foreignTable,
                                      r.fields[i].name, r.table, r.name});
    }

    auto catalogRow = [&](qint32 id, qint32 parent, const QString& name, int objType, quint32 flags,
                          const Buffer& props) {
        QVariant lvProp =
            props.empty() ? QVariant()
                          : QVariant(QByteArray(reinterpret_cast<const char*>(props.data()), qsizetype(props.size())));
        msysObjects.addRow({id, parent, name, objType, stamp, stamp, QVariant(), qint64(qint32(flags)), QVariant(),
                            QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), lvProp, QVariant(),
                            QVariant()});
    };
    catalogRow(kTablesContainer, 0x0F000000, QStringLiteral("Tables"), 3, 0x80000000u, {});
    catalogRow(kDatabasesContainer, 0x0F000000, QStringLiteral("Databases"), 3, 0x80000000u, {});
    catalogRow(kRelationsContainer, 0x0F000000, QStringLiteral("Relationships"), 3, 0x80000000u, {});
    catalogRow(
        0x10000000, kDatabasesContainer, QStringLiteral("MSysDb"), 2, 0x80000000u,
        propertyBlob(QStringLiteral("MSysDb"), {}, {{QStringLiteral("AccessVersion"), QStringLiteral("08.50")}}));
    for (size_t i = 0; i < layouts.size(); ++i) {
        const Layout& l = layouts[i];
        const quint32 flags = i < 4 ? 0x80000000u : l.table->flags();
        catalogRow(qint32(l.tdefPages.first()), kTablesContainer, l.table->name(), 1, flags,
                   i < 4 ? Buffer() : tableProperties(*l.table));
    }
    for (int qi = 0; qi < queries_.size(); ++qi)
        catalogRow(queryIds[qi], kTablesContainer, queries_[qi].name, 5, queries_[qi].flags, {});
    for (const Relation& r : relations_)
        catalogRow(nextObjectId++, kRelationsContainer, r.name, 8, 0, {});

    // Rows, then the usage maps that name each table's pages.
    for (Layout& l : layouts)
        writeTableData(file, l, l.tdefPages.first());
    MapWriter maps(file);
    std::vector<size_t> tickets;
    const size_t emptyTicket = maps.add({});
    for (Layout& l : layouts) {
        tickets.push_back(maps.add(l.dataPages));
        tickets.push_back(maps.add(l.lvalPages));
        for (RealIndex& r : l.reals)
            tickets.push_back(maps.add({r.leafPage}));
    }
    const std::vector<uint32_t> pointers = maps.place();
    size_t t = 0;
    for (Layout& l : layouts) {
        l.usageMap = pointers[tickets[t++]];
        l.lvalMap = pointers[tickets[t++]];
        l.freeMap = l.emptyMap = pointers[emptyTicket];
        for (RealIndex& r : l.reals)
            r.usageMap = pointers[tickets[t++]];
    }

    for (const Layout& l : layouts) {
        writeTableDefinition(file, l);
        for (const RealIndex& r : l.reals)
            writeEmptyLeaf(file, r.leafPage, l.tdefPages.first());
    }
    file.write(0, headerPage(stamp).data());
    RowPage global(1);
    Buffer globalMap(5 + kInlineMapBytes, 0);
    global.add(globalMap.data(), globalMap.size());
    global.add(globalMap.data(), globalMap.size());
    file.write(1, global.finish());
    file.close();
}

}  // namespace mdbw
