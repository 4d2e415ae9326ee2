#include "app/modDatenbankErweiterung.h"
#include "common/Fixtures.h"
#include "runtime/Platform.h"

#include <gtest/gtest.h>

TEST(PluginLaunch, IniSectionAndKeyRules)
{
    const QString folder = testsupport::tempFolder();
    rt::setProgramFolder(folder);
    testsupport::writeFile(folder + "/zab.ini", "[Other]\r\nSQL_Database=Wrong\r\n[database source]\r\n"
                                                "  SQL_Database = ZAB \r\nSQL_ServerName=srv-long\r\nSQL_Server=srv\r\n"
                                                "[Next]\r\nSQL_User=x\r\n");
    EXPECT_EQ(Ini_Lesen("Database Source", "SQL_Database"), "ZAB");
    // The key matches by prefix: the first line that begins with it wins.
    EXPECT_EQ(Ini_Lesen("Database Source", "SQL_Server"), "srv-long");
    // Another section's header ends the section.
    EXPECT_EQ(Ini_Lesen("Database Source", "SQL_User"), "");
    EXPECT_EQ(Ini_Lesen("Missing", "SQL_Database"), "");
    rt::setProgramFolder(QString());
}

// A blank path is no file; a wildcard pattern counts only when it holds the name it found.
TEST(PluginLaunch, FileExistsRules)
{
    const QString folder = testsupport::tempFolder();
    testsupport::writeFile(folder + "/Velmora", QByteArray());
    const std::pair<QString, bool> cases[] = {
        {"", false},
        {"   ", false},
        {folder + "/Velmora", true},
        {folder + "/Fehlt", false},
        {folder, false},
        {folder + "/Velmora*", true},
        {folder + "/V*", false},
    };
    for (const auto& [path, exists] : cases)
        EXPECT_EQ(Datei_Existiert(path), exists) << path.toStdString();
}
