#include "Version.h"
#include "common/Fixtures.h"
#include "diag/AppContext.h"
#include "diag/Module1.h"
#include "runtime/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QByteArray versionText()
{
    return QByteArray::number(dorvex::version::major) + '.' + QByteArray::number(dorvex::version::minor) + '.' +
           QByteArray::number(dorvex::version::revision);
}

class ErrorLogFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::tempFolder();
        rt::setProgramFolder(folder);
        clock = QDateTime(QDate(2024, 5, 7), QTime(14, 3, 9));
        rt::setClock([this] { return clock; });
    }
    void TearDown() override { resetForTests(); }
    QString logPath(const QString& name) const { return folder + QStringLiteral("/Log/Dorvex/") + name; }

    QString folder;
    QDateTime clock;
};

TEST_F(ErrorLogFile, EntryIsWrittenByteForByteInWindows1252WithCrLf)
{
    Fehler_Protokollieren(QStringLiteral("Zugriff"), 3024, QStringLiteral("Datei 'Größe.mdb' nicht gefunden"),
                          QStringLiteral("Konvertierung"), QStringLiteral("MDB_Anmelden"), QString(), QString());
    const QByteArray expected = QByteArray(60, '-') + "\r\n" + "Dorvex: " + versionText() +
                                " am 07.05.2024 14:03:09\r\n" +
                                "Modul: Konvertierung\tCode: MDB_Anmelden\tLine: 0\r\n" +
                                "Quelle: Zugriff\tFehler: 3024\tDatei 'Gr\xF6\xDF"
                                "e.mdb' nicht gefunden\r\n";
    // The missing Log and application folders were created on the way.
    EXPECT_EQ(testsupport::readFile(logPath(QStringLiteral("ERROR_2024_5.LOG"))), expected);
}

TEST_F(ErrorLogFile, QueryLineHoldsBase64AndEntriesAreAppended)
{
    Fehler_Protokollieren(QStringLiteral("Q"), 40002, QStringLiteral("S1000: x"), QStringLiteral("Module1"),
                          QStringLiteral("Create_View (v)"), QStringLiteral("a"), QString());
    clock = clock.addSecs(60);
    Fehler_Protokollieren(QStringLiteral("Q"), -5, QStringLiteral("zwei"), QStringLiteral("M"), QStringLiteral("C"),
                          QString(), QString());
    const QList<QByteArray> lines = testsupport::readFile(logPath(QStringLiteral("ERROR_2024_5.LOG"))).split('\n');
    // Five lines, four lines, and the empty rest after the last line end.
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[4], QByteArray("Query: YQ==\r"));
    EXPECT_EQ(lines[5], QByteArray(60, '-') + '\r');
    EXPECT_EQ(lines[6], "Dorvex: " + versionText() + " am 07.05.2024 14:04:09\r");
    EXPECT_EQ(lines[8], QByteArray("Quelle: Q\tFehler: -5\tzwei\r"));
    EXPECT_TRUE(lines[9].isEmpty());
}

TEST_F(ErrorLogFile, NewFileInAGroupWritableFolderStaysWritableForTheGroup)
{
    // Administrators sharing the installed log folder each have a umask that denies the group.
    const mode_t oldMask = umask(022);
    for (bool shared : {true, false}) {
        const QString logFolder = folder + QStringLiteral("/Log/Dorvex");
        QDir(logFolder).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(logFolder));
        QFile::setPermissions(logFolder, QFile::permissions(logFolder) |
                                             (shared ? QFileDevice::WriteGroup : QFileDevice::Permissions()));
        Fehler_Protokollieren(QStringLiteral("Q"), 1, QStringLiteral("x"), QStringLiteral("M"), QStringLiteral("C"),
                              QString(), QString());
        const QString file = logPath(QStringLiteral("ERROR_2024_5.LOG"));
        ASSERT_TRUE(QFileInfo::exists(file));
        EXPECT_EQ(bool(QFile::permissions(file) & QFileDevice::WriteGroup), shared) << shared;
    }
    umask(oldMask);
}

TEST(FolderCreation, NetworkPrefixIsNeverCreatedForBothSeparators)
{
    EXPECT_EQ(folderLevels(QStringLiteral("\\\\server\\share\\a\\b")),
              QStringList({QStringLiteral("\\\\server\\share\\"), QStringLiteral("\\\\server\\share\\a\\"),
                           QStringLiteral("\\\\server\\share\\a\\b\\")}));
    EXPECT_EQ(folderLevels(QStringLiteral("//server/share/a")),
              QStringList({QStringLiteral("//server/share/"), QStringLiteral("//server/share/a/")}));
    // An absolute path keeps its root; doubled separators give no empty level.
    EXPECT_EQ(folderLevels(QStringLiteral("/srv//log/")),
              QStringList({QStringLiteral("/srv/"), QStringLiteral("/srv/log/")}));
    EXPECT_EQ(folderLevels(QStringLiteral("C:\\Prog\\Log")),
              QStringList({QStringLiteral("C:\\"), QStringLiteral("C:\\Prog\\"), QStringLiteral("C:\\Prog\\Log\\")}));
}

TEST(Base64, EncodesTheWindows1252BytesWithPadding)
{
    EXPECT_EQ(Base64_Kodieren(QString()), QString());
    EXPECT_EQ(Base64_Kodieren(QStringLiteral("ab")), QStringLiteral("YWI="));
    EXPECT_EQ(Base64_Kodieren(QStringLiteral("ä")), QStringLiteral("5A=="));  // 0xE4, one byte
    EXPECT_EQ(Base64_Kodieren(QStringLiteral("€")), QStringLiteral("gA=="));  // 0x80 in Windows-1252
    EXPECT_EQ(Base64_Kodieren(QStringLiteral("SELECT * FROM \"T\"\r\n>?")),
              QStringLiteral("U0VMRUNUICogRlJPTSAiVCINCj4/"));
}

}  // namespace
