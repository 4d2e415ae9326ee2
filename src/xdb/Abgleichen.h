#pragma once
#include "dataaccess/SqlConnection.h"
#include "diag/Progress.h"
#include "diag/StatementRunner.h"
#include "xdb/XdbReader.h"

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The reconciliation window "SQL-Server mit XDB abgleichen": applies an XDB document to the SQL
// database of the main connection.
class Abgleichen : public QWidget, private xdb::Target {
    Q_OBJECT
public:
    Abgleichen();

    void Command1_Click();
    void Command8_Click();

    void XDB_Verarbeiten();
    void Steuerelemente_Freigeben(bool enabled);

    // The operations on the database (each writes its report lines to List1).
    bool Tabelle_Pruefen(const QString& name) override;
    bool Feld_Existiert(const QString& name) override;
    xdb::Built Feld_Hinzufuegen_SQL(const QString& field, qint16 type, double size, QString& defaultValue) override;
    bool Index_Existiert(const QString& table, const QString& index) override;
    bool Index_Anlegen(const QString& table, const QString& index, qint32 attribute,
                       const QStringList& fields) override;

    // The section flags; they keep their values between runs.
    const xdb::Reader& reader() const { return reader_; }

protected:
    // While a run is active the window cannot be closed: it holds the run's state.
    void closeEvent(QCloseEvent* event) override;

private:
    TextOptions textOptions() const override;
    void report(const QString& line) override;
    void scrollReportToEnd() override;
    void processEvents() override;
    QString currentTableName() const override;
    void refreshColumns() override;
    void SQL_Ausfuehren(QString statement) override;
    bool Create_View(const QString& name, QString query, QString& message) override;
    void lineNotApplied(const QString& text) override;
    XdbReport& summary() override;
    bool failed(const rt::RuntimeError& e) override;
    void unreadableDocument(const QString& path);

    sql::Table& currentTable() const;
    void runDocument(const QString& path);

    QLabel* Label1;
    QLineEdit* Text_XDB;
    QPushButton* Command1;  // "..."
    QPushButton* Command8;  // "XDB Verarbeiten"
    QListWidget* List1;

    // Where the run sends its statements and shows its progress.
    diag::SessionStatementRunner runner_;
    diag::MainWindowProgress progress_;
    xdb::Reader reader_;
    bool running_ = false;
    std::shared_ptr<sql::Table> currentTable_;
};
