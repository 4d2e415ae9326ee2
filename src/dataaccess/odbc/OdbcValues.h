#pragma once
#include "OdbcHandles.h"

#include <QByteArray>
#include <QVariant>

// The values of a statement's current row.
namespace odbc {

// Reads a character column in pieces; `null` tells SQL NULL apart from empty. The length of a
// piece is taken from its terminator, not from the reported length: for drivers without wide
// functions the driver manager reports the narrow byte count, which overstates texts with umlauts.
QString readText(const Handle& stmt, SQLUSMALLINT column, bool& null);

QByteArray readBytes(const Handle& stmt, SQLUSMALLINT column, bool& null);

// Column `column` (1-based) of the current row as a QVariant: numbers as numbers, SQL NULL as
// a null QVariant, binary as bytes, everything else as text.
QVariant readValue(const Handle& stmt, SQLUSMALLINT column);

// Calls `row` with the statement on each row of its result.
template <class Row>
void forEachRow(const Handle& stmt, Row row)
{
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt.get());
        if (rc == SQL_NO_DATA)
            return;
        check(rc, stmt, "SQLFetch");
        row();
    }
}

}  // namespace odbc
