#include "dataaccess/mdb/TableLayout.h"

#include <QSet>

namespace accessdb::mdb {

namespace {

class Reader {
public:
    Reader(const QByteArray& bytes, const AccessFile& file, const QString& table)
        : b_(bytes), file_(file), table_(table)
    {}
    void need(qint64 pos, qint64 len) const
    {
        if (pos < 0 || len < 0 || pos + len > b_.size())
            file_.damaged(QStringLiteral("Tabellendefinition von '%1' unvollständig").arg(table_));
    }
    quint8 u8(qint64 pos) const
    {
        need(pos, 1);
        return quint8(b_[int(pos)]);
    }
    quint16 u16(qint64 pos) const
    {
        need(pos, 2);
        return quint16(u8(pos) | u8(pos + 1) << 8);
    }
    quint32 u32(qint64 pos) const { return quint32(u16(pos)) | quint32(u16(pos + 2)) << 16; }
    [[noreturn]] void bad(const QString& what) const
    {
        file_.damaged(QStringLiteral("Tabellendefinition von '%1': %2").arg(table_, what));
    }
    const QByteArray& bytes() const { return b_; }

private:
    const QByteArray& b_;
    const AccessFile& file_;
    const QString& table_;
};

// The definition's pages joined: the first page whole, the data of each following page from offset 8.
QByteArray joinChain(const AccessFile& file, quint32 first, const QString& table)
{
    QByteArray out;
    QSet<quint32> seen;
    quint32 page = first;
    while (page != 0) {
        if (seen.contains(page) || seen.size() > 64)
            file.damaged(QStringLiteral("Seitenkette der Tabelle '%1'").arg(table));
        seen.insert(page);
        const QByteArray p = file.readPage(page);
        if (quint8(p[0]) != 0x02)
            file.damaged(QStringLiteral("Seite %1 ist keine Tabellendefinition ('%2')").arg(page).arg(table));
        out.append(out.isEmpty() ? p : p.mid(8));
        page = quint32(quint8(p[4])) | quint32(quint8(p[5])) << 8 | quint32(quint8(p[6])) << 16 |
               quint32(quint8(p[7])) << 24;
    }
    return out;
}

// The column entries, then their names; `pos` moves past both. `numbers` gets the column numbers.
QList<ColumnLayout> readColumns(const Reader& r, const AccessFile& file, int columnCount, qint64& pos,
                                QSet<int>& numbers)
{
    const MdbFormatConstants* f = file.handle()->fmt;
    const bool jet3 = file.isJet3();
    QList<ColumnLayout> columns;
    for (int i = 0; i < columnCount; ++i, pos += f->tab_col_entry_size) {
        r.need(pos, f->tab_col_entry_size);
        ColumnLayout c;
        c.type = r.u8(pos);
        c.number = r.u16(pos + f->col_num_offset);
        c.varNumber = r.u16(pos + f->tab_col_offset_var);
        c.rowNumber = r.u16(pos + f->tab_row_col_num_offset);
        c.flags = r.u8(pos + f->col_flags_offset);
        c.fixedOffset = r.u16(pos + f->tab_col_offset_fixed);
        c.size = r.u16(pos + f->col_size_offset);
        if (numbers.contains(c.number))
            r.bad(QStringLiteral("doppelte Feldnummer"));
        numbers.insert(c.number);
        if (c.rowNumber > 0x7FF || c.varNumber > 0x7FF)
            r.bad(QStringLiteral("Feldnummer"));
        if (c.isFixed() && c.fixedOffset + c.size > file.pageSize())
            r.bad(QStringLiteral("Lage eines Felds fester Länge"));
        columns.append(c);
    }
    for (int i = 0; i < columnCount; ++i) {
        const int len = jet3 ? r.u8(pos) : r.u16(pos);
        pos += (jet3 ? 1 : 2);
        if (len == 0 || len > 255)
            r.bad(QStringLiteral("Feldname"));
        r.need(pos, len);
        columns[i].name = file.decodeText(r.bytes().constData() + pos, len);
        pos += len;
    }
    return columns;
}

// The real indexes, the logical indexes that point at them, then the logical indexes' names;
// `pos` moves past all three. An index column must be one of the table's column `numbers`.
QList<IndexLayout> readIndexes(const Reader& r, const AccessFile& file, quint32 realIndexCount, quint32 indexCount,
                               const QSet<int>& numbers, qint64& pos)
{
    const bool jet3 = file.isJet3();
    // Real indexes: ten (column number, order) slots, the page counts and the flags.
    const int realSize = jet3 ? 39 : 52;
    const int slotsAt = jet3 ? 0 : 4;
    const int flagsAt = jet3 ? 38 : 46;
    struct Real {
        QList<int> cols;
        quint8 flags;
    };
    QList<Real> reals;
    for (quint32 i = 0; i < realIndexCount; ++i, pos += realSize) {
        r.need(pos, realSize);
        Real real;
        for (int s = 0; s < 10; ++s) {
            const int col = r.u16(pos + slotsAt + 3 * s);
            if (col == 0xFFFF)
                continue;
            if (!numbers.contains(col))
                r.bad(QStringLiteral("Indexfeld"));
            real.cols.append(col);
        }
        real.flags = r.u8(pos + flagsAt);
        reals.append(real);
    }
    // Logical indexes: number, real index, related-table kind, ..., index kind.
    QList<IndexLayout> indexes;
    const int logicalSize = jet3 ? 20 : 28;
    const int lead = jet3 ? 0 : 4;
    for (quint32 i = 0; i < indexCount; ++i, pos += logicalSize) {
        r.need(pos, logicalSize);
        const quint32 real = r.u32(pos + lead + 4);
        const quint8 relatedKind = r.u8(pos + lead + 8);
        const quint8 kind = r.u8(pos + lead + 19);
        if (real >= quint32(reals.size()))
            r.bad(QStringLiteral("Verweis eines Index"));
        IndexLayout ix;
        ix.primary = kind == 1;
        ix.unique = ix.primary || (reals[int(real)].flags & 0x01);
        ix.backReference = relatedKind == 1;
        ix.columnNumbers = reals[int(real)].cols;
        indexes.append(ix);
    }
    for (quint32 i = 0; i < indexCount; ++i) {
        const int len = jet3 ? r.u8(pos) : r.u16(pos);
        pos += (jet3 ? 1 : 2);
        r.need(pos, len);
        indexes[int(i)].name = file.decodeText(r.bytes().constData() + pos, len);
        pos += len;
    }
    return indexes;
}

}  // namespace

TableLayout readTableLayout(const AccessFile& file, quint32 tdefPage, const QString& tableName)
{
    const QByteArray bytes = joinChain(file, tdefPage, tableName);
    const Reader r(bytes, file, tableName);
    const MdbFormatConstants* f = file.handle()->fmt;

    TableLayout t;
    t.rowCount = r.u32(f->tab_num_rows_offset);
    t.varColumnCount = r.u16(f->tab_num_cols_offset - 2);
    const int columnCount = r.u16(f->tab_num_cols_offset);
    const quint32 indexCount = r.u32(f->tab_num_idxs_offset);
    const quint32 realIndexCount = r.u32(f->tab_num_ridxs_offset);
    // Access allows 255 fields and 32 indexes per table; relationships add a few more.
    if (columnCount < 1 || columnCount > 255)
        r.bad(QStringLiteral("Anzahl der Felder %1").arg(columnCount));
    if (t.varColumnCount > columnCount)
        r.bad(QStringLiteral("Anzahl der Felder variabler Länge"));
    if (indexCount > 255 || realIndexCount > 255 || realIndexCount > indexCount)
        r.bad(QStringLiteral("Anzahl der Indizes"));

    qint64 pos = f->tab_cols_start_offset + qint64(realIndexCount) * f->tab_ridx_entry_size;
    QSet<int> numbers;
    t.columns = readColumns(r, file, columnCount, pos, numbers);
    t.indexes = readIndexes(r, file, realIndexCount, indexCount, numbers, pos);
    return t;
}

}  // namespace accessdb::mdb
