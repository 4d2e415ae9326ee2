// Number, date, GUID and text forms decoded from stored bytes.
#include "dataaccess/mdb/ValueDecoder.h"
#include "runtime/Strings.h"

#include <QByteArray>
#include <QDate>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

using namespace accessdb::mdb;

namespace {
// The decoders write into a string of the caller's; as values here.
QString singleText(float v)
{
    QString s;
    accessdb::mdb::singleText(v, s);
    return s;
}
QString doubleText(double v)
{
    QString s;
    accessdb::mdb::doubleText(v, s);
    return s;
}

struct Separator {
    explicit Separator(QChar c) { rt::setDecimalSeparator(c); }
    ~Separator() { rt::setDecimalSeparator(u'.'); }
};
}  // namespace

TEST(MdbValueDecoder, NumbersUseTheSystemSeparatorAndTheirPrecision)
{
    Separator comma(u',');
    EXPECT_EQ(currencyText(35000), "3,5");
    EXPECT_EQ(currencyText(120000), "12");
    EXPECT_EQ(currencyText(-1), "-0,0001");
    EXPECT_EQ(currencyText(0), "0");
    EXPECT_EQ(currencyText(std::numeric_limits<qint64>::min()), "-922337203685477,5808");
    EXPECT_EQ(currencyText(std::numeric_limits<qint64>::max()), "922337203685477,5807");

    EXPECT_EQ(singleText(0.15f), "0,15");
    EXPECT_EQ(singleText(1000000.0f), "1000000");
    EXPECT_EQ(singleText(12345678.0f), "12345678");
    EXPECT_EQ(singleText(1.0f / 3.0f), "0,33333334");
    EXPECT_EQ(singleText(-0.00001f), "-1E-05");
    EXPECT_EQ(singleText(std::numeric_limits<float>::max()), "3,4028235E+38");
    EXPECT_EQ(doubleText(0.1), "0,1");
    EXPECT_EQ(doubleText(1000000.0), "1000000");
    EXPECT_EQ(doubleText(123456789.123456789), "123456789,12345679");
    EXPECT_EQ(doubleText(0.1 + 0.2), "0,30000000000000004");
    EXPECT_EQ(doubleText(-2.5), "-2,5");
    EXPECT_EQ(doubleText(1e300), "1E+300");
    EXPECT_EQ(doubleText(std::numeric_limits<double>::max()), "1,7976931348623157E+308");
}

TEST(MdbValueDecoder, DatesAcrossTheWholeRange)
{
    accessdb::Value v;
    ASSERT_TRUE(decodeDate(0.0, v));
    EXPECT_EQ(v.text, "30.12.1899");
    ASSERT_TRUE(decodeDate(-1.5, v));   // the fraction counts forward from the day also below zero
    EXPECT_EQ(v.text, "29.12.1899 12:00:00");
    ASSERT_TRUE(decodeDate(38053.4305555556, v));
    EXPECT_EQ(v.text, "07.03.2004 10:20:00");
    EXPECT_EQ(v.year, 2004);
    EXPECT_EQ(v.month, 3);
    EXPECT_EQ(v.day, 7);
    EXPECT_EQ(v.hour * 3600 + v.minute * 60 + v.second, 10 * 3600 + 20 * 60);
    ASSERT_TRUE(decodeDate(1.0 - 1e-9, v));   // rounds up to midnight: the next day, never 24:00:00
    EXPECT_EQ(v.text, "31.12.1899");
    ASSERT_TRUE(decodeDate(2958465.0 + 86399.0 / 86400.0, v));
    EXPECT_EQ(v.text, "31.12.9999 23:59:59");
    ASSERT_TRUE(decodeDate(-657434.0, v));
    EXPECT_EQ(v.text, "01.01.0100");
    ASSERT_TRUE(decodeDate(-728.0, v));
    EXPECT_EQ(v.text, "01.01.1898");
    EXPECT_FALSE(decodeDate(2958466.0, v));
    EXPECT_FALSE(decodeDate(-657435.0, v));
    EXPECT_FALSE(decodeDate(std::nan(""), v));
    EXPECT_FALSE(decodeDate(std::numeric_limits<double>::infinity(), v));
}

TEST(MdbValueDecoder, CalendarAgreesWithQDateOnEveryDayNumber)
{
    // The decoder does its own calendar arithmetic; QDate is the reference. Every day of the
    // range would take long under the sanitizers, a step of 7 meets every weekday and year edge.
    const QDate zero(1899, 12, 30);
    accessdb::Value v;
    for (qint64 day = -657434; day < 2958466; day += 7) {
        ASSERT_TRUE(decodeDate(double(day), v)) << day;
        const QDate expected = zero.addDays(day);
        ASSERT_EQ(QDate(v.year, v.month, v.day), expected) << day;
    }
    for (qint64 day : {-1, 59, 60, 61, -36463, 36584, 2958465})
        ASSERT_TRUE(decodeDate(double(day), v) && QDate(v.year, v.month, v.day) == zero.addDays(day)) << day;
}

TEST(MdbValueDecoder, NumberTextsMatchPrintfGeneralFormatWhereThatKeepsTheValue)
{
    // The old run time's texts are printf's %.15g / %.7g; where those read back as another value,
    // the fewest further digits (up to %.17g / %.9g) that keep it.
    auto expectedText = [](double v, int digits, int maxDigits, bool single) {
        char text[64];
        for (int d = digits; d <= maxDigits; ++d) {
            std::snprintf(text, sizeof text, "%.*G", d, v);
            const double back = std::strtod(text, nullptr);
            if (single ? float(back) == float(v) : back == v)
                break;
        }
        return QString::fromLatin1(text);
    };
    quint64 x = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 20000; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        double d = 0;
        std::memcpy(&d, &x, sizeof d);
        if (!std::isfinite(d) || d == 0)
            continue;
        if (i % 2)
            d = double(qint64(x % 100000000)) / 100.0;   // money-like values
        const QString expected = expectedText(d, 15, 17, false);
        ASSERT_EQ(doubleText(d), expected) << expected.toStdString();
        if (std::isfinite(float(d)) && float(d) != 0) {
            const QString expectedSingle = expectedText(double(float(d)), 7, 9, true);
            ASSERT_EQ(singleText(float(d)), expectedSingle) << expectedSingle.toStdString();
        }
    }
}
