#pragma once
#include "dataaccess/ServerKind.h"

#include <QString>
#include <QStringList>
#include <optional>

// The switches of the program's command line, read from the text after the program name.
//
//   -ODBC:<data source>  -user:<user>  -pass:<password>  -MDBpfad:<Access file>
//   -XDBpfad:<XDB document>  -noerror  -auto (recognised only after another switch)
//   -servertyp:MSSQL|MySQL|Oracle|Sybase|DB2  -linux  -bericht:<JSON report file>  -schnell
//
// The text is split at every " -"; a quoted value that itself holds " -" is joined again with
// the piece that follows it. Switch names are compared with exact case; unknown pieces are
// ignored and parsing never fails.
struct CommandLineValues {
    bool AutoLauf = false;
    bool OhneFehlermeldung = false;
    // Switch values as given (quotes kept for the login values, unquoted and trimmed for the paths).
    QString ParamODBC, ParamBenutzer, ParamPasswort, ParamMDBPfad, ParamXDBPfad;
    // What the login boxes get: the value without enclosing quotes, trimmed. Unset when the switch
    // is absent (the box keeps its default then).
    std::optional<QString> odbcBox, userBox, passwordBox;
    // -servertyp: as given (unquoted, trimmed); unset without the switch.
    std::optional<QString> serverType;
    bool linuxSwitch = false;   // -linux
    bool fastTransfer = false;  // -schnell: the conversion window's "Schnelle Übertragung"
    // -bericht: as given (unquoted, trimmed); unset without the switch.
    std::optional<QString> reportPath;
};

CommandLineValues parseCommandLine(const QString& text);

// The server kind a -servertyp: value names (MSSQL, MySQL, Oracle, Sybase, DB2, any case);
// nothing for any other value.
std::optional<ServerKind> serverKindFromSwitch(const QString& value);

// Why the command line cannot be used (a German sentence), or empty when it can.
QString commandLineProblem(const CommandLineValues& v);

// The split of the command line at " -" with the quoted-value re-join applied to each piece.
QStringList commandLinePieces(const QString& text);

// Removes one pair of enclosing double quotes (only when the text has at least two characters and
// both begins and ends with one), then the surrounding blanks.
QString unquoteAndTrim(const QString& value);

// Rebuilds the command-line text from the arguments a shell hands over. The shell has already
// removed the quotes the user typed, so an argument holding a blank gets them back: around the
// value of a switch (-MDBpfad:"/a b/c -d.mdb") or around the whole argument otherwise. That keeps
// such a value in one piece through the split at " -". Arguments that still hold a double quote
// are taken as they are. The arguments are joined with single blanks.
QString joinArguments(const QStringList& arguments);
