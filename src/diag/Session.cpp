#include "diag/Session.h"
#include "diag/AppContext.h"
#include "runtime/RuntimeError.h"

Session& session() { return appContext().session; }

MainWindowAccess& mainWindow()
{
    if (!session().mainWindow)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    return *session().mainWindow;
}
