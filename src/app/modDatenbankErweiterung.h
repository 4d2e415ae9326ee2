#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Hand-over to the database-update plug-in at the end of an unattended run.

// Plug-in folder: program folder + Plugins/Velmora/ (with the platform's separator).
QString Modul_Ordner();
// The plug-in program in that folder: "Velmora.exe" on Windows, "Velmora" elsewhere.
QString Modul_Programm();

// The plug-in's command line: its path, the four Base64 parts with the "@@@" marker when database,
// server and user are known, then a blank and the caller's argument text.
QString Modul_Kommandozeile(const QString& programm, const QString& datenbank, const QString& server,
                            const QString& benutzer, const QString& passwort, const QString& argumente);

// Starts the plug-in; the task identifier (process id) or nothing when it did not start.
// fensterstil (1 = normal window with focus) has no meaning for a process on this platform.
std::optional<qint64> Modul_Starten(const QString& argumente, int fensterstil);

// The value of a key in a section of zab.ini in the program folder, or "".
QString Ini_Lesen(const QString& abschnitt, const QString& schluessel);

// True when the file exists (a pattern with wildcards matches its first normal file).
bool Datei_Existiert(const QString& pfad);

// How the plug-in is started: program, arguments, working folder → process id (0 = failed).
using PluginStarter = std::function<qint64(const QString&, const QStringList&, const QString&)>;
void setPluginStarter(PluginStarter starter);  // empty restores the real one
