#pragma once
#include "dataaccess/ServerKind.h"
#include "diag/Guard.h"
#include "diag/TextOptions.h"
#include "xdb/XdbStatements.h"

#include <QString>
#include <QStringList>

namespace rt {
class RuntimeError;
}
struct XdbReport;

namespace xdb {

// What the reader needs from the reconciliation window: the operations on the database, the report
// list and the run's failure handler.
class Target {
public:
    virtual ~Target() = default;
    virtual TextOptions textOptions() const = 0;   // read afresh at each call
    virtual void report(const QString& line) = 0;  // a line of List1
    virtual void scrollReportToEnd() = 0;
    virtual void processEvents() = 0;

    virtual bool Tabelle_Pruefen(const QString& name) = 0;  // never raises
    virtual bool Feld_Existiert(const QString& name) = 0;
    // The ALTER TABLE statement, or why the field is not added.
    virtual Built Feld_Hinzufuegen_SQL(const QString& field, qint16 type, double size, QString& defaultValue) = 0;
    virtual QString currentTableName() const = 0;
    virtual void refreshColumns() = 0;
    virtual void SQL_Ausfuehren(QString statement) = 0;
    virtual bool Index_Existiert(const QString& table, const QString& index) = 0;
    // True when a statement was sent; a refused line is reported through lineNotApplied.
    virtual bool Index_Anlegen(const QString& table, const QString& index, qint32 attribute,
                               const QStringList& fields) = 0;
    // True when the view was created.
    virtual bool Create_View(const QString& name, QString query, QString& message) = 0;

    // A line of the document that is refused before anything is sent: reported, logged, counted.
    virtual void lineNotApplied(const QString& text) = 0;
    // What the run did, counted as it goes.
    virtual XdbReport& summary() = 0;
    // The run's failure handler: reports and logs; true when the run goes on with the next statement.
    virtual bool failed(const rt::RuntimeError& e) = 0;
};

// The run's failure handler as the statement guard takes it.
inline auto runHandler(Target& t)
{
    return [&t](const rt::RuntimeError& e) { return t.failed(e) ? diag::AfterFailure::Next : diag::AfterFailure::End; };
}

// Counts a line that was not applied and keeps its problem once.
void noteNotApplied(XdbReport& summary, const QString& problem);

// Raised out of processLine when a failure ends the run.
struct RunEnded {};

// The line-by-line reader of an XDB document. The section flags belong to the window and keep
// their values between runs; everything else lives for one run.
class Reader {
public:
    bool bFelder = false, bAltesFormat = false, bRenameField = false, bRenameTable = false, bQuerys = false,
         bIndizes = false;

    void startRun();  // clears five flags (not bIndizes) and the run's state
    void processLine(Target& t, const QString& line);
    void finishRun(Target& t);  // the view held back on Sybase under Linux
    // True once a line of this run started a section: a document without one is not an XDB document.
    bool sawSection() const { return sawSection_; }

private:
    template <class F>
    bool step(Target& t, F&& f);
    void clearSections();
    void addFieldIfMissing(Target& t, const QString& name, qint16 type, double size, QString defaultValue);
    void createView(Target& t, const QString& name, const QString& query);
    void oldFormatLine(Target& t, const QString& z);
    void fieldsLine(Target& t, const QString& z);
    void renameFieldLine(Target& t, const QString& z);
    void renameTableLine(Target& t, const QString& z);
    void querysLine(Target& t, const QString& z);
    void indexLine(Target& t, const QString& z);
    void headers(Target& t, const QString& z);

    // One run's state.
    QString pendingView_;
    QString deferredView_;
    QString indexTable_, indexName_;
    qint32 indexAttribute_ = 0;
    qint64 indexFieldCount_ = -1;  // -1: no "felderanzahl" yet in this run
    QStringList indexFields_;
    qint64 indexCounter_ = 0;
    bool sawSection_ = false;
};

}  // namespace xdb
