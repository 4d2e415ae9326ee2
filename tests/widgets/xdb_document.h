#pragma once
// Builds XDB documents for tests: lines with the keys and values in their fixed columns, written
// in Windows-1252 with CR LF.
#include "runtime/Cp1252.h"

#include <QFile>
#include <QString>
#include <QStringList>

namespace xdbdoc {

// Text padded with blanks to the given width (never cut).
inline QString pad(const QString& s, int width) { return s.leftJustified(width, QLatin1Char(' ')); }
inline QString rjust(int n, int width) { return QString::number(n).rightJustified(width, QLatin1Char(' ')); }

// Key in columns 1-22 (23 blank), value from column 24.
inline QString key22(const QString& key, const QString& value) { return pad(key, 23) + value; }
// Key in columns 1-24 (25 blank), value from column 26.
inline QString key24(const QString& key, const QString& value) { return pad(key, 25) + value; }

// "[felder]" field: name 24-71, type 76-78, size 80-82.
inline QString feld(const QString& name, int type, int size)
{
    return pad(QStringLiteral("feld"), 23) + pad(name, 48) + QStringLiteral("    ") + rjust(type, 3) +
           QLatin1Char(' ') + rjust(size, 3);
}
// "[renamefield]" field: old name 26-75, new name from 77.
inline QString renameFeld(const QString& oldName, const QString& newName)
{
    return key24(QStringLiteral("feld"), pad(oldName, 50) + QLatin1Char(' ') + newName);
}
inline QString renameTabelle(const QString& oldName, const QString& newName)
{
    return key24(QStringLiteral("tabelle"), pad(oldName, 50) + QLatin1Char(' ') + newName);
}
// Old format: "#####" and the table name from column 27; fields: name 1-50, type 51-53, size 54-56,
// default from 57.
inline QString oldHeader(const QString& table) { return pad(QStringLiteral("#####"), 26) + table; }
inline QString oldFeld(const QString& name, int type, int size, const QString& defaultValue = QString())
{
    return pad(name, 50) + rjust(type, 3) + rjust(size, 3) + defaultValue;
}

inline QByteArray bytes(const QStringList& lines, const char* eol = "\r\n")
{
    QByteArray out;
    for (const QString& l : lines)
        out += rt::toCp1252(l) + eol;
    return out;
}

inline QString write(const QString& path, const QByteArray& content)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

}  // namespace xdbdoc
