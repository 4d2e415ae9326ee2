#include "engine/InsertText.h"
#include "engine/TableConversion.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

// The data phase of one table's conversion: the row copy, the fast transfer's commits and the
// check of what arrived on the server.

namespace engine {
namespace {
// Refused rows logged one by one per table; beyond that they are counted, so a table whose every
// row fails does not fill the memory with log lines.
constexpr qint64 kRefusedRowsLogged = 100;

// Decimal digits appended without a temporary string: the status line is written every row.
void appendNumber(TextBuffer& out, qint64 n)
{
    const rt::DecimalDigits digits(n);
    out.append(digits.data(), size_t(digits.size()));
}
}  // namespace

struct TableConversion::Copy {
    QList<accessdb::Field> fields;
    // Column names per server kind, made again only when the kind changes during the copy.
    QStringList columnNames;
    ServerKind namesKind = ServerKind::MSSQL;
    // Buffers kept across rows and their capacity reused: a row allocates only the two strings it
    // hands on, the status text and the statement.
    TextBuffer status, columns, values, statement;
};

bool TableConversion::dataPhase(const QString& T)
{
    tableCreated_ = true;
    accessdb::Recordset* rs = recordset_.get();
    if (!rs)
        return false;
    Copy copy;
    if (!startCopy(T, copy))
        return false;
    if (!positionsKnown_)
        findSpecialColumns(T);
    tx_ = beginTransaction(T);
    // However the copy ends, autocommit is on again afterwards.
    const struct EndTransaction {
        std::unique_ptr<RowTransaction>& tx;
        ~EndTransaction() { tx.reset(); }
    } endTransaction{tx_};

    qint64 counter = 0;
    for (;;) {
        bool atEnd = true;
        try {
            atEnd = rs->eof();
        } catch (const rt::RuntimeError& e) {
            recordUnreadable(T, counter + 1, e);
            break;
        }
        if (atEnd)
            break;
        // Committed before the status line lets the event loop run, and at least once a second.
        if (tx_ && tx_->due(host_.yieldDue()) && !commitRows(T, counter + 1))
            break;
        if (host_.abbruch()) {
            stopCopy(T, counter);
            break;
        }
        ++counter;
        step([&] { showRowStatus(copy, counter); });
        const Shares sh = shares_;
        if (isThisMachinesRecord(counter, sh.max, sh.mod)) {
            if (!copyRecord(T, copy, counter))
                break;
        } else {
            ++outcome_.rowsRead;
        }
        // A record set that cannot move on would repeat the same record for ever.
        try {
            rs->moveNext();
        } catch (const rt::RuntimeError& e) {
            recordUnreadable(T, counter + 1, e);
            break;
        }
    }
    endCopy(T);
    step([&] { progress_.set(0); });
    return true;
}

bool TableConversion::startCopy(const QString& T, Copy& copy)
{
    accessdb::Recordset* rs = recordset_.get();
    bool started = false;
    // The start of the copy: when it fails, there is nothing to loop over.
    try {
        if (host_.noDataChecked() || rs->recordCount() < 1)
            return false;
        for (int i = 0; i < rs->fieldCount(); ++i)
            copy.fields << rs->field(i);
        rs->moveLast();
        const long count = rs->recordCount();
        qint32 total = rt::toInt32(double(count));
        progress_.start(total);  // may write the total back
        started = true;
        progress_.name(T);
        rs->moveFirst();
        copyTotal_ = total;
        return true;
    } catch (const rt::RuntimeError& e) {
        reportFailure(e, QStringLiteral("Tabelle %1: Access-Tabelle nicht lesbar: %2").arg(T, e.description()),
                      QStringLiteral("Access-Tabelle nicht lesbar"));
        if (started)
            step([&] { progress_.set(0); });
        return false;
    }
}

void TableConversion::showRowStatus(Copy& copy, qint64 counter)
{
    progress_.set(qint32(counter));
    TextBuffer& status = copy.status;
    status.clear();
    appendNumber(status, counter);
    status.push_back(u'/');
    appendNumber(status, copyTotal_);
    append(status, " (");
    appendNumber(status, outcome_.emptyRecords);
    append(status, ")  :  ");
    appendNumber(status, counter * 100 / copyTotal_);
    status.push_back(u'%');
    host_.setStatus(toQString(status));
}

bool TableConversion::copyRecord(const QString& T, Copy& copy, qint64 counter)
{
    static const accessdb::Value noDate;
    accessdb::Recordset* rs = recordset_.get();
    const TextOptions o = host_.textOptions();
    if (copy.columnNames.isEmpty() || copy.namesKind != o.kind) {
        copy.columnNames.clear();
        for (const accessdb::Field& f : copy.fields)
            copy.columnNames << insertColumnName(f.name, o);
        copy.namesKind = o.kind;
    }
    copy.columns.clear();
    copy.values.clear();
    try {
        char16_t sep = u'(';
        for (int i = 0; i < copy.fields.size(); ++i) {
            const accessdb::Field& f = copy.fields[i];
            const accessdb::Value* date = nullptr;
            if (timeColumns_.contains(i))
                date = dateColumn_ >= 0 ? &rs->value(dateColumn_) : &noDate;
            copy.values.push_back(sep);
            if (!appendInsertValue(copy.values, f, rs->value(i), o, date)) {
                copy.values.pop_back();
                continue;
            }
            copy.columns.push_back(sep);
            append(copy.columns, copy.columnNames[i]);
            sep = u',';
        }
    } catch (const rt::RuntimeError& e) {
        recordUnreadable(T, counter, e);
        return false;
    }
    ++outcome_.rowsRead;
    if (copy.columns.empty()) {
        ++outcome_.emptyRecords;
        return true;
    }
    copy.statement.clear();
    appendInsertStatement(copy.statement, T, copy.columns, copy.values);
    return sendRow(T, toQString(copy.statement), o, counter);
}

bool TableConversion::sendRow(const QString& T, const QString& sql, const TextOptions& o, qint64 counter)
{
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
            return false;
        }
        if (tx_ && tx_->active() && isTransactionRolledBack(e))
            return sendAgain(T, e, counter + 1, sql);
        // The message box lets the event loop run: what was sent is committed first.
        if (host_.messageChecked() && !commitRows(T, counter + 1))
            return false;
        rowRefused(e);
    }
    return true;
}

void TableConversion::stopCopy(const QString& T, qint64 counter)
{
    // What was sent before the stop stays.
    if (!commitRows(T, counter + 1))
        return;
    // A stop request (the stop image or closing the window) leaves the table incomplete.
    outcome_.rowsNotSent += shareOf(counter + 1, copyTotal_);
    host_.errorLogAdd(QStringLiteral("Tabelle %1: abgebrochen nach Datensatz %2 von %3, %4 Datensätze nicht gesendet")
                          .arg(T)
                          .arg(counter)
                          .arg(copyTotal_)
                          .arg(outcome_.rowsNotSent));
    host_.setTabellenFehler(true);
    outcome_.failed = true;
    addProblem(QStringLiteral("Abbruch durch den Benutzer"));
}

void TableConversion::recordUnreadable(const QString& T, qint64 record, const rt::RuntimeError& e)
{
    outcome_.rowsNotSent += shareOf(record, copyTotal_);
    reportFailure(e,
                  QStringLiteral("Tabelle %1: Datensatz %2 der Access-Tabelle nicht lesbar (%3); "
                                 "Kopie abgebrochen, %4 Datensätze nicht gesendet")
                      .arg(T)
                      .arg(record)
                      .arg(e.description())
                      .arg(outcome_.rowsNotSent),
                  QStringLiteral("Access-Tabelle nicht lesbar"));
}

void TableConversion::endCopy(const QString& T)
{
    // Every path that ends the loop early has counted the records after it already.
    if (tx_ && commitRows(T, qint64(copyTotal_) + 1) && tx_->active() && !outcome_.connectionLost) {
        try {
            tx_->finish();
        } catch (const rt::RuntimeError& e) {
            // Later statements would run in a transaction nobody commits.
            reportFailure(
                e, QStringLiteral("Tabelle %1: Autocommit nicht wieder eingeschaltet: %2").arg(T, e.description()),
                QStringLiteral("Autocommit nicht wieder eingeschaltet"));
        }
    }
    if (outcome_.rowsRefused > kRefusedRowsLogged)
        host_.errorLogAdd(
            QStringLiteral("Tabelle %1: %2 Datensätze abgewiesen, die ersten %3 sind oben einzeln aufgeführt")
                .arg(T)
                .arg(outcome_.rowsRefused)
                .arg(kRefusedRowsLogged));
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
        const QString line =
            QStringLiteral("Tabelle %1: Zeilenzahl auf dem SQL-Server nicht ermittelt: %2").arg(T, e.description());
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
