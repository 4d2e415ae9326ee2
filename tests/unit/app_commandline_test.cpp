#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, AllSwitchesWithExactCase)
{
    const CommandLineValues v =
        parseCommandLine(QStringLiteral("-ODBC:ZAB2 -user:admin -pass:geheim -MDBpfad:/d/a.mdb -XDBpfad:/d/z.xdb"));
    EXPECT_EQ(v.ParamODBC, QStringLiteral("ZAB2"));
    EXPECT_EQ(*v.odbcBox, QStringLiteral("ZAB2"));
    EXPECT_EQ(v.ParamBenutzer, QStringLiteral("admin"));
    EXPECT_EQ(*v.userBox, QStringLiteral("admin"));
    EXPECT_EQ(v.ParamPasswort, QStringLiteral("geheim"));
    EXPECT_EQ(*v.passwordBox, QStringLiteral("geheim"));
    EXPECT_EQ(v.ParamMDBPfad, QStringLiteral("/d/a.mdb"));
    EXPECT_EQ(v.ParamXDBPfad, QStringLiteral("/d/z.xdb"));
    EXPECT_FALSE(v.AutoLauf);

    // Keys differing in case are not switches.
    const CommandLineValues w = parseCommandLine(QStringLiteral("-odbc:X -USER:y -mdbpfad:/z"));
    EXPECT_FALSE(w.odbcBox.has_value());
    EXPECT_FALSE(w.userBox.has_value());
    EXPECT_TRUE(w.ParamMDBPfad.isEmpty());
}

TEST(CommandLine, AutoNeedsSomethingBeforeIt)
{
    EXPECT_FALSE(parseCommandLine(QStringLiteral("-auto")).AutoLauf);
    EXPECT_FALSE(parseCommandLine(QStringLiteral("-auto -ODBC:ZAB")).AutoLauf);
    const CommandLineValues v = parseCommandLine(QStringLiteral("-ODBC:ZAB -auto"));
    EXPECT_TRUE(v.AutoLauf);
    EXPECT_EQ(*v.odbcBox, QStringLiteral("ZAB"));
}

TEST(CommandLine, NoErrorAnywhereEvenInsideAValue)
{
    EXPECT_TRUE(parseCommandLine(QStringLiteral("-noerror")).OhneFehlermeldung);
    const CommandLineValues v = parseCommandLine(QStringLiteral("-MDBpfad:/x/y-noerror.mdb"));
    EXPECT_TRUE(v.OhneFehlermeldung);
    EXPECT_EQ(v.ParamMDBPfad, QStringLiteral("/x/y-noerror.mdb"));
    EXPECT_FALSE(parseCommandLine(QStringLiteral("-NOERROR")).OhneFehlermeldung);
}

TEST(CommandLine, ArgumentsFromTheShellGetTheirQuotesBack)
{
    // The shell removed the quotes of -MDBpfad:"/a b/c -d.mdb".
    const QString line = joinArguments({QStringLiteral("-ODBC:ZAB"), QStringLiteral("-MDBpfad:/a b/c -d.mdb"),
                                        QStringLiteral("-auto")});
    EXPECT_EQ(line, QStringLiteral("-ODBC:ZAB -MDBpfad:\"/a b/c -d.mdb\" -auto"));
    const CommandLineValues v = parseCommandLine(line);
    EXPECT_EQ(v.ParamMDBPfad, QStringLiteral("/a b/c -d.mdb"));
    EXPECT_TRUE(v.AutoLauf);
    // An argument that still holds quotes is taken as it is; one without a key is quoted whole.
    EXPECT_EQ(joinArguments({QStringLiteral("-ODBC:\"A B\""), QStringLiteral("x y")}),
              QStringLiteral("-ODBC:\"A B\" \"x y\""));
    EXPECT_EQ(parseCommandLine(joinArguments({QStringLiteral("-ODBC:My DSN")})).ParamODBC,
              QStringLiteral("\"My DSN\""));
}

TEST(CommandLine, ServerKindLinuxAndReportSwitches)
{
    const CommandLineValues v = parseCommandLine(
        QStringLiteral("-ODBC:ZAB -servertyp:Sybase -linux -bericht:\"/tmp/a b.json\" -auto"));
    EXPECT_EQ(v.serverType, QStringLiteral("Sybase"));
    EXPECT_TRUE(v.linuxSwitch);
    EXPECT_EQ(v.reportPath, QStringLiteral("/tmp/a b.json"));
    EXPECT_TRUE(v.AutoLauf);
    EXPECT_EQ(commandLineProblem(v), QString());
    EXPECT_FALSE(parseCommandLine(QStringLiteral("-ODBC:linux")).linuxSwitch);
    EXPECT_FALSE(v.fastTransfer);
    EXPECT_TRUE(parseCommandLine(QStringLiteral("-ODBC:ZAB -auto -schnell")).fastTransfer);
    EXPECT_FALSE(parseCommandLine(QStringLiteral("-ODBC:schnell")).fastTransfer);

    const struct {
        const char* value;
        std::optional<ServerKind> kind;
    } kinds[] = {{"MSSQL", ServerKind::MSSQL}, {"mysql", ServerKind::MySQL}, {"Oracle", ServerKind::Oracle},
                 {"SYBASE", ServerKind::Sybase}, {"DB2", ServerKind::DB2},     {"Nonsense", std::nullopt},
                 {"", std::nullopt}};
    for (const auto& k : kinds)
        EXPECT_EQ(serverKindFromSwitch(QString::fromLatin1(k.value)), k.kind) << k.value;

    const QString unknown = commandLineProblem(parseCommandLine(QStringLiteral("-ODBC:Z -servertyp:Nonsense")));
    EXPECT_TRUE(unknown.startsWith(QStringLiteral("Unbekannter Servertyp 'Nonsense'"))) << qPrintable(unknown);
    EXPECT_FALSE(commandLineProblem(parseCommandLine(QStringLiteral("-ODBC:Z -bericht:"))).isEmpty());
}

}  // namespace
