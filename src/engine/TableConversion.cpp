#include "engine/TableConversion.h"
#include "diag/DialogService.h"
#include "diag/Guard.h"
#include "engine/InsertText.h"
#include "engine/LookupText.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace engine {
namespace {
const QString kPhaseCreate = QStringLiteral("Anlegen der Tabelle");
const QString kPhaseAfter = QStringLiteral("Indexerstellung / Datenübernahme");

// A whole number written in a box (blanks around it allowed), or -1.
int wholeNumber(const QString& text)
{
    const QString t = rt::trim(text);
    if (t.isEmpty() || t.size() > 9)
        return -1;
    for (QChar c : t)
        if (!c.isDigit() || c.unicode() > 127)
            return -1;
    return t.toInt();
}
}  // namespace

QString GetPrim(const QString& prim, diag::StatementRunner& runner)
{
    try {
        if (!runner.connection())
            return prim;
        auto rs = runner.query(constraintUseCountQuery(prim), sql::kStatic);
        const QVariant v = rs->value(0);
        rs->close();
        bool ok = false;
        const double n = v.toDouble(&ok);
        if (v.isNull() || !ok)
            return prim;
        if (rt::toInt16(n) >= 1) {
            auto id = runner.query(newIdHexQuery(), sql::kStatic);
            const QString suffix = id->value(0).toString();
            id->close();
            return prim + suffix;
        }
        return prim;
    } catch (const rt::RuntimeError&) {
        return prim;
    }
}

bool isConnectionLost(const rt::RuntimeError& e)
{
    if (e.number() != rt::err::Odbc)
        return false;
    const QString& d = e.description();
    if (d.startsWith(QLatin1String("08")))
        return true;
    return (d.startsWith(QLatin1String("S1000:")) || d.startsWith(QLatin1String("HY000:"))) &&
           (d.contains(QLatin1String("server has gone away"), Qt::CaseInsensitive) ||
            d.contains(QLatin1String("Lost connection"), Qt::CaseInsensitive));
}

diag::AfterFailure TableConversion::handleFailure(const rt::RuntimeError& e)
{
    const ServerKind kind = host_.textOptions().kind;
    if (kind == ServerKind::Oracle && e.description().contains(QLatin1String("42S11")))
        return diag::AfterFailure::Next;
    if (kind == ServerKind::DB2 && e.description().contains(QLatin1String("SQL0605W")))
        return diag::AfterFailure::Next;
    if (isConnectionLost(e))
        outcome_.connectionLost = true;
    reportFailure(e, e.description(),
                  outcome_.connectionLost ? QStringLiteral("Verbindung zum SQL-Server verloren")
                  : tableCreated_         ? QStringLiteral("Fehler bei Index oder Daten")
                                          : QStringLiteral("Tabelle nicht angelegt"));
    return tableCreated_ && !outcome_.connectionLost ? diag::AfterFailure::Next : diag::AfterFailure::End;
}

void TableConversion::reportFailure(const rt::RuntimeError& e, const QString& logLine, const QString& problem)
{
    if (!logLine.isEmpty()) {  // empty: counted, not logged line by line
        host_.errorLogAdd(logLine);
        host_.showErrorLogBehind();
    }
    const QString phase = tableCreated_ ? kPhaseAfter : kPhaseCreate;
    if (host_.messageChecked())
        dialogs_.message(QString::number(e.number()) + QStringLiteral(" ,  ") + e.description() +
                             QStringLiteral(" ,  ") + e.source(),
                         phase);
    host_.setTabellenFehler(true);
    outcome_.failed = true;
    addProblem(problem);
}

void TableConversion::addProblem(const QString& problem)
{
    if (!outcome_.problems.contains(problem))
        outcome_.problems << problem;
}

qint64 TableConversion::shareOf(qint64 from, qint64 to) const
{
    qint64 n = 0;
    for (qint64 c = from; c <= to; ++c)
        if (isThisMachinesRecord(c, shares_.max, shares_.mod))
            ++n;
    return n;
}

void TableConversion::addLine(const QString& line)
{
    lines_ << line;
    host_.addToList1(line);
}

void TableConversion::run(QString sql) { runner_.execute(sql, host_.textOptions()); }

void TableConversion::run(QString sql, const TextOptions& o) { runner_.execute(sql, o); }

TableConversion::Shares TableConversion::readShares() const
{
    const QString maxText = host_.textMax(), modText = host_.textMod();
    const int max = wholeNumber(maxText), mod = wholeNumber(modText);
    if (max < 1 || mod < 1 || mod > max)
        throw rt::RuntimeError(
            rt::err::TypeMismatch, QStringLiteral("Konvertierung"),
            QStringLiteral("Ungültige Aufteilung auf mehrere PCs: \"von :\" muss eine ganze Zahl ab 1 sein und "
                           "\"PC :\" eine ganze Zahl von 1 bis \"von :\" (PC : '%1', von : '%2')")
                .arg(modText, maxText));
    return {max, mod};
}

TableOutcome TableConversion::convert(const QString& T)
{
    tableCreated_ = false;
    positionsKnown_ = false;
    outcome_ = TableOutcome();
    host_.setBeschaeftigt(true);
    bool goOn = step([&] {
        host_.errorLogAdd(QStringLiteral("Tabelle: ") + T);
        host_.Schalter_Freigeben(false);
        host_.showStopImage(true);
        host_.setStatus(QStringLiteral("öffne Access - Tabelle"));
        accessdb::Database* db = host_.database();
        if (!db)
            throw rt::runtimeFailure(rt::err::ObjectNotSet);
        recordset_ = db->openRecordset(T);
    });
    // The split among PCs is checked before anything is dropped.
    if (goOn)
        goOn = step([&] { shares_ = readShares(); });
    if (goOn && shares_.max == 1) {
        goOn = structurePhase(T);
        if (goOn)
            indexPhase(T);
    }
    if (goOn) {
        // With one PC every row of the table went to the server: see that they arrived.
        if (dataPhase(T) && shares_.max == 1 && !outcome_.connectionLost)
            verifyServerRows(T);
        step([&] {
            if (recordset_)
                recordset_->close();
            recordset_.reset();
        });
    }
    endRun();
    return outcome_;
}

void TableConversion::endRun()
{
    host_.setStatus(QStringLiteral("Fertig."));
    host_.showStopImage(false);
    host_.Schalter_Freigeben(true);
    host_.setAbbruch(false);
    host_.setBeschaeftigt(false);
}

void TableConversion::findSpecialColumns(const QString& T)
{
    timeColumns_.clear();
    dateColumn_ = -1;
    const bool termin = T == QLatin1String("Terminkalender");
    const bool formular = T == QLatin1String("Formularprotokoll");
    if (recordset_ && (termin || formular)) {
        for (int i = 0; i < recordset_->fieldCount(); ++i) {
            const QString n = recordset_->field(i).name.toLower();
            if (n == QLatin1String("datum"))
                dateColumn_ = i;
            else if (termin && (n == QLatin1String("zeit") || n == QLatin1String("zeit1")))
                timeColumns_ << i;
            else if (formular && n == QLatin1String("uhrzeit"))
                timeColumns_ << i;
        }
    }
    positionsKnown_ = true;
}

bool TableConversion::checkFieldTypes()
{
    return step([&] {
        const TextOptions o = host_.textOptions();
        for (int i = 0; i < recordset_->fieldCount(); ++i)
            sqlType(recordset_->field(i), o);  // raises for a type without an SQL type
    });
}

bool TableConversion::structurePhase(const QString& T)
{
    accessdb::Database* db = host_.database();
    // A table that cannot be created is not dropped either.
    if (!checkFieldTypes())
        return false;
    host_.setStatus(QStringLiteral("lösche evtl. vorhandene SQL-Tabelle"));
    diag::guarded(diag::nextStatement, [&] { run(QStringLiteral("DROP TABLE ") + T); });

    host_.setStatus(QStringLiteral("Erstelle SQL - Tabellenstruktur"));
    host_.clearList1();
    lines_.clear();
    addLine(QStringLiteral("CREATE TABLE ") + T + u' ');
    addLine(QStringLiteral("("));

    bool goOn = step([&] {
        QStringList& keys = outcome_.keyFields.emplace();
        for (const QString& k : keyFields(db->tableDef(T), db->relations()))
            addUnique(keys, k);
    });
    if (!goOn)
        return false;

    QString sequenceName;
    QStringList& keys = *outcome_.keyFields;
    if (host_.autowertChecked() && keys.isEmpty() && !addIdentityColumn(T, keys, sequenceName))
        return false;
    const bool identityAdded = outcome_.identityAdded;
    QString separator = identityAdded ? QStringLiteral(",") : QStringLiteral(" ");

    QString constraint;
    goOn = step([&] {
        findSpecialColumns(T);
        for (int i = 0; i < recordset_->fieldCount(); ++i) {
            const accessdb::Field& f = recordset_->field(i);
            const TextOptions o = host_.textOptions();
            const QString name = separator + columnNameText(f.name, T, o);
            const QString type = sqlType(f, o);
            const QString def = defaultClause(f, o);
            const QString nul = nullClause(f, o, keys);
            separator = QStringLiteral(",");
            if (!keys.isEmpty() && keys.first().compare(f.name, Qt::CaseInsensitive) == 0) {
                const QString base = keyConstraintBaseName(T, o);
                constraint = keyConstraint(o.kind == ServerKind::MSSQL ? GetPrim(base, runner_) : base, keys, o);
            }
            addLine(columnLine(QString(), name, type, def, nul));
        }
    });
    if (!goOn)
        return false;

    const TextOptions o = host_.textOptions();
    if (!rt::trim(constraint).isEmpty())
        addLine(u',' + constraint);
    addLine(QStringLiteral(")"));
    if (o.kind == ServerKind::MySQL)
        addLine(QStringLiteral(" ENGINE=BDB"));
    host_.setStatus(QStringLiteral("Erstelle SQL - Tabelle auf SQL-Server"));
    if (!step([&] { run(joinTableStatement(lines_, o)); }))
        return false;

    if (host_.textOptions().kind == ServerKind::Oracle && identityAdded) {
        for (const QString& l : oracleTriggerDisplayLines(T))
            addLine(l);
        if (!step([&] { run(oracleTriggerStatement(T, sequenceName)); }))
            return false;
    }
    tableCreated_ = true;
    return true;
}

bool TableConversion::addIdentityColumn(const QString& T, QStringList& keys, QString& sequenceName)
{
    host_.addIdentityTable(T);
    const TextOptions o = host_.textOptions();
    addLine(identityColumnLine(o));
    if (identityJoinsKeyList(o))
        addUnique(keys, kIdentityName);
    outcome_.identityAdded = true;
    if (o.kind != ServerKind::Oracle)
        return true;
    diag::guarded(diag::nextStatement,
                  [&] { run(QStringLiteral("DROP SEQUENCE ") + oracleSequenceName(T, rt::now())); });
    sequenceName = oracleSequenceName(T, rt::now());
    return step([&] {
        run(QStringLiteral("CREATE SEQUENCE ") + sequenceName + QStringLiteral(" INCREMENT BY 1 START WITH 1"));
    });
}

void TableConversion::indexPhase(const QString& T)
{
    host_.setStatus(QStringLiteral("Erzeuge Indexe für SQL-Tabelle"));
    QList<accessdb::Index> indexes;
    if (!step([&] { indexes = host_.database()->tableDef(T).indexes; }))
        return;
    for (const accessdb::Index& ix : indexes) {
        if (ix.primary || ix.name.compare(QLatin1String("primarykey"), Qt::CaseInsensitive) == 0)
            continue;
        if (outcome_.connectionLost)
            return;
        step([&] {
            const QStringList lines = indexStatementLines(T, ix, host_.textOptions(), host_.indexCounter(), rt::now());
            for (const QString& l : lines)
                host_.addToList1(l);
            run(lines.join(QString()));
        });
    }
}

}  // namespace engine
