#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>

class MainWindowAccess;

namespace testsupport {

// Path of a public sample file (nwind.mdb, ...) from the shared fixtures folder, or empty when
// the folder is not on this machine. Looks at $DORVEX_FIXTURES, then shared/fixtures beside the
// source tree or beside one of its parent folders.
QString sharedFixture(const QString& fileName);

// A fresh temporary folder for one test, removed with the process.
QString tempFolder();

// Writes the bytes to the file, creating its folder; a bare name is placed in a fresh temporary
// folder. Returns the file's path.
QString writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes, or none when it cannot be read.
QByteArray readFile(const QString& path);
// Text lines as an XDB document is written: Windows-1252, CR LF after every line.
QByteArray cp1252Document(const QStringList& lines);
// What was written to a stream (a std::tmpfile()), from its start.
QString readStream(std::FILE* stream);

// A fresh session for one test: everything reset (resetForTests), with the given main window and
// the program folder in a new temporary folder, which it returns. endSession() resets it all again.
QString beginSession(MainWindowAccess& mainWindow);
void endSession();

// What the log files in <program folder>/Log/<application> hold, in name order; the program
// folder is rt::programFolder() unless given.
QString errorLogText(const QString& programFolder = QString());

// The sample generated during the build (build/sample/...).
QString sampleFile(const QString& fileName);

// True when the CI variable is set: a missing server must then fail instead of skipping.
bool runningInCi();

}  // namespace testsupport

// Skips the test when the shared fixture is missing (fails in CI).
#define REQUIRE_SHARED_FIXTURE(var, name)                                                                              \
    const QString var = testsupport::sharedFixture(name);                                                              \
    if (var.isEmpty()) {                                                                                               \
        if (testsupport::runningInCi())                                                                                \
            FAIL() << "shared fixture missing: " << name;                                                              \
        GTEST_SKIP() << "shared fixture missing: " << name;                                                            \
    }
