#include "engine/TableConversion.h"
#include "diag/DialogService.h"
#include "diag/Module1.h"
#include "diag/Session.h"
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

// Decimal digits appended without a temporary string: the status line is written every row.
void appendNumber(TextBuffer& out, qint64 n)
{
    const rt::DecimalDigits digits(n);
    out.append(digits.data(), size_t(digits.size()));
}
}  // namespace

QString GetPrim(const QString& prim)
{
    try {
        sql::Connection* c = session().Verbindung1.get();
        if (!c)
            return prim;
        auto rs = c->openResultset(QStringLiteral("SELECT COUNT(CONSTRAINT_NAME) FROM INFORMATION_SCHEMA."
                                                  "CONSTRAINT_COLUMN_USAGE WHERE CONSTRAINT_NAME = '") +
                                       prim + u'\'',
                                   sql::kStatic, sql::kReadOnly, sql::kExecDirect);
        const QVariant v = rs->value(0);
        rs->close();
        bool ok = false;
        const double n = v.toDouble(&ok);
        if (v.isNull() || !ok)
            return prim;
        if (rt::toInt16(n) >= 1) {
            auto id = c->openResultset(QStringLiteral("SELECT REPLACE(CONVERT(VARCHAR(36), NEWID()), '-', '')"),
                                       sql::kStatic, sql::kReadOnly, sql::kExecDirect);
            const QString suffix = id->value(0).toString();
            id->close();
            return prim + suffix;
        }
        return prim;
    } catch (const rt::RuntimeError&) {
        return prim;
    }
}

template <class Statement>
bool TableConversion::step(Statement&& statement)
{
    try {
        statement();
        return true;
    } catch (const rt::RuntimeError& e) {
        return handleFailure(e);
    }
}

bool TableConversion::handleFailure(const rt::RuntimeError& e)
{
    const ServerKind kind = host_.textOptions().kind;
    if (kind == ServerKind::Oracle && e.description().contains(QLatin1String("42S11")))
        return true;
    if (kind == ServerKind::DB2 && e.description().contains(QLatin1String("SQL0605W")))
        return true;
    host_.errorLogAdd(e.description());
    host_.showErrorLogBehind();
    const QString phase = tableCreated_ ? kPhaseAfter : kPhaseCreate;
    if (host_.messageChecked())
        dialogs().message(QString::number(e.number()) + QStringLiteral(" ,  ") + e.description() +
                              QStringLiteral(" ,  ") + e.source(),
                          phase);
    host_.setTabellenFehler(true);
    return tableCreated_;
}

void TableConversion::ignoringErrors(const std::function<void()>& statement)
{
    try {
        statement();
    } catch (const rt::RuntimeError&) {
    }
}

void TableConversion::addLine(const QString& line)
{
    lines_ << line;
    host_.addToList1(line);
}

void TableConversion::run(QString sql) { SQL_Ausfuehren(sql); }

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

void TableConversion::Command1_SIK()
{
    tableCreated_ = false;
    positionsKnown_ = false;
    emptyRecords_ = 0;
    host_.setBeschaeftigt(true);
    const QString T = host_.tableName();
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
        dataPhase(T);
        step([&] {
            if (recordset_)
                recordset_->close();
            recordset_.reset();
        });
    }
    endRun();
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

bool TableConversion::structurePhase(const QString& T)
{
    accessdb::Database* db = host_.database();
    host_.setStatus(QStringLiteral("lösche evtl. vorhandene SQL-Tabelle"));
    ignoringErrors([&] { run(QStringLiteral("DROP TABLE ") + T); });

    host_.setStatus(QStringLiteral("Erstelle SQL - Tabellenstruktur"));
    host_.clearList1();
    lines_.clear();
    addLine(QStringLiteral("CREATE TABLE ") + T + u' ');
    addLine(QStringLiteral("("));

    bool goOn = step([&] {
        host_.clearList3();
        const QStringList keys = keyFields(db->tableDef(T), db->relations());
        for (const QString& k : keys)
            host_.List3AddUnique(k);
    });
    if (!goOn)
        return false;

    QString separator = QStringLiteral(" ");
    bool identityAdded = false;
    QString sequenceName;
    if (host_.autowertChecked() && host_.list3().isEmpty()) {
        host_.addIdentityTable(T);
        const ServerKind kind = host_.textOptions().kind;
        addLine(identityColumnLine(kind));
        separator = QStringLiteral(",");
        if (identityJoinsKeyList(kind))
            host_.List3AddUnique(kIdentityName);
        identityAdded = true;
        if (kind == ServerKind::Oracle) {
            ignoringErrors([&] { run(QStringLiteral("DROP SEQUENCE ") + oracleSequenceName(T, rt::now())); });
            sequenceName = oracleSequenceName(T, rt::now());
            if (!step([&] {
                    run(QStringLiteral("CREATE SEQUENCE ") + sequenceName +
                        QStringLiteral(" INCREMENT BY 1 START WITH 1"));
                }))
                return false;
        }
    }

    QString constraint;
    goOn = step([&] {
        findSpecialColumns(T);
        for (int i = 0; i < recordset_->fieldCount(); ++i) {
            const accessdb::Field& f = recordset_->field(i);
            const TextOptions o = host_.textOptions();
            const QStringList keys = host_.list3();
            const QString name = separator + columnNameText(f.name, T, o.kind);
            const QString type = sqlType(f, o);
            const QString def = defaultClause(f, o);
            const QString nul = nullClause(f, o.kind, keys);
            separator = QStringLiteral(",");
            if (!keys.isEmpty() && keys.first().compare(f.name, Qt::CaseInsensitive) == 0) {
                const QString base = keyConstraintBaseName(T, o.kind);
                constraint = keyConstraint(o.kind == ServerKind::MSSQL ? GetPrim(base) : base, keys, o.kind);
            }
            addLine(columnLine(QString(), name, type, def, nul));
        }
    });
    if (!goOn)
        return false;

    const ServerKind kind = host_.textOptions().kind;
    if (!rt::trim(constraint).isEmpty())
        addLine(u',' + constraint);
    addLine(QStringLiteral(")"));
    if (kind == ServerKind::MySQL)
        addLine(QStringLiteral(" ENGINE=BDB"));
    host_.setStatus(QStringLiteral("Erstelle SQL - Tabelle auf SQL-Server"));
    if (!step([&] { run(joinTableStatement(lines_, kind)); }))
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

void TableConversion::indexPhase(const QString& T)
{
    host_.setStatus(QStringLiteral("Erzeuge Indexe für SQL-Tabelle"));
    QList<accessdb::Index> indexes;
    if (!step([&] { indexes = host_.database()->tableDef(T).indexes; }))
        return;
    for (const accessdb::Index& ix : indexes) {
        if (ix.primary || ix.name.compare(QLatin1String("primarykey"), Qt::CaseInsensitive) == 0)
            continue;
        step([&] {
            const QStringList lines =
                indexStatementLines(T, ix, host_.textOptions().kind, host_.indexCounter(), rt::now());
            for (const QString& l : lines)
                host_.addToList1(l);
            run(lines.join(QString()));
        });
    }
}

void TableConversion::dataPhase(const QString& T)
{
    tableCreated_ = true;
    accessdb::Recordset* rs = recordset_.get();
    if (!rs)
        return;
    qint32 total = 0;
    QList<accessdb::Field> fields;
    bool started = false;
    // The start of the copy: when it fails, there is nothing to loop over.
    if (!step([&] {
            if (host_.noDataChecked() || rs->recordCount() < 1)
                return;
            for (int i = 0; i < rs->fieldCount(); ++i)
                fields << rs->field(i);
            rs->moveLast();
            const long count = rs->recordCount();
            total = rt::toInt32(double(count));
            Fortschritt_Start(total);
            started = true;
            rs->moveFirst();
        }) ||
        !started)
        return;
    if (!positionsKnown_)
        findSpecialColumns(T);
    static const accessdb::Value noDate;

    qint64 counter = 0;
    emptyRecords_ = 0;
    // Column names per server kind, made again only when the kind changes during the copy.
    QStringList columnNames;
    ServerKind namesKind = ServerKind::MSSQL;
    // Buffers kept across rows and their capacity reused: a row allocates only the two strings it
    // hands on, the status text and the statement.
    TextBuffer status, columns, values, statement;
    for (;;) {
        bool atEnd = true;
        step([&] { atEnd = rs->eof(); });
        if (atEnd || host_.abbruch())
            break;
        ++counter;
        step([&] {
            Fortschritt_Setzen(qint32(counter));
            status.clear();
            appendNumber(status, counter);
            status.push_back(u'/');
            appendNumber(status, total);
            append(status, " (");
            appendNumber(status, emptyRecords_);
            append(status, ")  :  ");
            appendNumber(status, counter * 100 / total);
            status.push_back(u'%');
            host_.setStatus(toQString(status));
            const Shares sh = shares_;
            if (!isThisMachinesRecord(counter, sh.max, sh.mod))
                return;
            const TextOptions o = host_.textOptions();
            if (columnNames.isEmpty() || namesKind != o.kind) {
                columnNames.clear();
                for (const accessdb::Field& f : fields)
                    columnNames << insertColumnName(f.name, o.kind);
                namesKind = o.kind;
            }
            columns.clear();
            values.clear();
            char16_t sep = u'(';
            for (int i = 0; i < fields.size(); ++i) {
                const accessdb::Field& f = fields[i];
                const accessdb::Value* date = nullptr;
                if (timeColumns_.contains(i))
                    date = dateColumn_ >= 0 ? &rs->value(dateColumn_) : &noDate;
                values.push_back(sep);
                if (!appendInsertValue(values, f, rs->value(i), o, date)) {
                    values.pop_back();
                    continue;
                }
                columns.push_back(sep);
                append(columns, columnNames[i]);
                sep = u',';
            }
            if (columns.empty()) {
                ++emptyRecords_;
                return;
            }
            statement.clear();
            appendInsertStatement(statement, T, columns, values);
            run(toQString(statement));
        });
        // A record set that cannot move on would repeat the same record for ever.
        bool moved = false;
        step([&] {
            rs->moveNext();
            moved = true;
        });
        if (!moved)
            break;
    }
    step([&] { Fortschritt_Setzen(0); });
}

}  // namespace engine
