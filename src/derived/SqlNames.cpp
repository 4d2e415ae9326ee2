#include "derived/SqlNames.h"

namespace sqlnames {

QString bracketed(const QString& name)
{
    return QLatin1Char('[') + QString(name).replace(QLatin1Char(']'), QStringLiteral("]]")) + QLatin1Char(']');
}

QString doubleQuoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString inLiteral(const QString& text) { return QString(text).replace(QLatin1Char('\''), QStringLiteral("''")); }

QString literal(const QString& text) { return QLatin1Char('\'') + inLiteral(text) + QLatin1Char('\''); }

bool isPlainIdentifier(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (QChar ch : name) {
        const bool ok = ch.isLetter() || (ch >= u'0' && ch <= u'9') || ch == u'_' || ch == u'$' || ch == u'#';
        if (!ok)
            return false;
    }
    return true;
}

}  // namespace sqlnames
