#include "diag/AppContext.h"
#include "runtime/Platform.h"

AppContext& appContext()
{
    static AppContext context;
    return context;
}

void resetForTests()
{
    AppContext& c = appContext();
    c.session.reset();
    c.progress = ProgressState();
    rt::setClock({});
    rt::setProgramFolder(QString());
}
