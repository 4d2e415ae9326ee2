#pragma once
#include "dataaccess/AccessDatabase.h"

#include <QByteArray>
#include <QString>

// Turning the raw bytes of one field, as they stand in a row, into the value the record set
// gives. Pure functions: the file layer hands over the bytes, these only interpret them.
namespace accessdb::mdb {

// The decoders that run for every value of every row write into the caller's string, so a record
// set reuses its values' buffers from row to row instead of allocating new ones.

// Text forms of numbers as the old run time printed them, with the system's decimal separator;
// more digits only where those would not read back as the same value.
void singleText(float v, QString& out);    // 7 significant digits, up to 9
void doubleText(double v, QString& out);   // 15 significant digits, up to 17
void integerText(qint64 v, QString& out);

QString currencyText(qint64 scaled);     // exact, value = scaled / 10000, no trailing zeros
QString decimalText(const QByteArray& raw17, int scale);  // ACE decimal: sign byte + 128-bit integer

// A date/time double (days since 1899-12-30, time as the fraction) split into its parts and
// text. Returns false when the value lies outside the years 100..9999 (damaged or meaningless).
bool decodeDate(double days, Value& out);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" from the 16 stored bytes (first three groups little-endian).
QString guidText(const QByteArray& raw16);

// Jet 4 text: UTF-16LE, or the compressed form that starts with FF FE.
void jet4Text(const char* data, int size, QString& out);

}  // namespace accessdb::mdb
