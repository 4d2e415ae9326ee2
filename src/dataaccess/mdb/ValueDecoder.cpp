#include "dataaccess/mdb/ValueDecoder.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace accessdb::mdb {

namespace {

// Replaces out's text, reusing its buffer when it has its own of sufficient size.
void assign(QString& out, const char16_t* text, qsizetype n)
{
    out.resize(n);
    std::memcpy(static_cast<void*>(out.data()), text, size_t(n) * sizeof(char16_t));
}

struct CivilDate {
    int year, month, day;
};

// The Gregorian calendar date (also before 1582, as Access counts) of a day number counted
// from 1899-12-30, by whole-era arithmetic: 400 years are exactly 146097 days.
CivilDate civilDate(qint64 daysFrom18991230)
{
    const qint64 z = daysFrom18991230 + 693899;  // days from 0000-03-01
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 dayOfEra = z - era * 146097;                                                            // 0..146096
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;  // 0..399
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);             // from March 1
    const qint64 mp = (5 * dayOfYear + 2) / 153;                                                         // March = 0
    const int day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    const int year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

}  // namespace

QString decimalText(const QByteArray& raw, int scale)
{
    if (raw.size() < 17)
        return QString();
    const auto* b = reinterpret_cast<const unsigned char*>(raw.constData());
    // Four 32-bit little-endian words, the most significant first.
    unsigned __int128 v = 0;
    for (int w = 0; w < 4; ++w) {
        const unsigned char* p = b + 1 + 4 * w;
        const quint32 word = quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
        v = (v << 32) | word;
    }
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(v % 10)));
        v /= 10;
    } while (v != 0);
    scale = qBound(0, scale, 38);
    if (scale > 0) {
        if (digits.size() <= scale)
            digits = QString(scale - digits.size() + 1, u'0') + digits;
        QString intPart = digits.left(digits.size() - scale);
        QString frac = digits.mid(digits.size() - scale);
        while (frac.endsWith(u'0'))
            frac.chop(1);
        digits = frac.isEmpty() ? intPart : intPart + u'.' + frac;
    }
    const bool negative = (b[0] & 0x80) != 0 && digits != QStringLiteral("0");
    return negative ? QStringLiteral("-") + digits : digits;
}

bool decodeDate(double days, Value& out)
{
    // 0001-01-01 .. 9999-12-31 would be wider; Access itself accepts the years 100 to 9999.
    constexpr double kMin = -657434.0;  // 0100-01-01
    constexpr double kMax = 2958466.0;  // 10000-01-01 (exclusive)
    if (!std::isfinite(days) || days < kMin || days >= kMax)
        return false;
    // The whole part counts days (also below zero); the fraction is the time of day in both
    // directions, so -1.5 is 1899-12-29 12:00.
    double whole = std::trunc(days);
    qint64 secs = qint64(std::llround(std::fabs(days - whole) * 86400.0));
    qint64 day = qint64(whole);
    if (secs >= 86400) {  // rounding reached midnight: the next calendar day
        secs -= 86400;
        day += 1;
    }
    const CivilDate date = civilDate(day);
    if (date.year < 100 || date.year > 9999)
        return false;
    out.year = date.year;
    out.month = date.month;
    out.day = date.day;
    out.hour = int(secs / 3600);
    out.minute = int(secs / 60 % 60);
    out.second = int(secs % 60);
    // Written digit by digit: this runs for every date of every row.
    char16_t buf[19] = {};
    auto two = [&buf](int at, int v) {
        buf[at] = char16_t(u'0' + v / 10);
        buf[at + 1] = char16_t(u'0' + v % 10);
    };
    two(0, out.day);
    buf[2] = u'.';
    two(3, out.month);
    buf[5] = u'.';
    two(6, out.year / 100);
    two(8, out.year % 100);
    int len = 10;
    if (secs != 0) {
        buf[10] = u' ';
        two(11, out.hour);
        buf[13] = u':';
        two(14, out.minute);
        buf[16] = u':';
        two(17, out.second);
        len = 19;
    }
    assign(out.text, buf, len);
    return true;
}

QString guidText(const QByteArray& raw)
{
    if (raw.size() < 16)
        return QString();
    const auto* b = reinterpret_cast<const unsigned char*>(raw.constData());
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3], b[2],
                  b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return QString::fromLatin1(buf);
}

void jet4Text(const char* data, int size, QString& out)
{
    const auto* b = reinterpret_cast<const unsigned char*>(data);
    if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        // Compressed: one byte per character (U+0000..U+00FF); a zero byte switches between the
        // one-byte and the two-byte form. Never more characters than bytes.
        out.resize(size);
        char16_t* to = reinterpret_cast<char16_t*>(out.data());
        qsizetype n = 0;
        bool compressed = true;
        int i = 2;
        while (i < size) {
            if (b[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                to[n++] = char16_t(b[i]);
                ++i;
            } else {
                if (i + 1 >= size)
                    break;
                to[n++] = char16_t(b[i] | b[i + 1] << 8);
                i += 2;
            }
        }
        out.truncate(n);
        return;
    }
    // Copied rather than cast: the bytes need not be aligned for char16_t.
    out.resize(qMax(0, size / 2));
    std::memcpy(out.data(), data, size_t(out.size()) * 2);
}

}  // namespace accessdb::mdb
