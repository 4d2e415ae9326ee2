#include "diag/DialogService.h"
#include "dataaccess/odbc/OdbcEngine.h"
#include "diag/AppContext.h"
#include "diag/Module1.h"
#include "runtime/RuntimeError.h"

#include <cstdio>
#include <unistd.h>

namespace {
DialogService*& current() { return appContext().dialogs; }

// Runs on the statement watchdog's thread while the user-interface thread hangs in the driver:
// nobody could close the program, so it ends with the reason on standard error and in the log.
void endHungRun(const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    Fehler_Protokollieren(QStringLiteral("ODBC"), rt::err::Odbc, message, QStringLiteral("Module1"),
                          QStringLiteral("Zeitüberwachung"), QString(), QString());
    ::_exit(1);
}
}  // namespace

DialogService& dialogs()
{
    if (!current())
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    return *current();
}

void setDialogService(DialogService* service)
{
    current() = service;
    // With a user present, a hung server is theirs to see; without one the run must end.
    sql::setStatementHangHandler(service && !service->userPresent() ? endHungRun
                                                                    : std::function<void(const QString&)>());
}

void mirrorLog(const QString& prefix, const QString& text)
{
    if (current())
        current()->mirror(prefix, text);
}
