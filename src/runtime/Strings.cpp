#include "runtime/Strings.h"
#include "runtime/RuntimeError.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <optional>

namespace rt {

QString ltrim(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    return s.mid(i);
}

QString rtrim(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == u' ')
        --n;
    return s.left(n);
}

QString trim(const QString& s) { return ltrim(rtrim(s)); }

QString left(const QString& s, int n)
{
    if (n < 0)
        throw runtimeFailure(err::InvalidCall);
    return s.left(n);
}

QString right(const QString& s, int n)
{
    if (n < 0)
        throw runtimeFailure(err::InvalidCall);
    return n >= s.size() ? s : s.right(n);
}

QString mid(const QString& s, int start, int length)
{
    if (start < 1 || length < -1)
        throw runtimeFailure(err::InvalidCall);
    if (start > s.size())
        return QString();
    return length < 0 ? s.mid(start - 1) : s.mid(start - 1, length);
}

int instr(const QString& s, const QString& find, int start, Qt::CaseSensitivity cs)
{
    if (start < 1)
        throw runtimeFailure(err::InvalidCall);
    if (start > s.size() + 1)
        return 0;
    if (find.isEmpty())
        return start;
    const qsizetype p = s.indexOf(find, start - 1, cs);
    return p < 0 ? 0 : int(p) + 1;
}

bool containsCi(const QString& s, const QString& find) { return s.contains(find, Qt::CaseInsensitive); }

QString replaceCi(const QString& s, const QString& find, const QString& with)
{
    if (find.isEmpty())
        return s;
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype p = s.indexOf(find, from, Qt::CaseInsensitive);
        if (p < 0)
            break;
        out += QStringView(s).mid(from, p - from);
        out += with;
        from = p + find.size();
    }
    out += QStringView(s).mid(from);
    return out;
}

double val(const QString& s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && (s[i] == u' ' || s[i] == u'\t'))
        ++i;
    QByteArray num;
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        num += char(s[i++].unicode());
    bool digits = false;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
        num += char(s[i++].unicode());
        digits = true;
    }
    if (i < n && s[i] == u'.') {
        num += '.';
        ++i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            num += char(s[i++].unicode());
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        QByteArray exp = "e";
        qsizetype j = i + 1;
        if (j < n && (s[j] == u'+' || s[j] == u'-'))
            exp += char(s[j++].unicode());
        bool expDigits = false;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
            exp += char(s[j++].unicode());
            expDigits = true;
        }
        if (expDigits)
            num += exp;
    }
    const double v = std::strtod(num.constData(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

static double roundHalfEven(double v)
{
    return std::nearbyint(v);  // the default rounding mode rounds halves to even
}

qint16 toInt16(double v)
{
    const double r = roundHalfEven(v);
    if (!std::isfinite(r) || r < -32768.0 || r > 32767.0)
        throw runtimeFailure(err::Overflow);
    return qint16(r);
}

qint32 toInt32(double v)
{
    const double r = roundHalfEven(v);
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0)
        throw runtimeFailure(err::Overflow);
    return qint32(r);
}

QString format000(qint64 n)
{
    if (n < 0)
        return QStringLiteral("-") + format000(-n);
    return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

QString timeText(const QTime& t) { return t.toString(QStringLiteral("HH:mm:ss")); }

QString generalDateText(const QDateTime& dt)
{
    if (dt.time() == QTime(0, 0))
        return dt.date().toString(QStringLiteral("dd.MM.yyyy"));
    return dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString durationText(qint64 seconds)
{
    if (seconds >= 0 && seconds < 86400)
        return timeText(QTime(0, 0).addSecs(int(seconds)));
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    return generalDateText(base.addSecs(seconds));
}

static std::optional<QChar>& separatorOverride()
{
    static std::optional<QChar> value;
    return value;
}

DecimalDigits::DecimalDigits(qint64 v) : at_(int(sizeof buf_ / sizeof buf_[0]))
{
    // Unsigned, so that the most negative number does not overflow.
    quint64 m = v < 0 ? quint64(0) - quint64(v) : quint64(v);
    do {
        buf_[--at_] = char16_t(u'0' + m % 10);
        m /= 10;
    } while (m != 0);
    if (v < 0)
        buf_[--at_] = u'-';
}

QString ucase(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            const char32_t up = QChar::toUpper(QChar::surrogateToUcs4(c, s[i + 1]));
            out += QChar::highSurrogate(up);
            out += QChar::lowSurrogate(up);
            ++i;
        } else {
            out += QChar(char16_t(QChar::toUpper(c.unicode())));
        }
    }
    return out;
}

QChar decimalSeparator()
{
    if (separatorOverride())
        return *separatorOverride();
    // The system's locale does not change while the program runs; numbers are written per row.
    static const QChar system = [] {
        const QString p = QLocale::system().decimalPoint();
        return p.isEmpty() ? QChar(u'.') : p.at(0);
    }();
    return system;
}

void setDecimalSeparator(QChar c) { separatorOverride() = c; }

}  // namespace rt
