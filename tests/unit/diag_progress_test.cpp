#include "common/FakeMainWindow.h"
#include "common/Fixtures.h"
#include "common/ScriptedDialogs.h"
#include "diag/AppContext.h"
#include "diag/Module1.h"
#include "runtime/Platform.h"

#include <cstdio>
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
    void TearDown() override { resetForTests(); }
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

TEST_F(Progress, WithoutADisplayALongRunReportsOnStandardErrorEveryFiveSeconds)
{
    const QString first = "Fortschritt: Artikel 6000/100000 (6%)  Restzeit: 00:01:18";
    const QString second = "Fortschritt: Artikel 12000/100000 (12%)  Restzeit: 00:01:13";
    const struct {
        const char* label;
        bool display, named, terminal;
        QString expected;
    } cases[] = {
        {"script", false, true, false, first + "\n" + second + "\n"},
        {"terminal", false, true, true, "\r" + first + "\x1b[K\r" + second + "\x1b[K\n"},
        {"with a display", true, true, false, ""},
        {"unnamed run", false, false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        testsupport::ScriptedDialogs dialogs;
        dialogs.present = c.display;
        std::FILE* out = std::tmpfile();
        ASSERT_NE(out, nullptr);
        setProgressConsole(out, c.terminal);
        at(0);
        qint32 n = 100000;
        Fortschritt_Start(n);
        if (c.named)
            Fortschritt_Benennen("Artikel");
        for (const auto& [second, done] : {std::pair{3, 4000}, {5, 6000}, {9, 11000}, {10, 12000}}) {
            at(second);
            Fortschritt_Setzen(done);
        }
        Fortschritt_Setzen(0);
        setProgressConsole(nullptr, false);
        EXPECT_EQ(testsupport::readStream(out), c.expected);
        std::fclose(out);
    }
}

}  // namespace
