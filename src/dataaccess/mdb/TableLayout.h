#pragma once
#include "dataaccess/mdb/AccessFile.h"

#include <QList>
#include <QString>

namespace accessdb::mdb {

struct ColumnLayout {
    QString name;
    int type = 0;
    int number = 0;       // column number, gaps of deleted columns included
    int varNumber = 0;    // slot in the row's variable-length table
    int rowNumber = 0;    // slot in the row's null mask
    int fixedOffset = 0;  // offset among the fixed-length data
    int size = 0;         // bytes
    int flags = 0;        // 0x01 fixed length, 0x04 AutoNumber
    bool isFixed() const { return flags & 0x01; }
};

struct IndexLayout {
    QString name;
    bool primary = false;
    bool unique = false;
    bool backReference = false;  // the hidden ".rX" index on a relationship's primary side
    QList<int> columnNumbers;    // in index order
};

// A table definition as stored (its TDEF pages), read and checked without libmdb, so that libmdb
// is only given table definitions whose counts and offsets fit the pages they claim.
struct TableLayout {
    quint32 rowCount = 0;
    int varColumnCount = 0;
    QList<ColumnLayout> columns;  // stored order
    QList<IndexLayout> indexes;   // stored order, back-references included
};

// Raises 3049 (damaged) when the definition does not hold together.
TableLayout readTableLayout(const AccessFile& file, quint32 tdefPage, const QString& tableName);

}  // namespace accessdb::mdb
