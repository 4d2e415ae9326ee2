#include "diag/DialogService.h"
#include "diag/Module1.h"
#include "diag/Session.h"
#include "engine/SqlText.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"
#include "workbench/Konvertierung.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

// The Access login and the table list: opening the file, finding its tables on the server,
// marking them for the batch.

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}  // namespace

void Konvertierung::MDB_Anmelden()
{
    try {
        Schalter_Freigeben(false);
        List2->clear();
        setStatus(QStringLiteral("öffne Access"));
        if (!openAccessFile(ZABPfad->text()))
            return;
        Datenbank->setQueryTimeout(session().AbfrageTimeout);

        setStatus(QStringLiteral("lade Tabellen"));
        for (const accessdb::TableDef& t : Datenbank->tableDefs())
            if ((t.attributes & accessdb::kSystemObjectBits) == 0)
                List2->addItem(t.name);
        const ServerTables found = markTablesOnServer();
        showDatabaseInfo();
        setStatus(QStringLiteral("Bereit.   [") + QString::number(found.rows) + QStringLiteral(" Sätze in ") +
                  QString::number(found.tables) + QStringLiteral(" Tabellen auf dem SQL-Server]"));
        Schalter_Freigeben(true);
        Abbruch = false;
    } catch (const rt::RuntimeError& e) {
        if (e.number() == rt::err::Odbc && !e.description().startsWith(QLatin1String("S0002:")))
            dialogs().message(e.description() + kCrLf + QStringLiteral("Datenbankserver überlastet") + kCrLf +
                              QStringLiteral("Bitte starten sie das Programm neu"));
        session().FehlerAufgetreten = true;
        Fehler_Protokollieren(e.source(), e.number(), e.description(), QStringLiteral("Konvertierung"),
                              QStringLiteral("MDB_Anmelden"), QString(), QString());
    }
}

bool Konvertierung::openAccessFile(const QString& path)
{
    try {
        Datenbank.reset();
        // The Access library's complaints that do not stop the reading go to the log file.
        Datenbank = accessdb::openDatabase(path, [](const QString& warning) {
            Fehler_Protokollieren(QStringLiteral("DAO.Database"), 0, warning, QStringLiteral("Konvertierung"),
                                  QStringLiteral("MDB_Anmelden"), QString(), QString());
        });
        return true;
    } catch (const rt::RuntimeError& e) {
        // The box names the path only; the log says why it could not be opened.
        Fehler_Protokollieren(e.source(), e.number(), e.description(), QStringLiteral("Konvertierung"),
                              QStringLiteral("MDB_Anmelden"), QString(), QString());
        session().FehlerAufgetreten = true;
        dialogs().message(QStringLiteral("Access-Datenquelle '") + path + QStringLiteral("' nicht gefunden!"));
        Command3->setEnabled(true);
        Command4->setEnabled(true);
        setStatus(QStringLiteral("Bereit."));
        return false;
    }
}

Konvertierung::ServerTables Konvertierung::markTablesOnServer()
{
    ServerTables found;
    const int count = List2->count();
    qint32 steps = count;
    Fortschritt_Start(steps);
    for (int i = count - 1; i >= 0; --i) {
        Fortschritt_Setzen(count - i);
        QListWidgetItem* item = List2->item(i);
        List2->scrollToItem(item, QAbstractItemView::PositionAtTop);
        const QString name = item->text();
        setStatus(QStringLiteral("suche Tabelle ") + name + QStringLiteral(" auf SQL-Server"));
        bool present = true;
        std::unique_ptr<sql::ResultSet> rs;
        if (!session().Verbindung2)
            throw rt::runtimeFailure(rt::err::ObjectNotSet);
        const QString query = engine::rowCountStatement(name, textOptions());
        try {
            rs = session().Verbindung2->openResultset(query, sql::kForwardOnly, sql::kReadOnly, sql::kExecDirect);
        } catch (const rt::RuntimeError& e) {
            if (e.number() != rt::err::Odbc || !e.description().startsWith(QLatin1String("S0002:")))
                throw;
            present = false;
        }
        setMarkingLocked(false);
        setMarkedBySystem(i, !present);
        setMarkingLocked(true);
        if (present) {
            const QVariant v = rs->value(0);
            const qint32 rows = rt::toInt32(v.toDouble());
            if (found.tables == 32767 || qint64(found.rows) + rows > 2147483647LL ||
                qint64(found.rows) + rows < -2147483648LL)
                throw rt::runtimeFailure(rt::err::Overflow);
            ++found.tables;
            found.rows += rows;
            item->setText(Name_Auffuellen(name) + u'[' + QString::number(rows) + u']');
            rs->close();
        }
    }
    Fortschritt_Setzen(0);
    return found;
}

void Konvertierung::showDatabaseInfo()
{
    List1->clear();
    List1->addItem(QStringLiteral("Abfragen in Datenbank: ") + QString::number(Datenbank->queryDefs().size()));
    List1->addItem(QStringLiteral("Beziehungen in Datenbank: ") + QString::number(Datenbank->relations().size()));
    List1->addItem(QString());
    sql::Connection* c = session().Verbindung1.get();
    if (!c)
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    List1->addItem(QStringLiteral("SQL-Treiber: ") + c->name() + QStringLiteral(" : ") + c->versionText());
}

void Konvertierung::ZABPfad_Change()
{
    Schalter_Freigeben(false);
    Command3->setEnabled(true);
    Command4->setEnabled(true);
    List2->clear();
}

void Konvertierung::Command3_Click()
{
    try {
        const QString chosen = dialogs().openFile(ZABPfad->text(), QStringLiteral("Access|*.MDB"));
        if (chosen != ZABPfad->text())
            ZABPfad->setText(chosen);
    } catch (const rt::RuntimeError&) {
        // A dialog that cannot be shown leaves the path as it is.
    }
}

void Konvertierung::Command4_Click() { MDB_Anmelden(); }

QString Konvertierung::Name_Auffuellen(const QString& name)
{
    QString s = name;
    if (s.size() < 40)
        s += QString(40 - s.size(), u' ');
    return s + u'\t';
}

QString Konvertierung::tableNameOfItem(const QString& itemText)
{
    const qsizetype p = itemText.indexOf(u'[');
    if (p < 0)
        return rt::trim(itemText);
    return rt::trim(itemText.left(p > 0 ? p - 1 : 0));
}

void Konvertierung::Command9_Click() { setMarkingLocked(!markingLocked()); }

void Konvertierung::List2_Click()
{
    QListWidgetItem* item = List2->currentItem();
    if (!item)
        return;
    if (markingLocked()) {
        if (item->isSelected()) {
            item->setSelected(false);
            if (!session().AutoLauf && !session().OhneFehlermeldung)
                dialogs().message(QStringLiteral("Funktion ist nicht freigeschalten"));
        }
        return;
    }
    const QString t = item->text();
    if (t.contains(u'[') && !t.contains(QLatin1String("[0]")))
        dialogs().message(QStringLiteral("ACHTUNG   ACHTUNG") + kCrLf + QStringLiteral("diese Tabelle enhält Sätze"));
}

void Konvertierung::setMarkedBySystem(int row, bool marked)
{
    if (QListWidgetItem* item = List2->item(row))
        item->setSelected(marked);
}
