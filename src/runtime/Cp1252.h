#pragma once
#include <QByteArray>
#include <QString>

// Windows-1252, the single-byte code page of the system's text files (a fixed table, not the locale).
namespace rt {
QByteArray toCp1252(QStringView text);        // characters without a code become '?'
QString fromCp1252(const QByteArray& bytes);  // the five undefined bytes map to U+0081 etc.
}  // namespace rt
