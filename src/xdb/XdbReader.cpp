#include "xdb/XdbReader.h"
#include "diag/Guard.h"
#include "diag/RunReport.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace xdb {

namespace {
const QString kDeferredOnSybaseLinux = QStringLiteral("View_BestellungAuftrag");

bool keyIn(const QString& z, int columns, const char* key)
{
    return rt::left(z, columns).contains(QLatin1String(key), Qt::CaseInsensitive);
}

qint16 number16(const QString& s) { return rt::toInt16(rt::val(s)); }
qint32 number32(const QString& s) { return rt::toInt32(rt::val(s)); }
}  // namespace

void noteNotApplied(XdbReport& summary, const QString& problem)
{
    ++summary.linesNotApplied;
    if (!problem.isEmpty() && !summary.problems.contains(problem))
        summary.problems << problem;
}

// Runs one statement; a failure goes to the run's handler, which answers next or end.
template <class F>
bool Reader::step(Target& t, F&& f)
{
    const diag::Guarded r = diag::guarded(runHandler(t), f);
    if (r == diag::Guarded::Ended)
        throw RunEnded{};
    return r == diag::Guarded::Ran;
}

void Reader::clearSections() { bFelder = bAltesFormat = bRenameField = bRenameTable = bQuerys = false; }

void Reader::startRun()
{
    clearSections();
    pendingView_.clear();
    deferredView_.clear();
    indexTable_.clear();
    indexName_.clear();
    indexAttribute_ = 0;
    indexFieldCount_ = -1;
    indexFields_.clear();
    indexCounter_ = 0;
    sawSection_ = false;
}

void Reader::addFieldIfMissing(Target& t, const QString& name, qint16 type, double size, QString defaultValue)
{
    bool exists = true;
    if (!step(t, [&] { exists = t.Feld_Existiert(name); }) || exists)
        return;
    Built built;
    if (!step(t, [&] { built = t.Feld_Hinzufuegen_SQL(name, type, size, defaultValue); }))
        return;
    if (!built.refusal.isEmpty()) {
        t.lineNotApplied(built.refusal);
        return;
    }
    t.report(QLatin1Char('\t') + built.statement);
    if (step(t, [&] { t.SQL_Ausfuehren(built.statement); }))
        ++t.summary().fieldsAdded;
    // So a later line for the same field finds it.
    step(t, [&] { t.refreshColumns(); });
}

void Reader::oldFormatLine(Target& t, const QString& z)
{
    QString name, defaultValue;
    qint16 type = 0;
    double size = 0;
    if (!step(t, [&] {
            name = rt::trim(rt::mid(z, 1, 50));
            type = number16(rt::mid(z, 51, 3));
            size = rt::val(rt::mid(z, 54, 3));
            defaultValue = rt::trim(rt::mid(z, 57));
        }))
        return;
    addFieldIfMissing(t, name, type, size, defaultValue);
}

void Reader::fieldsLine(Target& t, const QString& z)
{
    if (keyIn(z, 22, "tabelle") && !t.Tabelle_Pruefen(rt::mid(z, 24)))
        bFelder = false;
    // Tested even when the line also held "tabelle".
    if (keyIn(z, 22, "feld ")) {
        QString name;
        qint16 type = 0;
        double size = 0;
        if (!step(t, [&] {
                name = rt::trim(rt::mid(z, 24, 48));
                type = number16(rt::mid(z, 76, 3));
                size = rt::val(rt::mid(z, 80, 3));
            }))
            return;
        addFieldIfMissing(t, name, type, size, QString());
    }
}

void Reader::renameFieldLine(Target& t, const QString& z)
{
    if (keyIn(z, 24, "tabelle") && !t.Tabelle_Pruefen(rt::mid(z, 26)))
        bRenameField = false;
    if (keyIn(z, 24, "feld")) {
        const QString oldName = rt::trim(rt::mid(z, 26, 50));
        const QString newName = rt::trim(rt::mid(z, 77));
        bool exists = false;
        if (!step(t, [&] { exists = t.Feld_Existiert(oldName); }) || !exists)
            return;
        t.report(QLatin1Char('\t') + oldName + QStringLiteral("  ->  ") + newName);
        QString statement;
        if (!step(t, [&] { statement = renameFieldStatement(t.currentTableName(), oldName, newName); }))
            return;
        if (step(t, [&] { t.SQL_Ausfuehren(statement); }))
            ++t.summary().fieldsRenamed;
        step(t, [&] { t.refreshColumns(); });
    }
}

void Reader::renameTableLine(Target& t, const QString& z)
{
    if (keyIn(z, 24, "tabelle"))
        t.report(xdb::renameTableLine(rt::trim(rt::mid(z, 26, 50)), rt::trim(rt::mid(z, 77))));
}

void Reader::querysLine(Target& t, const QString& z)
{
    if (keyIn(z, 22, "name"))
        pendingView_ = rt::trim(rt::mid(z, 24, 30));
    if (keyIn(z, 22, "sql") && !pendingView_.isEmpty()) {
        const QString query = rt::trim(rt::mid(z, 24));
        t.report(QStringLiteral("Abfrage/Sicht erstellen: ") + pendingView_);
        if (t.textOptions().kind == ServerKind::Sybase && t.textOptions().linuxBox &&
            pendingView_ == kDeferredOnSybaseLinux) {
            deferredView_ = query;  // it depends on other views: created after the whole document
        } else {
            createView(t, pendingView_, query);
        }
        t.scrollReportToEnd();
        t.processEvents();
        pendingView_.clear();
    }
}

void Reader::indexLine(Target& t, const QString& z)
{
    if (keyIn(z, 22, "tabelle")) {
        indexTable_ = rt::mid(z, 24);
    } else if (keyIn(z, 22, "name")) {
        indexName_ = rt::mid(z, 24);
        bool exists = false;
        // When the server cannot say, the block is skipped: the server would not refuse a second
        // index that differs from an existing one only by its prefix.
        if (!step(t, [&] { exists = t.Index_Existiert(indexTable_, indexName_); }) || exists)
            bIndizes = false;
        else
            indexCounter_ = 0;
    } else if (keyIn(z, 22, "attribute")) {
        step(t, [&] { indexAttribute_ = number32(rt::mid(z, 24)); });
    } else if (keyIn(z, 22, "felderanzahl")) {
        step(t, [&] {
            const qint32 n = number32(rt::mid(z, 24));
            if (n < 1)
                throw rt::runtimeFailure(rt::err::SubscriptOutOfRange);  // an array of no entries
            indexFieldCount_ = n;
            indexFields_.clear();  // filled as the lines come, so a large count costs nothing
        });
    } else if (keyIn(z, 22, "feld")) {
        if (!step(t, [&] {
                if (indexFieldCount_ < 0 || indexCounter_ < 0 || indexCounter_ >= indexFieldCount_)
                    throw rt::runtimeFailure(rt::err::SubscriptOutOfRange);
                while (indexFields_.size() <= indexCounter_)
                    indexFields_ << QString();
                indexFields_[indexCounter_] = rt::mid(z, 24);
                ++indexCounter_;
            }))
            return;
        if (indexCounter_ > indexFieldCount_ - 1) {
            QStringList fields = indexFields_;
            while (fields.size() < indexFieldCount_)
                fields << QString();
            bool created = false;
            step(t, [&] { created = t.Index_Anlegen(indexTable_, indexName_, indexAttribute_, fields); });
            if (created) {
                t.report(QStringLiteral("Neuen Index anlegen: ") + indexTable_ + QLatin1Char('/') + indexName_);
                ++t.summary().indexesCreated;
            }
            bIndizes = false;
        }
    }
}

void Reader::headers(Target& t, const QString& z)
{
    for (const char* header : {"[felder]", "[renamefield]", "[renametable]", "[Indizes]", "[querys]"})
        sawSection_ = sawSection_ || z.contains(QLatin1String(header), Qt::CaseInsensitive);
    sawSection_ = sawSection_ || z.contains(QLatin1String("#####"));
    if (z.contains(QLatin1String("[felder]"), Qt::CaseInsensitive)) {
        bFelder = true;
        bIndizes = false;
    }
    if (z.contains(QLatin1String("[renamefield]"), Qt::CaseInsensitive)) {
        bRenameField = true;
        bIndizes = false;
    }
    if (z.contains(QLatin1String("[renametable]"), Qt::CaseInsensitive)) {
        bRenameTable = true;
        bIndizes = false;
    }
    if (z.contains(QLatin1String("[Indizes]"), Qt::CaseInsensitive))
        bIndizes = true;
    if (z.contains(QLatin1String("[querys]"), Qt::CaseInsensitive)) {
        bQuerys = true;
        pendingView_.clear();
    }
    if (z.contains(QLatin1String("#####"))) {
        bAltesFormat = true;
        if (!t.Tabelle_Pruefen(rt::trim(rt::mid(z, 27))))
            bAltesFormat = false;
    }
}

void Reader::processLine(Target& t, const QString& z)
{
    if (z.contains(QLatin1String("#####")) ||
        (z.contains(QLatin1Char('[')) && !z.contains(QLatin1String("SQL"), Qt::CaseSensitive)))
        clearSections();
    // A header line is offered to the blocks active before it, then switches the section.
    if (bAltesFormat)
        oldFormatLine(t, z);
    if (bFelder)
        fieldsLine(t, z);
    if (bRenameField)
        renameFieldLine(t, z);
    if (bRenameTable)
        renameTableLine(t, z);
    if (bQuerys)
        querysLine(t, z);
    if (bIndizes && !keyIn(z, 22, "[felder]"))
        indexLine(t, z);
    headers(t, z);
}

void Reader::createView(Target& t, const QString& name, const QString& query)
{
    QString message;
    bool created = false;
    const bool ran = step(t, [&] { created = t.Create_View(name, query, message); });
    if (!message.isEmpty())
        t.report(message);
    if (created)
        ++t.summary().viewsCreated;
    else if (ran)  // a failure that reached the run's handler is counted there
        noteNotApplied(t.summary(), message);
}

void Reader::finishRun(Target& t)
{
    // Without a text there is nothing to create, and dropping the existing view would only lose it.
    if (t.textOptions().kind == ServerKind::Sybase && t.textOptions().linuxBox && !deferredView_.isEmpty())
        createView(t, kDeferredOnSybaseLinux, deferredView_);
}

}  // namespace xdb
