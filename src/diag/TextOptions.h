#pragma once
#include "dataaccess/ServerKind.h"

// The option values an SQL text depends on, read from the windows just before each use, so a
// change during a run takes effect at the next statement.
struct TextOptions {
    ServerKind kind = ServerKind::MSSQL;
    bool linuxBox = false;      // main window's "Linux" box (Sybase)
    bool fremdDsn = false;      // sibling data source (TIRAM, MEXOL, RUDEN)
    bool default0 = false;      // Check_Default0
    bool defaultBlank = false;  // Check_DefaultBlank
    bool sqliteTarget = false;  // the data source's DBMS is SQLite: binary values as X'..'
};

// The main window's part of the options as they stand now: server kind, "Linux" box, sibling
// data source, the target's DBMS. The option boxes of a work window stay off.
TextOptions mainWindowTextOptions();

// Backslashes are doubled in every statement sent: MySQL, and Sybase under Linux.
inline bool doublesBackslashes(const TextOptions& o)
{
    return o.kind == ServerKind::MySQL || (o.kind == ServerKind::Sybase && o.linuxBox);
}
