#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// What a run did, gathered while it runs, for the end-of-run summary on standard error, the JSON
// report (-bericht:) and the exit status. The engine fills one TableReport per table it touches,
// the reconciliation window the XdbReport, the plug-in launch the PluginReport.

struct TableReport {
    QString name;
    bool failed = false;      // the table list shows "[!Fehler!]"
    qint64 rowsRead = 0;      // records read from the Access table
    qint64 rowsSent = 0;      // INSERTs the server accepted
    qint64 rowsRefused = 0;   // INSERTs the server refused
    qint64 rowsNotSent = 0;   // records of this machine's share never sent (stop, lost connection)
    qint64 emptyRecords = 0;  // records without a column to write (not a loss)
    qint64 serverRows = -1;   // the server's COUNT(*) afterwards; -1 when not counted
    bool identityAdded = false;
    QStringList problems;  // short German reasons, one per distinct problem
};

struct XdbReport {
    bool started = false;
    QString path;
    qint64 linesRead = 0;
    qint64 fieldsAdded = 0;
    qint64 fieldsRenamed = 0;
    qint64 indexesCreated = 0;
    qint64 viewsCreated = 0;
    qint64 linesNotApplied = 0;
    QStringList problems;
};

struct PluginReport {
    enum class State { NotAttempted, Started, NotFound, Refused };
    State state = State::NotAttempted;
    QString program;
};

struct RunReport {
    QList<TableReport> tables;
    XdbReport xdb;
    PluginReport plugin;
    qint64 viewsNotCreated = 0;  // queries to views / deferred views that failed
    qint64 startedMsecs = 0;     // wall clock at the start of the run (ms since the epoch)

    // The table's entry, created on first use (tables keep the order in which the run met them).
    TableReport& table(const QString& name);
    // Something was lost or skipped although no step failed: exit status 3 of an unattended run.
    bool somethingLost() const;
    void reset() { *this = RunReport(); }
};

// The run's report; lives as long as the process.
RunReport& runReport();
