#include "engine/TableConversion.h"
#include "engine/InsertText.h"
#include "diag/DialogService.h"
#include "diag/Guard.h"
#include "engine/LookupText.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace engine {
namespace {
const QString kPhaseCreate = QStringLiteral("Anlegen der Tabelle");
const QString kPhaseAfter = QStringLiteral("Indexerstellung / Datenübernahme");
// Refused rows logged one by one per table; beyond that they are counted, so a table whose every
// row fails does not fill the memory with log lines.
constexpr qint64 kRefusedRowsLogged = 100;

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

template <class Statement>
bool TableConversion::step(Statement&& statement)
{
    const auto handler = [this](const rt::RuntimeError& e) { return handleFailure(e); };
    return diag::guarded(handler, statement) != diag::Guarded::Ended;
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

    QString separator = QStringLiteral(" ");
    bool identityAdded = false;
    QString sequenceName;
    QStringList& keys = *outcome_.keyFields;
    if (host_.autowertChecked() && keys.isEmpty()) {
        host_.addIdentityTable(T);
        const TextOptions o = host_.textOptions();
        addLine(identityColumnLine(o));
        separator = QStringLiteral(",");
        if (identityJoinsKeyList(o))
            addUnique(keys, kIdentityName);
        identityAdded = true;
        outcome_.identityAdded = true;
        if (o.kind == ServerKind::Oracle) {
            diag::guarded(diag::nextStatement,
                          [&] { run(QStringLiteral("DROP SEQUENCE ") + oracleSequenceName(T, rt::now())); });
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
            const QStringList lines =
                indexStatementLines(T, ix, host_.textOptions(), host_.indexCounter(), rt::now());
            for (const QString& l : lines)
                host_.addToList1(l);
            run(lines.join(QString()));
        });
    }
}

bool TableConversion::dataPhase(const QString& T)
{
    tableCreated_ = true;
    accessdb::Recordset* rs = recordset_.get();
    if (!rs)
        return false;
    qint32 total = 0;
    QList<accessdb::Field> fields;
    bool started = false;
    // The start of the copy: when it fails, there is nothing to loop over.
    try {
        if (host_.noDataChecked() || rs->recordCount() < 1)
            return false;
        for (int i = 0; i < rs->fieldCount(); ++i)
            fields << rs->field(i);
        rs->moveLast();
        const long count = rs->recordCount();
        total = rt::toInt32(double(count));
        progress_.start(total);
        started = true;
        progress_.name(T);
        rs->moveFirst();
    } catch (const rt::RuntimeError& e) {
        reportFailure(e, QStringLiteral("Tabelle %1: Access-Tabelle nicht lesbar: %2").arg(T, e.description()),
                      QStringLiteral("Access-Tabelle nicht lesbar"));
        if (started)
            step([&] { progress_.set(0); });
        return false;
    }
    if (!positionsKnown_)
        findSpecialColumns(T);
    static const accessdb::Value noDate;
    copyTotal_ = total;
    tx_ = beginTransaction(T);
    // However the copy ends, autocommit is on again afterwards.
    const struct EndTransaction {
        std::unique_ptr<RowTransaction>& tx;
        ~EndTransaction() { tx.reset(); }
    } endTransaction{tx_};

    qint64 counter = 0;
    // Column names per server kind, made again only when the kind changes during the copy.
    QStringList columnNames;
    ServerKind namesKind = ServerKind::MSSQL;
    // Buffers kept across rows and their capacity reused: a row allocates only the two strings it
    // hands on, the status text and the statement.
    TextBuffer status, columns, values, statement;
    // A record that cannot be read ends the copy: the record set cannot be trusted past it.
    auto unreadable = [&](qint64 record, const rt::RuntimeError& e) {
        outcome_.rowsNotSent += shareOf(record, total);
        reportFailure(e,
                      QStringLiteral("Tabelle %1: Datensatz %2 der Access-Tabelle nicht lesbar (%3); "
                                     "Kopie abgebrochen, %4 Datensätze nicht gesendet")
                          .arg(T)
                          .arg(record)
                          .arg(e.description())
                          .arg(outcome_.rowsNotSent),
                      QStringLiteral("Access-Tabelle nicht lesbar"));
    };
    for (;;) {
        bool atEnd = true;
        try {
            atEnd = rs->eof();
        } catch (const rt::RuntimeError& e) {
            unreadable(counter + 1, e);
            break;
        }
        if (atEnd)
            break;
        // Committed before the status line lets the event loop run, and at least once a second.
        if (tx_ && tx_->due(host_.yieldDue()) && !commitRows(T, counter + 1))
            break;
        if (host_.abbruch()) {
            // What was sent before the stop stays.
            if (!commitRows(T, counter + 1))
                break;
            // A stop request (the stop image or closing the window) leaves the table incomplete.
            outcome_.rowsNotSent += shareOf(counter + 1, total);
            host_.errorLogAdd(QStringLiteral("Tabelle %1: abgebrochen nach Datensatz %2 von %3, %4 Datensätze nicht gesendet")
                                  .arg(T)
                                  .arg(counter)
                                  .arg(total)
                                  .arg(outcome_.rowsNotSent));
            host_.setTabellenFehler(true);
            outcome_.failed = true;
            addProblem(QStringLiteral("Abbruch durch den Benutzer"));
            break;
        }
        ++counter;
        step([&] {
            progress_.set(qint32(counter));
            status.clear();
            appendNumber(status, counter);
            status.push_back(u'/');
            appendNumber(status, total);
            append(status, " (");
            appendNumber(status, outcome_.emptyRecords);
            append(status, ")  :  ");
            appendNumber(status, counter * 100 / total);
            status.push_back(u'%');
            host_.setStatus(toQString(status));
        });
        const Shares sh = shares_;
        if (isThisMachinesRecord(counter, sh.max, sh.mod)) {
            const TextOptions o = host_.textOptions();
            if (columnNames.isEmpty() || namesKind != o.kind) {
                columnNames.clear();
                for (const accessdb::Field& f : fields)
                    columnNames << insertColumnName(f.name, o);
                namesKind = o.kind;
            }
            columns.clear();
            values.clear();
            try {
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
            } catch (const rt::RuntimeError& e) {
                unreadable(counter, e);
                break;
            }
            ++outcome_.rowsRead;
            if (columns.empty()) {
                ++outcome_.emptyRecords;
            } else {
                statement.clear();
                appendInsertStatement(statement, T, columns, values);
                const QString sql = toQString(statement);
                try {
                    run(sql, o);
                    if (tx_ && tx_->active())
                        tx_->accepted(sql);  // sent once committed
                    else
                        ++outcome_.rowsSent;
                } catch (const rt::RuntimeError& e) {
                    if (isConnectionLost(e)) {
                        // Every further row would fail the same way: end the copy with one line.
                        connectionLostDuringCopy(T, e, counter);
                        break;
                    }
                    if (tx_ && tx_->active() && isTransactionRolledBack(e)) {
                        if (!sendAgain(T, e, counter + 1, sql))
                            break;
                    } else {
                        // The message box lets the event loop run: what was sent is committed first.
                        if (host_.messageChecked() && !commitRows(T, counter + 1))
                            break;
                        rowRefused(e);
                    }
                }
            }
        } else {
            ++outcome_.rowsRead;
        }
        // A record set that cannot move on would repeat the same record for ever.
        try {
            rs->moveNext();
        } catch (const rt::RuntimeError& e) {
            unreadable(counter + 1, e);
            break;
        }
    }
    // Every path that ends the loop early has counted the records after it already.
    if (tx_ && commitRows(T, qint64(total) + 1) && tx_->active() && !outcome_.connectionLost) {
        try {
            tx_->finish();
        } catch (const rt::RuntimeError& e) {
            // Later statements would run in a transaction nobody commits.
            reportFailure(e, QStringLiteral("Tabelle %1: Autocommit nicht wieder eingeschaltet: %2").arg(T, e.description()),
                          QStringLiteral("Autocommit nicht wieder eingeschaltet"));
        }
    }
    if (outcome_.rowsRefused > kRefusedRowsLogged)
        host_.errorLogAdd(QStringLiteral("Tabelle %1: %2 Datensätze abgewiesen, die ersten %3 sind oben einzeln aufgeführt")
                              .arg(T)
                              .arg(outcome_.rowsRefused)
                              .arg(kRefusedRowsLogged));
    step([&] { progress_.set(0); });
    return true;
}

std::unique_ptr<RowTransaction> TableConversion::beginTransaction(const QString& T)
{
    sql::Connection* c = runner_.connection();
    if (!host_.fastTransferChecked() || !c)
        return nullptr;
    try {
        return std::make_unique<RowTransaction>(*c);
    } catch (const rt::RuntimeError& e) {
        host_.errorLogAdd(QStringLiteral("Tabelle %1: schnelle Übertragung nicht möglich (%2); jeder Datensatz wird "
                                         "einzeln bestätigt")
                              .arg(T, e.description()));
        return nullptr;
    }
}

bool TableConversion::commitRows(const QString& T, qint64 nextRecord)
{
    if (!tx_ || !tx_->active() || tx_->pending() == 0)
        return true;
    try {
        outcome_.rowsSent += tx_->commit();
        return true;
    } catch (const rt::RuntimeError& e) {
        if (isConnectionLost(e)) {
            connectionLostDuringCopy(T, e, nextRecord);
            return false;
        }
        // The server did not take the transaction: its rows go again.
        return sendAgain(T, e, nextRecord);
    }
}

bool TableConversion::sendAgain(const QString& T, const rt::RuntimeError& e, qint64 nextRecord, const QString& failed)
{
    QStringList again = tx_->fallBack();
    if (!failed.isEmpty())
        again << failed;
    host_.errorLogAdd(QStringLiteral("Tabelle %1: Transaktion vom SQL-Server zurückgenommen (%2); %3 Datensätze werden "
                                     "einzeln erneut gesendet")
                          .arg(T, e.description())
                          .arg(again.size()));
    for (qsizetype k = 0; k < again.size(); ++k) {
        try {
            run(again[k]);
            ++outcome_.rowsSent;
        } catch (const rt::RuntimeError& f) {
            if (isConnectionLost(f)) {
                outcome_.rowsNotSent += again.size() - k;
                connectionLostDuringCopy(T, f, nextRecord);
                return false;
            }
            rowRefused(f);
        }
    }
    return true;
}

void TableConversion::rowRefused(const rt::RuntimeError& e)
{
    ++outcome_.rowsRefused;
    reportFailure(e, outcome_.rowsRefused <= kRefusedRowsLogged ? e.description() : QString(),
                  QStringLiteral("Datensätze abgewiesen"));
}

void TableConversion::connectionLostDuringCopy(const QString& T, const rt::RuntimeError& e, qint64 nextRecord)
{
    outcome_.connectionLost = true;
    // Rows the server accepted but never committed are gone with the connection.
    if (tx_)
        outcome_.rowsNotSent += tx_->discard();
    outcome_.rowsNotSent += shareOf(nextRecord, copyTotal_);
    reportFailure(e,
                  QStringLiteral("Tabelle %1: Verbindung zum SQL-Server verloren (%2); %3 Datensätze nicht gesendet")
                      .arg(T, e.description())
                      .arg(outcome_.rowsNotSent),
                  QStringLiteral("Verbindung zum SQL-Server verloren"));
}

void TableConversion::verifyServerRows(const QString& T)
{
    if (!runner_.connection())
        return;
    try {
        auto rs = runner_.query(rowCountStatement(T, host_.textOptions()), sql::kForwardOnly);
        const QVariant v = rs->value(0);
        rs->close();
        bool ok = false;
        const qint64 n = v.toLongLong(&ok);
        if (!ok)
            throw rt::runtimeFailure(rt::err::TypeMismatch);
        outcome_.serverRows = n;
    } catch (const rt::RuntimeError& e) {
        const QString line = QStringLiteral("Tabelle %1: Zeilenzahl auf dem SQL-Server nicht ermittelt: %2").arg(T, e.description());
        host_.errorLogAdd(line);
        addProblem(QStringLiteral("Zeilenzahl auf dem SQL-Server nicht ermittelt"));
        return;
    }
    const TableOutcome& o = outcome_;
    QString line;
    if (o.serverRows < o.rowsSent)
        line = QStringLiteral("Tabelle %1: %2 Zeilen auf dem SQL-Server, aber %3 Datensätze gesendet")
                   .arg(T)
                   .arg(o.serverRows)
                   .arg(o.rowsSent);
    else if (o.rowsRead != o.rowsSent + o.rowsRefused + o.emptyRecords)
        line = QStringLiteral("Tabelle %1: %2 Datensätze gelesen, aber %3 gesendet, %4 abgewiesen und %5 leer")
                   .arg(T)
                   .arg(o.rowsRead)
                   .arg(o.rowsSent)
                   .arg(o.rowsRefused)
                   .arg(o.emptyRecords);
    if (line.isEmpty())
        return;
    host_.errorLogAdd(line);
    host_.setTabellenFehler(true);
    outcome_.failed = true;
    addProblem(QStringLiteral("Datensätze fehlen auf dem SQL-Server"));
}

}  // namespace engine
