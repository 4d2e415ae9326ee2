#pragma once
#include "dataaccess/AccessDatabase.h"

#include <QByteArray>
#include <QString>

// Turning the raw bytes of one field, as they stand in a row, into the value the record set
// gives. Pure functions: the file layer hands over the bytes, these only interpret them.
namespace accessdb::mdb {

// The decoders that run for every value of every row write into the caller's string, so a record
// set reuses its values' buffers from row to row instead of allocating new ones. Numbers are not
// decoded here: they are carried as numbers (see Value).

// ACE decimal (sign byte + 128-bit integer), exact with a decimal point: wider than any number type.
QString decimalText(const QByteArray& raw17, int scale);

// A date/time double (days since 1899-12-30, time as the fraction) split into its parts and
// text. Returns false when the value lies outside the years 100..9999 (damaged or meaningless).
bool decodeDate(double days, Value& out);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" from the 16 stored bytes (first three groups little-endian).
QString guidText(const QByteArray& raw16);

// Jet 4 text: UTF-16LE, or the compressed form that starts with FF FE.
void jet4Text(const char* data, int size, QString& out);

}  // namespace accessdb::mdb
