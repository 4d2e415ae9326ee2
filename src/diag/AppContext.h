#pragma once
#include "diag/ProgressState.h"
#include "diag/Session.h"

class DialogService;

// The process-wide state in one place: the session, the dialog service in use and the progress
// runs. The clock and the program folder, which the layers below read as well, stay in the run
// time (rt::setClock, rt::setProgramFolder); resetForTests puts them back too.
struct AppContext {
    Session session;
    DialogService* dialogs = nullptr;  // not owned; installed by setDialogService
    ProgressState progress;
};

AppContext& appContext();

// Everything as at start: an empty session, no progress run (its console standard error), the
// real clock and program folder. The dialog service stays: whoever installed it removes it.
void resetForTests();
