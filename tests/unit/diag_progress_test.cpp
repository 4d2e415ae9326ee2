#include "common/FakeMainWindow.h"
#include "diag/Module1.h"
#include "runtime/Platform.h"

#include <gtest/gtest.h>

namespace {

class Progress : public ::testing::Test {
protected:
    void SetUp() override
    {
        mw.value = 0;
        mw.maximum = 100;
        clock = QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0));
        rt::setClock([this] { return clock; });
    }
    void TearDown() override { rt::setClock({}); }
    void at(int secondsAfterTen) { clock = QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0)).addSecs(secondsAfterTen); }

    testsupport::FakeMainWindow mw;
    QDateTime clock;
};

TEST_F(Progress, StartWithZeroMakesTheCallersVariableOne)
{
    qint32 n = 0;
    Fortschritt_Start(n);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(mw.maximum, 1.0f);
    EXPECT_EQ(mw.value, 0.0f);
    Fortschritt_Setzen(0);
}

TEST_F(Progress, TimeTextAtAQuarterAndOncePerSecond)
{
    qint32 n = 100;
    Fortschritt_Start(n);
    at(30);
    Fortschritt_Setzen(25);
    EXPECT_EQ(mw.value, 25.0f);
    ASSERT_FALSE(mw.remainingTexts.isEmpty());
    EXPECT_EQ(mw.remainingTexts.last(), QStringLiteral("Restzeit: 00:01:30 / Gesamt: 00:02:00 / Vergangen: 00:00:30"));
    const qsizetype shown = mw.remainingTexts.size();
    Fortschritt_Setzen(26);  // same second: the bar moves, the text stays
    EXPECT_EQ(mw.value, 26.0f);
    EXPECT_EQ(mw.remainingTexts.size(), shown);
    at(31);
    Fortschritt_Setzen(31);
    EXPECT_EQ(mw.remainingTexts.size(), shown + 1);
    EXPECT_EQ(mw.remainingTexts.last(), QStringLiteral("Restzeit: 00:01:09 / Gesamt: 00:01:40 / Vergangen: 00:00:31"));
    Fortschritt_Setzen(0);
    EXPECT_EQ(mw.remainingTexts.last(), QString());
    EXPECT_EQ(mw.value, 0.0f);
    EXPECT_EQ(mw.maximum, 100.0f);  // nothing saved: the maximum stays
}

}  // namespace
