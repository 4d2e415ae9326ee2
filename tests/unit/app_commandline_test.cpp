#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

// What a command line set, in one line: the values given, then the switches that are on.
std::string summary(const CommandLineValues& v)
{
    QStringList s;
    const auto add = [&](const char* key, const QString& value) {
        if (!value.isEmpty())
            s << QLatin1String(key) + u'=' + value;
    };
    add("odbc", v.ParamODBC);
    add("odbcBox", v.odbcBox.value_or(QString()));
    add("user", v.ParamBenutzer);
    add("userBox", v.userBox.value_or(QString()));
    add("pass", v.ParamPasswort);
    add("passBox", v.passwordBox.value_or(QString()));
    add("mdb", v.ParamMDBPfad);
    add("xdb", v.ParamXDBPfad);
    add("typ", v.serverType.value_or(QString()));
    add("bericht", v.reportPath.value_or(QString()));
    for (const auto& [on, name] : {std::pair{v.AutoLauf, "auto"},
                                   {v.OhneFehlermeldung, "noerror"},
                                   {v.linuxSwitch, "linux"},
                                   {v.fastTransfer, "schnell"}})
        if (on)
            s << QLatin1String(name);
    return s.join(u' ').toStdString();
}

TEST(CommandLine, SwitchesAreFoundWithTheirExactCase)
{
    const struct {
        const char* line;
        const char* expected;
    } cases[] = {
        {"-ODBC:ZAB2 -user:admin -pass:geheim -MDBpfad:/d/a.mdb -XDBpfad:/d/z.xdb",
         "odbc=ZAB2 odbcBox=ZAB2 user=admin userBox=admin pass=geheim passBox=geheim mdb=/d/a.mdb xdb=/d/z.xdb"},
        // Keys differing in case are not switches.
        {"-odbc:X -USER:y -mdbpfad:/z -NOERROR", ""},
        // -auto needs something before it.
        {"-auto", ""},
        {"-auto -ODBC:ZAB", "odbc=ZAB odbcBox=ZAB"},
        {"-ODBC:ZAB -auto", "odbc=ZAB odbcBox=ZAB auto"},
        // -noerror counts anywhere, even inside a value.
        {"-noerror", "noerror"},
        {"-MDBpfad:/x/y-noerror.mdb", "mdb=/x/y-noerror.mdb noerror"},
        {"-ODBC:ZAB -servertyp:Sybase -linux -bericht:\"/tmp/a b.json\" -auto -schnell",
         "odbc=ZAB odbcBox=ZAB typ=Sybase bericht=/tmp/a b.json auto linux schnell"},
        {"-ODBC:linux", "odbc=linux odbcBox=linux"},
        {"-ODBC:schnell", "odbc=schnell odbcBox=schnell"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(summary(parseCommandLine(QString::fromUtf8(c.line))), c.expected) << c.line;
}

TEST(CommandLine, ArgumentsFromTheShellGetTheirQuotesBack)
{
    // The shell removed the quotes of -MDBpfad:"/a b/c -d.mdb".
    const QString line =
        joinArguments({QStringLiteral("-ODBC:ZAB"), QStringLiteral("-MDBpfad:/a b/c -d.mdb"), QStringLiteral("-auto")});
    EXPECT_EQ(line, QStringLiteral("-ODBC:ZAB -MDBpfad:\"/a b/c -d.mdb\" -auto"));
    EXPECT_EQ(summary(parseCommandLine(line)), "odbc=ZAB odbcBox=ZAB mdb=/a b/c -d.mdb auto");
    // An argument that still holds quotes is taken as it is; one without a key is quoted whole.
    EXPECT_EQ(joinArguments({QStringLiteral("-ODBC:\"A B\""), QStringLiteral("x y")}),
              QStringLiteral("-ODBC:\"A B\" \"x y\""));
    EXPECT_EQ(parseCommandLine(joinArguments({QStringLiteral("-ODBC:My DSN")})).ParamODBC,
              QStringLiteral("\"My DSN\""));
}

TEST(CommandLine, ServerKindNamesInAnyCase)
{
    const struct {
        const char* value;
        std::optional<ServerKind> kind;
    } kinds[] = {{"MSSQL", ServerKind::MSSQL},
                 {"mysql", ServerKind::MySQL},
                 {"Oracle", ServerKind::Oracle},
                 {"SYBASE", ServerKind::Sybase},
                 {"DB2", ServerKind::DB2},
                 {"Nonsense", std::nullopt},
                 {"", std::nullopt}};
    for (const auto& k : kinds)
        EXPECT_EQ(serverKindFromSwitch(QString::fromLatin1(k.value)), k.kind) << k.value;
}

}  // namespace
