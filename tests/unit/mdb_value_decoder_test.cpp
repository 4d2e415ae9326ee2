// Dates and compressed texts decoded from their stored bytes.
#include "dataaccess/mdb/ValueDecoder.h"

#include <QByteArray>
#include <QDate>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace accessdb::mdb;

TEST(MdbValueDecoder, DatesAcrossTheWholeRange)
{
    // Year, month and day are checked against QDate below; here the text and the time of day.
    const std::pair<double, const char*> cases[] = {
        {0.0, "30.12.1899"},
        {-1.5, "29.12.1899 12:00:00"},  // the fraction counts forward from the day also below zero
        {38053.4305555556, "07.03.2004 10:20:00"},
        {1.0 - 1e-9, "31.12.1899"},  // rounds up to midnight: the next day, never 24:00:00
        {2958465.0 + 86399.0 / 86400.0, "31.12.9999 23:59:59"},
        {-657434.0, "01.01.0100"},
    };
    accessdb::Value v;
    for (const auto& [days, text] : cases) {
        ASSERT_TRUE(decodeDate(days, v)) << days;
        EXPECT_EQ(v.text, text) << days;
    }
    for (double outside : {2958466.0, -657435.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(decodeDate(outside, v)) << outside;
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

TEST(MdbValueDecoder, CompressedTextStopsAtItsLastWholeCharacter)
{
    // One compressed character, a switch to two bytes a character, and a cut character.
    QString out;
    jet4Text("\xFF\xFE"
             "a\0b",
             5, out);
    EXPECT_EQ(out, QStringLiteral("a"));
}
