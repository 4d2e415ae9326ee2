#include "app/modDatenbankErweiterung.h"
#include "common/Fixtures.h"
#include "common/ScriptedDialogs.h"
#include "diag/Module1.h"
#include "diag/AppContext.h"
#include "diag/Session.h"
#include "runtime/Cp1252.h"
#include "runtime/Platform.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class PluginLaunch : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::tempFolder();
        rt::setProgramFolder(folder);
        session().ParamBenutzer.clear();
        session().ParamPasswort.clear();
        setPluginStarter([this](const QString& program, const QStringList& args, const QString& workdir) {
            ++starts;
            startedProgram = program;
            startedArgs = args;
            startedIn = workdir;
            currentDuringStart = QDir::currentPath();
            return pidToReturn;
        });
    }
    void TearDown() override
    {
        setPluginStarter({});
        resetForTests();
    }
    void installPlugin() { writeFile(Modul_Programm(), "#!/bin/sh\n"); }

    testsupport::ScriptedDialogs dialogs;
    QString folder;
    int starts = 0;
    qint64 pidToReturn = 4711;
    QString startedProgram, startedIn, currentDuringStart;
    QStringList startedArgs;
};

}  // namespace

TEST_F(PluginLaunch, IniSectionAndKeyRules)
{
    writeFile(folder + "/zab.ini", rt::toCp1252(QStringLiteral(
        "[Other]\r\nSQL_Database=Wrong\r\n[database source]\r\n  SQL_Database = ZAB \r\n"
        "SQL_ServerName=srv-long\r\nSQL_Server=srv\r\n[Next]\r\nSQL_User=x\r\n")));
    EXPECT_EQ(Ini_Lesen("Database Source", "SQL_Database"), "ZAB");
    // The key matches by prefix: the first line that begins with it wins.
    EXPECT_EQ(Ini_Lesen("Database Source", "SQL_Server"), "srv-long");
    // Another section's header ends the section.
    EXPECT_EQ(Ini_Lesen("Database Source", "SQL_User"), "");
    EXPECT_EQ(Ini_Lesen("Missing", "SQL_Database"), "");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(PluginLaunch, MissingPluginIsReportedAndNotStarted)
{
    EXPECT_FALSE(Modul_Starten(QString(), 1).has_value());
    EXPECT_EQ(starts, 0);
    ASSERT_EQ(dialogs.messages().size(), 1);
    EXPECT_EQ(dialogs.messages().first(),
              "Das Modul wurde nicht gefunden. Bitte wenden Sie sich an Ihren Administrator.");
}
