#include "diag/TextOptions.h"
#include "diag/Module1.h"
#include "diag/Session.h"

TextOptions mainWindowTextOptions()
{
    const MainWindowAccess& mw = mainWindow();
    TextOptions o;
    o.kind = mw.serverKind();
    o.linuxBox = mw.linuxChecked();
    o.fremdDsn = Fremd_DSN(mw.odbcName());
    if (sql::Connection* c = session().Verbindung1.get())
        o.sqliteTarget = c->dbmsName().compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0;
    return o;
}
