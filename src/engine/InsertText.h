#pragma once
#include "dataaccess/AccessDatabase.h"
#include "diag/TextOptions.h"

#include <QString>
#include <QStringView>

#include <string>

// The INSERT of one row, built for every row of a copy: pure functions from the server kind, the
// option values of the moment and the row's values, written into a plain buffer.
namespace engine {

// Whether record number counter (from 1) belongs to this machine.
bool isThisMachinesRecord(qint64 counter, int textMax, int textMod);

// The INSERT of a row is built in a plain UTF-16 buffer: appending to it costs a few
// instructions, appending to a QString a library call with its checks.
using TextBuffer = std::u16string;
inline void append(TextBuffer& out, QStringView s) { out.append(s.utf16(), size_t(s.size())); }
inline void append(TextBuffer& out, const char* ascii)
{
    while (*ascii)
        out.push_back(char16_t(static_cast<unsigned char>(*ascii++)));
}
inline QString toQString(const TextBuffer& b) { return QString::fromUtf16(b.data(), qsizetype(b.size())); }

// Appends one field's part of an INSERT to out; false: the field is left out of the statement
// (out unchanged). Numbers are written with a decimal point whatever the system's locale.
// dateOfRecord: the record's "datum" value when field is a special time column, else null.
bool appendInsertValue(TextBuffer& out, const accessdb::Field& field, const accessdb::Value& value,
                       const TextOptions& o, const accessdb::Value* dateOfRecord = nullptr);

// Appends "INSERT INTO table (columns) VALUES (values)"; the lists come with their opening
// bracket and without the closing one.
void appendInsertStatement(TextBuffer& out, const QString& table, const TextBuffer& columnList,
                           const TextBuffer& valueList);

}  // namespace engine
