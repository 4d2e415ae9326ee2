#include "dataaccess/mdb/RowCursor.h"

#include "dataaccess/mdb/LibmdbMessages.h"
#include "dataaccess/mdb/ValueDecoder.h"

#include <cstring>

namespace accessdb::mdb {

namespace {

QString columnName(const MdbColumn* col) { return QString::fromUtf8(col->name); }

template <typename T>
T load(const void* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

int fixedSize(int type)
{
    switch (type) {
    case MDB_BYTE: return 1;
    case MDB_INT: return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
    case MDB_COMPLEX: return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME: return 8;
    case MDB_REPID: return 16;
    case MDB_NUMERIC: return 17;
    default: return 0;
    }
}

}  // namespace

Field describeColumn(const AccessFile& file, MdbColumn* col)
{
    Field f;
    f.name = columnName(col);
    f.type = col->col_type == MDB_NUMERIC ? type::Decimal : col->col_type;
    switch (col->col_type) {
    case MDB_BOOL:
    case MDB_BYTE: f.size = 1; break;
    case MDB_TEXT: f.size = file.isJet3() ? col->col_size : col->col_size / 2; break;
    case MDB_MEMO:
    case MDB_OLE: f.size = 0; break;
    case MDB_BINARY: f.size = col->col_size; break;
    default: f.size = fixedSize(col->col_type) == 17 ? 16 : fixedSize(col->col_type); break;
    }
    if (const char* req = mdb_col_get_prop(col, "Required")) {
        const QByteArray r = QByteArray(req).toLower();
        f.required = r == "yes" || r == "true" || r == "1" || r == "-1";
    }
    if (const char* def = mdb_col_get_prop(col, "DefaultValue"))
        f.defaultValue = QString::fromUtf8(def);
    return f;
}

RowCursor::RowCursor(const AccessFile& file, MdbCatalogEntry* entry, const QString& tableName)
    : file_(file), name_(tableName)
{
    layout_ = readTableLayout(file, quint32(entry->table_pg), tableName);

    // The usage and free-space maps are rows libmdb copies without checking where they end, and a
    // usage map naming a page beyond the end makes libmdb end the process: check them first.
    const QByteArray tdef = file.readPage(quint32(entry->table_pg));
    const MdbFormatConstants* f = file.handle()->fmt;
    for (int offset : {int(f->tab_usage_map_offset), int(f->tab_free_map_offset)}) {
        const quint32 pgRow = load<quint32>(tdef.constData() + offset);
        const QByteArray page = file.readPage(pgRow >> 8);
        int s, e;
        if (!file.rowBounds(page, int(pgRow & 0xFF), s, e) || e - s < 1)
            file.damaged(QStringLiteral("Belegungstabelle der Tabelle '%1'").arg(tableName));
        const int mapType = quint8(page[s]);
        if (mapType == 0) {
            if (e - s < 5)
                file.damaged(QStringLiteral("Belegungstabelle der Tabelle '%1'").arg(tableName));
        } else if (mapType == 1) {
            for (int p = s + 1; p + 4 <= e; p += 4) {
                const quint32 mapPage = load<quint32>(page.constData() + p);
                if (mapPage != 0 && !file.pageExists(mapPage))
                    file.damaged(QStringLiteral("Belegungstabelle der Tabelle '%1'").arg(tableName));
            }
        }
    }

    MessageCapture capture;
    table_ = mdb_read_table(entry);
    if (!table_) {
        file.raiseOnLibmdbMessages([&] { return QStringLiteral("Tabelle '%1'").arg(tableName); });
        file.damaged(QStringLiteral("Tabelle '%1' nicht lesbar").arg(tableName));
    }
    if (!mdb_read_columns(table_) || int(table_->num_cols) != layout_.columns.size() ||
        int(table_->columns->len) != layout_.columns.size()) {
        mdb_free_tabledef(table_);
        table_ = nullptr;
        file.damaged(QStringLiteral("Felder der Tabelle '%1'").arg(tableName));
    }
    for (guint i = 0; i < table_->columns->len; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
        columns_.append(col);
        fields_.append(describeColumn(file, col));
    }
    mdb_rewind_table(table_);
    file.forwardLibmdbMessages([&] { return QStringLiteral("Tabelle '%1'").arg(tableName); });
}

RowCursor::~RowCursor()
{
    if (table_)
        mdb_free_tabledef(table_);
}

int RowCursor::columnIndex(const QString& name) const
{
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int RowCursor::requiredColumn(const QString& name) const
{
    const int i = columnIndex(name);
    if (i < 0)
        file_.damaged(QStringLiteral("Systemtabelle %1 unvollständig").arg(name_));
    return i;
}

void RowCursor::rewind()
{
    MessageCapture capture;
    mdb_rewind_table(table_);
    file_.raiseOnLibmdbMessages([&] { return QStringLiteral("Anfang der Tabelle '%1'").arg(name_); });
    rowsRead_ = 0;
    havePage_ = false;
    rowsOnPage_ = 0;
    nextSlot_ = 0;
    currentSlot_ = -1;
}

bool RowCursor::loadNextPage()
{
    MdbHandle* mdb = file_.handle();
    if (!mdb_read_next_dpg(table_))
        return false;
    havePage_ = true;
    const int rco = mdb->fmt->row_count_offset;
    rowsOnPage_ = mdb->pg_buf[rco] | mdb->pg_buf[rco + 1] << 8;
    if (rco + 2 + 2 * rowsOnPage_ > file_.pageSize())
        file_.damaged(QStringLiteral("Datenseite %1 der Tabelle '%2'").arg(table_->cur_phys_pg).arg(name_));
    nextSlot_ = 0;
    return true;
}

void RowCursor::ensurePageLoaded()
{
    // Several record sets share libmdb's one page buffer; bring ours back when another moved it.
    MdbHandle* mdb = file_.handle();
    if (mdb->cur_pg != table_->cur_phys_pg)
        if (mdb_read_pg(mdb, table_->cur_phys_pg) != file_.pageSize())
            file_.damaged(QStringLiteral("Datenseite %1 nicht lesbar").arg(table_->cur_phys_pg));
}

bool RowCursor::crackSlot(int slot)
{
    MdbHandle* mdb = file_.handle();
    const int rco = mdb->fmt->row_count_offset;
    const unsigned char* pg = mdb->pg_buf;
    const int pageSize = file_.pageSize();
    auto bad = [&](const char* what) {
        // In a forward scan the row's number tells the user how far the table was read.
        const QString row = scanning_ ? QStringLiteral(" (Datensatz %1)").arg(rowsRead_ + 1) : QString();
        file_.damaged(QStringLiteral("%1 auf Seite %2 der Tabelle '%3'%4")
                          .arg(QString::fromUtf8(what))
                          .arg(mdb->cur_pg)
                          .arg(name_, row));
    };
    // Slot entries: 0x8000 deleted (also the far end of a moved row, which is reached through its
    // pointer only), 0x4000 the row was moved and the slot holds its new row and page.
    auto bounds = [&](int rows, int s, int& start, int& end) {
        const int entry = pg[rco + 2 + 2 * s] | pg[rco + 3 + 2 * s] << 8;
        start = entry & 0x1FFF;
        end = s == 0 ? pageSize : ((pg[rco + 2 * s] | pg[rco + 1 + 2 * s] << 8) & 0x1FFF);
        if (start < rco + 2 + 2 * rows || start >= end || end > pageSize)
            bad("Datensatz");
        return entry;
    };
    int start = 0, end = 0;
    int entry = pg[rco + 2 + 2 * slot] | pg[rco + 3 + 2 * slot] << 8;
    if (entry & 0x8000)
        return false;
    entry = bounds(rowsOnPage_, slot, start, end);
    for (int hops = 0; entry & 0x4000; ++hops) {
        if (hops > 3 || end - start < 4)
            bad("Verweis auf verschobenen Datensatz");
        const int row = pg[start];
        const quint32 page = quint32(pg[start + 1]) | quint32(pg[start + 2]) << 8 | quint32(pg[start + 3]) << 16;
        if (!file_.pageExists(page) || mdb_read_pg(mdb, page) != pageSize)
            bad("Verweis auf verschobenen Datensatz");
        const quint32 owner = quint32(pg[4]) | quint32(pg[5]) << 8 | quint32(pg[6]) << 16 | quint32(pg[7]) << 24;
        const int rows = pg[rco] | pg[rco + 1] << 8;
        if (pg[0] != 0x01 || owner != quint32(table_->entry->table_pg) || row >= rows || rco + 2 + 2 * rows > pageSize)
            bad("Verweis auf verschobenen Datensatz");
        entry = bounds(rows, row, start, end);
    }
    const int n = mdb_crack_row(table_, start, size_t(end - start), cracked_.data());
    if (n != columns_.size())
        bad("Datensatz");
    // The row is copied so that its values stay readable whatever happens to libmdb's page buffer.
    rowCopy_ = QByteArray(reinterpret_cast<const char*>(pg) + start, end - start);
    for (int i = 0; i < n; ++i) {
        MdbField& fld = cracked_[size_t(i)];
        const auto* v = static_cast<const unsigned char*>(fld.value);
        if (!fld.is_null && fld.siz > 0) {
            if (v < pg + start || fld.siz > end - start || v + fld.siz > pg + end)
                bad("Feldwert");
            fld.value = rowCopy_.data() + (v - (pg + start));
        } else {
            fld.siz = 0;
            fld.value = rowCopy_.data();
        }
    }
    currentSlot_ = slot;
    return true;
}

long RowCursor::storedRowCount() const { return long(table_->num_rows); }

void RowCursor::checkComplete(long rows) const
{
    if (rows < storedRowCount())
        file_.damaged(QStringLiteral("Tabelle '%1': nur %2 von %3 Datensätzen lesbar, nach Datensatz %2 endet "
                                     "die Tabelle vorzeitig")
                          .arg(name_)
                          .arg(rows)
                          .arg(storedRowCount()));
}

bool RowCursor::next()
{
    MessageCapture capture;
    scanning_ = true;
    const struct EndScan {
        bool& flag;
        ~EndScan() { flag = false; }
    } endScan{scanning_};
    const bool more = nextRow();
    file_.raiseOnLibmdbMessages(
        [&] { return QStringLiteral("Datensatz %1 der Tabelle '%2'").arg(rowsRead_ + 1).arg(name_); });
    if (more)
        ++rowsRead_;
    else
        checkComplete(rowsRead_);
    return more;
}

bool RowCursor::last(long& count)
{
    MessageCapture capture;
    const bool any = lastRow(count);
    file_.raiseOnLibmdbMessages([&] { return QStringLiteral("letzter Datensatz der Tabelle '%1'").arg(name_); });
    checkComplete(count);
    rowsRead_ = count;  // on the last row: a next() ends the scan
    return any;
}

bool RowCursor::nextRow()
{
    for (;;) {
        if (!havePage_ || nextSlot_ >= rowsOnPage_) {
            if (havePage_)
                ensurePageLoaded();  // the map scan starts from our page
            if (!loadNextPage()) {
                currentSlot_ = -1;
                return false;
            }
            continue;
        }
        ensurePageLoaded();
        if (crackSlot(nextSlot_++))
            return true;
    }
}

bool RowCursor::lastRow(long& count)
{
    count = 0;
    guint32 lastPage = 0;
    int lastSlot = -1;
    // Walk the slots without cracking; only the last row is cracked.
    for (;;) {
        if (!havePage_ || nextSlot_ >= rowsOnPage_) {
            if (havePage_)
                ensurePageLoaded();
            if (!loadNextPage())
                break;
            continue;
        }
        const int rco = file_.handle()->fmt->row_count_offset;
        const unsigned char* pg = file_.handle()->pg_buf;
        ensurePageLoaded();
        const int slot = nextSlot_++;
        const int entry = pg[rco + 2 + 2 * slot] | pg[rco + 3 + 2 * slot] << 8;
        if (entry & 0x8000)  // deleted, or reached through the pointer of a moved row
            continue;
        ++count;
        lastPage = table_->cur_phys_pg;
        lastSlot = slot;
    }
    if (lastSlot < 0) {
        currentSlot_ = -1;
        return false;
    }
    table_->cur_phys_pg = lastPage;
    ensurePageLoaded();
    const int rco = file_.handle()->fmt->row_count_offset;
    rowsOnPage_ = file_.handle()->pg_buf[rco] | file_.handle()->pg_buf[rco + 1] << 8;
    nextSlot_ = lastSlot + 1;
    havePage_ = true;
    if (!crackSlot(lastSlot))
        file_.damaged(QStringLiteral("letzter Datensatz der Tabelle '%1'").arg(name_));
    // Past the last row the scan must end; nothing after it belongs to the table.
    nextSlot_ = rowsOnPage_;
    table_->cur_phys_pg = lastPage;
    return true;
}

bool RowCursor::isNull(int i) const
{
    if (currentSlot_ < 0)
        return true;
    const int t = columns_[i]->col_type;
    if (t == MDB_BOOL)
        return false;
    return cracked_[size_t(i)].is_null;
}

QByteArray RowCursor::rawBytes(int i) const
{
    const MdbField& fld = cracked_[size_t(i)];
    if (currentSlot_ < 0 || fld.is_null || fld.siz <= 0)
        return QByteArray();
    const char* v = static_cast<const char*>(fld.value);
    const int t = columns_[i]->col_type;
    if (t == MDB_MEMO || t == MDB_OLE)
        return file_.readLongValue(v, fld.siz);
    return QByteArray(v, fld.siz);
}

qint64 RowCursor::integer(int i) const
{
    if (isNull(i))
        return 0;
    const MdbField& fld = cracked_[size_t(i)];
    const char* v = static_cast<const char*>(fld.value);
    switch (columns_[i]->col_type) {
    case MDB_BYTE: return fld.siz >= 1 ? quint8(v[0]) : 0;
    case MDB_INT: return fld.siz >= 2 ? load<qint16>(v) : 0;
    case MDB_LONGINT: return fld.siz >= 4 ? load<qint32>(v) : 0;
    default: return 0;
    }
}

QString RowCursor::text(int i) const
{
    if (isNull(i))
        return QString();
    const int t = columns_[i]->col_type;
    if (t == MDB_MEMO) {
        const QByteArray b = rawBytes(i);
        return file_.decodeText(b.constData(), b.size());
    }
    const MdbField& fld = cracked_[size_t(i)];
    return file_.decodeText(static_cast<const char*>(fld.value), fld.siz);
}

void RowCursor::decode(int i, Value& out) const
{
    out.isNull = true;
    out.text.resize(0);  // keeps the buffer for the next row's value
    out.bytes.clear();
    out.integer = 0;
    out.real = 0;
    out.year = out.month = out.day = out.hour = out.minute = out.second = 0;
    if (currentSlot_ < 0)
        return;
    const MdbField& fld = cracked_[size_t(i)];
    const int t = columns_[i]->col_type;
    if (t == MDB_BOOL) {
        // The null bit is the value: a Yes/No field is never null.
        out.isNull = false;
        out.text = fld.is_null ? QStringLiteral("FALSE") : QStringLiteral("TRUE");
        return;
    }
    if (fld.is_null)
        return;
    const char* v = static_cast<const char*>(fld.value);
    const int need = fixedSize(t);
    if (need > 0 && fld.siz < need)
        return;  // a field added after the row was written: not stored, so null
    out.isNull = false;
    switch (t) {
    case MDB_BYTE: out.integer = quint8(v[0]); break;
    case MDB_INT: out.integer = load<qint16>(v); break;
    case MDB_LONGINT:
    case MDB_COMPLEX: out.integer = load<qint32>(v); break;
    case MDB_MONEY: out.integer = load<qint64>(v); break;
    case MDB_FLOAT: out.real = load<float>(v); break;
    case MDB_DOUBLE: out.real = load<double>(v); break;
    case MDB_DATETIME:
        out.real = load<double>(v);
        decodeDate(out.real, out);  // outside the calendar Access knows: no parts, no text
        break;
    case MDB_REPID:
        out.bytes = QByteArray(v, 16);
        out.text = guidText(out.bytes);
        break;
    case MDB_NUMERIC:
        // libmdb's names for precision and scale are swapped.
        out.text = decimalText(QByteArray(v, 17), columns_[i]->col_prec);
        break;
    case MDB_TEXT: file_.decodeText(v, fld.siz, out.text); break;
    case MDB_MEMO: {
        const QByteArray b = file_.readLongValue(v, fld.siz);
        out.text = file_.decodeText(b.constData(), b.size());
        break;
    }
    case MDB_OLE: out.bytes = file_.readLongValue(v, fld.siz); break;
    case MDB_BINARY: out.bytes = QByteArray(v, qMax(0, fld.siz)); break;
    default: out.bytes = QByteArray(v, qMax(0, fld.siz)); break;
    }
}

}  // namespace accessdb::mdb
