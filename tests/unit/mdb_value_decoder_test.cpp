// Date forms decoded from stored numbers.
#include "dataaccess/mdb/ValueDecoder.h"

#include <QByteArray>
#include <QDate>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace accessdb::mdb;

TEST(MdbValueDecoder, DatesAcrossTheWholeRange)
{
    accessdb::Value v;
    ASSERT_TRUE(decodeDate(0.0, v));
    EXPECT_EQ(v.text, "30.12.1899");
    ASSERT_TRUE(decodeDate(-1.5, v));  // the fraction counts forward from the day also below zero
    EXPECT_EQ(v.text, "29.12.1899 12:00:00");
    ASSERT_TRUE(decodeDate(38053.4305555556, v));
    EXPECT_EQ(v.text, "07.03.2004 10:20:00");
    EXPECT_EQ(v.year, 2004);
    EXPECT_EQ(v.month, 3);
    EXPECT_EQ(v.day, 7);
    EXPECT_EQ(v.hour * 3600 + v.minute * 60 + v.second, 10 * 3600 + 20 * 60);
    ASSERT_TRUE(decodeDate(1.0 - 1e-9, v));  // rounds up to midnight: the next day, never 24:00:00
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
