#pragma once
#include <QList>
#include <QString>
#include <cstdio>

// What the progress routines (Fortschritt_Start and the others in Module1.h) keep between calls.

// The progress of a named run on standard error, when nobody sees the window.
struct ConsoleRun {
    QString name;
    qint64 startMsecs = 0;
    qint64 lastWrittenMsecs = -1;  // -1: nothing written yet
    bool lineOpen = false;         // a terminal line waits for its newline
};

struct OuterRun {
    float maximum;
    qint64 start;
    qint64 lastShown;
    ConsoleRun console;
};

// Times in seconds since midnight. lastShown is the elapsed time of the last text; a run starts
// with the time of day there, as the time text was written, so the first step of a run shows it.
struct ProgressState {
    qint64 start = 0;
    qint64 lastShown = 0;
    ConsoleRun console;
    QList<OuterRun> Fortschrittsstapel;
    std::FILE* out = stderr;
    int terminal = -1;  // -1: ask isatty when first needed
};
