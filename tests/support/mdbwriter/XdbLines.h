#pragma once
#include <QString>

// Lines of an XDB document with their keys and values in the fixed columns the reader expects
// (columns counted from 1).
namespace mdbw::xdb {

// A key with its value from column 24: "tabelle", "name", "attribute", "felderanzahl", "feld" and
// "sql" of the [felder], [Indizes] and [querys] sections.
QString key22(const QString& key, const QString& value);
// A key with its value from column 26: "tabelle" of [renamefield].
QString key24(const QString& key, const QString& value);
// A renaming under `key` ("feld" of [renamefield], "tabelle" of [renametable]): the old name from
// column 26, the new one from column 77.
QString renamed(const QString& key, const QString& from, const QString& to);
// A [felder] field: name from column 24, type right-aligned in 76-78, size in 80-82.
QString newField(const QString& name, int typeCode, int size);
// The old format: "#####" with the table name from column 27, then its fields: name in 1-50, type
// right-aligned in 51-53, size in 54-56, the default from column 57.
QString oldHeader(const QString& table);
QString oldField(const QString& name, int typeCode, int size, const QString& defaultValue);

}  // namespace mdbw::xdb
