#pragma once
#include <QString>
#include <QStringList>
#include <cstdio>

// The shared routines of the program.

// Progress over the main window's bar and time text; runs nest.
void Fortschritt_Start(qint32& n);
void Fortschritt_Setzen(const qint32& i);
// Names the current run for a run without a display: once it lasts longer than 5 seconds, its
// progress goes to standard error every 5 seconds ("Fortschritt: <name> 12000/100000 (12%)
// Restzeit: 00:01:23"), one line each time, or on a terminal one line rewritten in place.
void Fortschritt_Benennen(const QString& name);
// Where that progress goes (standard error by default); terminal: rewrite the line in place.
void setProgressConsole(std::FILE* out, bool terminal);

// Runs one statement directly on Verbindung1. Doubles backslashes on MySQL and on Sybase with
// "Linux" (written back into sql); ignores "S1000:" failures on Sybase; raises every other failure.
void SQL_Ausfuehren(QString& sql);

// True when the data source belongs to a sibling product (TIRAM, MEXOL, RUDEN).
bool Fremd_DSN();
bool Fremd_DSN(const QString& dataSourceName);

// Appends an entry to the monthly error log file; never fails visibly.
void Fehler_Protokollieren(const QString& Quelle, qint32 Fehler, const QString& Beschreibung, const QString& Modul,
                           const QString& Code, const QString& Query, const QString& Datei);

// Creates a folder level by level; true when it exists afterwards.
bool Verzeichnis_Anlegen(const QString& pfad);
// The folders Verzeichnis_Anlegen checks and creates, outermost first, each ending with a
// separator. A network path's server part (\\server\) is never one of them.
QStringList folderLevels(const QString& pfad);

// Base64 of the text's Windows-1252 bytes.
QString Base64_Kodieren(const QString& text);
