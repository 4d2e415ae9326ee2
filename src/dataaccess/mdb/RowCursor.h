#pragma once
#include "dataaccess/AccessDatabase.h"
#include "dataaccess/mdb/AccessFile.h"
#include "dataaccess/mdb/TableLayout.h"

#include <QList>
#include <array>

namespace accessdb::mdb {

// A forward scan over the rows of one local table, in physical order. Each row is cracked by
// libmdb into its fields' raw bytes, which decode() turns into values. Nothing but the current
// row is held.
class RowCursor {
public:
    RowCursor(const AccessFile& file, MdbCatalogEntry* entry, const QString& tableName);
    ~RowCursor();
    RowCursor(const RowCursor&) = delete;
    RowCursor& operator=(const RowCursor&) = delete;

    const QList<Field>& fields() const { return fields_; }
    const TableLayout& layout() const { return layout_; }
    int columnIndex(const QString& name) const;  // -1 when absent
    // A column a system table must have; without it the file is damaged (3049, "Systemtabelle
    // <table> unvollständig").
    int requiredColumn(const QString& name) const;

    // The moves raise 3049 naming the row when the table's data is damaged: a page or row libmdb
    // complains about, or fewer rows than the table definition counts.
    void rewind();
    bool next();  // false at the end
    // Positions on the last row of the table; false when the table is empty. Counts the rows.
    bool last(long& count);
    long storedRowCount() const;  // as the table definition counts them

    bool isNull(int i) const;
    void decode(int i, Value& out) const;
    QByteArray rawBytes(int i) const;  // the stored bytes (long values whole)
    qint64 integer(int i) const;       // Byte/Integer/Long; 0 when null
    QString text(int i) const;         // Text/Memo; empty when null

private:
    bool nextRow();
    bool lastRow(long& count);
    // Raises when the scan ended with fewer rows than the table definition counts.
    void checkComplete(long rows) const;
    bool crackSlot(int slot);
    bool loadNextPage();
    void ensurePageLoaded();

    const AccessFile& file_;
    QString name_;
    TableLayout layout_;
    MdbTableDef* table_ = nullptr;
    QList<Field> fields_;
    QList<MdbColumn*> columns_;
    std::array<MdbField, 256> cracked_{};
    QByteArray rowCopy_;  // the current row's bytes; cracked_ points into it
    bool havePage_ = false;
    int rowsOnPage_ = 0;
    int nextSlot_ = 0;
    int currentSlot_ = -1;
    long rowsRead_ = 0;      // by next() since the last rewind
    bool scanning_ = false;  // inside next()
};

// The Access field description of a libmdb column: type code, size as Access reports it,
// Required and DefaultValue from the column's properties.
Field describeColumn(const AccessFile& file, MdbColumn* col);

}  // namespace accessdb::mdb
