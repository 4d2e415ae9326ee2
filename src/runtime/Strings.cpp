#include "runtime/Strings.h"
#include "runtime/RuntimeError.h"

#include <QDateTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

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

namespace {
// Whether the text reads back as the same value of the number's own width.
template <class Number>
bool readsBack(const char* begin, const char* end, Number v)
{
    Number back = std::numeric_limits<Number>::quiet_NaN();
    std::from_chars(begin, end, back, std::chars_format::general);
    return back == v;
}

// printf's %g gives the shortest form with the requested significant digits; the old run time
// wrote the exponent as "E+07"/"E-05". Where that many digits would change the value
// (123456789.123456789, the largest Double), the fewest further digits up to maxDigits that keep it.
template <class Number>
qsizetype generalNumber(Number v, int digits, int maxDigits, char16_t* out)
{
    if (v == 0) {
        out[0] = u'0';
        return 1;
    }
    char buf[64];
    // to_chars writes what printf's %.*g writes, several times faster: this runs for every
    // number of every row.
    char* end = buf;
    for (int d = digits; d <= maxDigits; ++d) {
        end = std::to_chars(buf, buf + sizeof buf, double(v), std::chars_format::general, d).ptr;
        if (readsBack(buf, end, v))
            break;
    }
    qsizetype n = 0;
    for (const char* c = buf; c != end; ++c)
        out[n++] = *c == 'e' ? u'E' : char16_t(*c);
    return n;
}
}  // namespace

NumberText NumberText::ofSingle(float v)
{
    NumberText t;
    t.n_ = generalNumber(v, 7, 9, t.buf_);
    return t;
}

NumberText NumberText::ofDouble(double v)
{
    NumberText t;
    t.n_ = generalNumber(v, 15, 17, t.buf_);
    return t;
}

NumberText NumberText::ofCurrency(qint64 tenThousandths)
{
    NumberText t;
    const bool negative = tenThousandths < 0;
    // Unsigned, so that the most negative value does not overflow.
    const quint64 magnitude = negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    const DecimalDigits whole(qint64(magnitude / 10000));
    if (negative)
        t.buf_[t.n_++] = u'-';
    std::copy_n(whole.data(), whole.size(), t.buf_ + t.n_);
    t.n_ += whole.size();
    quint64 frac = magnitude % 10000;
    if (frac != 0) {
        t.buf_[t.n_++] = u'.';
        for (quint64 unit = 1000; frac != 0; unit /= 10) {
            t.buf_[t.n_++] = char16_t(u'0' + frac / unit);
            frac %= unit;
        }
    }
    return t;
}

}  // namespace rt
