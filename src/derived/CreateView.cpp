#include "derived/DerivedObjects.h"
#include "derived/ViewRewriting.h"
#include "diag/Module1.h"
#include "diag/StatementRunner.h"
#include "runtime/RuntimeError.h"

namespace {

const QString kModule = QStringLiteral("Module1");

QString codeFor(const QString& name) { return QStringLiteral("Create_View (") + name + QLatin1Char(')'); }

// The routine's own failure handling: "S0021" passes silently; anything else becomes the warning,
// marks the run as failed and is logged with the statement being sent.
void warn(const rt::RuntimeError& e, const QString& name, const QString& statement, QString& message,
          ViewsOutcome& outcome)
{
    if (e.description().startsWith(QLatin1String("S0021")))
        return;
    message = QStringLiteral("Warnung: ") + QString::number(e.number()) + e.description();
    outcome.failed = true;
    Fehler_Protokollieren(e.source(), e.number(), e.description(), kModule, codeFor(name), statement, QString());
}

bool notCreated(ViewsOutcome& outcome)
{
    ++outcome.notCreated;
    return false;
}

}  // namespace

bool Create_View(const QString& name, QString& query, QString& message, diag::StatementRunner& runner,
                 const TextOptions& o, ViewsOutcome& outcome)
{
    message.clear();
    // The statements go to the connection as written: a view text keeps its backslashes, and a
    // general failure on Sybase is no success here.
    sql::Connection* connection = runner.connection();
    if (!connection) {
        warn(rt::runtimeFailure(rt::err::ObjectNotSet), name, QString(), message, outcome);
        return notCreated(outcome);
    }

    const ViewStatements view = rewriteView(name, query, o);

    // Checked before anything is dropped: a view that cannot be made again is kept as it is.
    if (!view.convertible()) {
        // Nothing is sent: a cut at the wrong place would create a view that means something else.
        message = QStringLiteral("Warnung: Die Abfrage ") + name + QStringLiteral(" ist nicht konvertierbar: ") +
                  view.notConvertible;
        outcome.failed = true;
        Fehler_Protokollieren(QStringLiteral("Create_View"), 0, message, kModule, codeFor(view.name), query, QString());
        return notCreated(outcome);
    }

    // On DB2 the preliminary drop runs with every failure ignored; from then on a failure of this
    // call belongs to the caller.
    const bool ownHandler = view.preliminaryDrop.isEmpty();
    if (!ownHandler) {
        try {
            connection->execute(view.preliminaryDrop, 0);
        } catch (const rt::RuntimeError&) {
        }
    }

    query = view.create;
    try {
        connection->execute(view.drop, 0);
    } catch (const rt::RuntimeError& e) {
        if (!ownHandler) {
            notCreated(outcome);  // the create is never sent
            throw;
        }
        // A new view has nothing to drop: that is no failure of the run.
        if (!dropFoundNoView(e.description()))
            warn(e, view.name, view.drop, message, outcome);
    }
    try {
        connection->execute(view.create, 0);
    } catch (const rt::RuntimeError& e) {
        notCreated(outcome);
        if (!ownHandler)
            throw;
        warn(e, view.name, view.create, message, outcome);
        return false;
    }
    return true;
}
