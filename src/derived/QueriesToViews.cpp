#include "dataaccess/AccessDatabase.h"
#include "derived/DerivedObjects.h"
#include "derived/ViewRewriting.h"
#include "diag/ConversionWindowContext.h"
#include "diag/Guard.h"
#include "diag/Progress.h"
#include "diag/StatementRunner.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace {

const QString kDeferredOnSybaseLinux = QStringLiteral("View_BestellungAuftrag");

// The click handler's failure reporting; the handler then goes on with the next statement.
void report(ConversionWindowContext& window, const rt::RuntimeError& e)
{
    if (e.description().startsWith(QLatin1String("S0021")))
        return;
    window.addToList1(QStringLiteral("Warnung: ") + QString::number(e.number()));
    for (const QString& piece : reportPieces(e.description(), 80))
        window.addToList1(piece);
    window.addToList1(QString(40, QLatin1Char('-')));
}

template <class F>
void guarded(ConversionWindowContext& window, F&& step)
{
    diag::guarded(
        [&](const rt::RuntimeError& e) {
            report(window, e);
            return diag::AfterFailure::Next;
        },
        step);
}

void convertQuery(ConversionWindowContext& window, diag::StatementRunner& runner, const accessdb::QueryDef& q,
                  ViewsOutcome& outcome)
{
    window.setStatus(q.name);
    QString text = q.sql;
    QString message;
    guarded(window, [&] { Create_View(q.name, text, message, runner, window.textOptions(), outcome); });
    window.addToList1(q.name);
    // The list shows the Access text as stored, not the rewritten one.
    for (const QString& piece : reportPieces(q.sql, 80)) {
        window.addToList1(piece);
        window.processEvents();
    }
    window.scrollList1ToEnd();
    window.addToList1(QString());
    if (!message.isEmpty())
        window.addToList1(message);
}

}  // namespace

ViewsOutcome Abfragen_nach_Sichten(ConversionWindowContext& window, diag::StatementRunner& runner,
                                   diag::Progress& progress)
{
    ViewsOutcome outcome;
    if (rt::val(window.textMod()) != 1)
        return outcome;  // only machine 1 converts the queries
    window.Schalter_Freigeben(false);
    window.clearList1();
    guarded(window, [&] {
        accessdb::Database* db = window.database();
        if (!db)
            throw rt::runtimeFailure(rt::err::ObjectNotSet);
        const QList<accessdb::QueryDef>& queries = db->queryDefs();
        // Read at each use, as the options may change between clicks.
        const auto sybaseLinux = [&] {
            const TextOptions o = window.textOptions();
            return o.kind == ServerKind::Sybase && o.linuxBox;
        };
        qint32 count = qint32(queries.size());
        qint32 counter = 0;
        progress.start(count);
        for (const accessdb::QueryDef& q : queries) {
            ++counter;
            progress.set(counter);
            // On Sybase under Linux this view depends on others and is created after all of them.
            if (sybaseLinux() && q.name == kDeferredOnSybaseLinux)
                continue;
            convertQuery(window, runner, q, outcome);
        }
        if (sybaseLinux()) {
            for (const accessdb::QueryDef& q : queries)
                if (q.name == kDeferredOnSybaseLinux)
                    convertQuery(window, runner, q, outcome);
        }
    });
    guarded(window, [&] { progress.set(0); });
    window.Schalter_Freigeben(true);
    return outcome;
}
