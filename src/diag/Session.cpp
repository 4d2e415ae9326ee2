#include "diag/Session.h"
#include "runtime/RuntimeError.h"

Session& session()
{
    static Session s;
    return s;
}

MainWindowAccess& mainWindow()
{
    if (!session().mainWindow)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    return *session().mainWindow;
}
