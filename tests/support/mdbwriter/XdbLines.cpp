#include "XdbLines.h"

namespace mdbw::xdb {

namespace {
QString padded(const QString& text, int width) { return text.leftJustified(width, QLatin1Char(' ')); }
QString rightAligned(int n, int width) { return QString::number(n).rightJustified(width, QLatin1Char(' ')); }
}  // namespace

QString key22(const QString& key, const QString& value) { return padded(key, 23) + value; }

QString key24(const QString& key, const QString& value) { return padded(key, 25) + value; }

QString renamed(const QString& key, const QString& from, const QString& to)
{
    return key24(key, padded(from, 51) + to);
}

QString newField(const QString& name, int typeCode, int size)
{
    return key22(QStringLiteral("feld"),
                 padded(name, 52) + rightAligned(typeCode, 3) + QLatin1Char(' ') + rightAligned(size, 3));
}

QString oldHeader(const QString& table) { return padded(QStringLiteral("#####"), 26) + table; }

QString oldField(const QString& name, int typeCode, int size, const QString& defaultValue)
{
    return padded(name, 50) + rightAligned(typeCode, 3) + rightAligned(size, 3) + defaultValue;
}

}  // namespace mdbw::xdb
