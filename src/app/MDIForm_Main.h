#pragma once
#include "diag/Session.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QProgressBar;
class QPushButton;
class QRadioButton;

// The main window: the login panel, the progress display and the area that holds the work
// windows. Created first, lives for the whole run; closing it ends the program.
class MDIForm_Main : public QMainWindow, public MainWindowAccess {
    Q_OBJECT
public:
    MDIForm_Main();
    ~MDIForm_Main() override;

    // The whole start-up: caption, command line into the session, SQL environments, the identity
    // list and error log windows, focus on the data source box, then the unattended run when asked.
    // commandLine is the text after the program name.
    void Form_Load(const QString& commandLine);

    // The unattended run, started as the last step of Form_Load when AutoLauf is set.
    void Autolauf();

    // Ends the program at once with the exit status. The event loop is asked to stop; before it
    // runs (during Form_Load), main() sees endRequested() and does not start it.
    void Programm_Beenden(int exitCode = 0);
    // The end of the unattended run: summary on standard error, the report file (-bericht:) and
    // the exit status the run earned.
    int Lauf_Abschliessen();
    bool endRequested() const { return m_endRequested; }
    int exitCode() const { return m_exitCode; }

    // Attempts the start-up makes before it gives up on a failing step.
    static constexpr int kStartupAttempts = 100;
    // Creates the SQL engine when the session has none yet (step of the start-up).
    void setEngineFactory(std::function<std::unique_ptr<sql::Engine>()> factory);

    // The information text shown by Image1.
    static QString informationText();

    // MainWindowAccess
    ServerKind serverKind() const override;
    bool linuxChecked() const override;
    QString odbcName() const override;
    void setWorkControlsEnabled(bool enabled) override;
    float progressValue() const override { return m_progressValue; }
    float progressMaximum() const override { return m_progressMaximum; }
    void setProgressValue(float v) override;
    void setProgressMaximum(float m) override;
    void setRemainingTimeText(const QString& text) override;
    void adoptChildWindow(QWidget* w) override;
    void releaseChildWindow(QWidget* w) override;
    void sendToBack(QWidget* w) override;
    void bringToFront(QWidget* w) override;

    QMdiSubWindow* subWindowOf(QWidget* w) const;

    // Handlers.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void ODBC_Name_Change();
    // Key handlers get the character code and set it to 0 to swallow the key.
    void ODBC_Name_KeyPress(int& KeyAscii);
    void Text_UID_KeyPress(int& KeyAscii);
    void Text_PW_KeyPress(int& KeyAscii);
    void Option_MSSQL_Click();
    void Option_MySQL_Click();
    void Option_Oracle_Click();
    void Option_Sybase_Click();
    void Option_DB2_Click();
    void Image1_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void createLoginPanel();
    void layoutLoginPanel();
    void connectControls();
    // False when the command line cannot be used (the user has been told why).
    bool applyCommandLine(const QString& commandLine);
    // Runs one start-up step; a failure is retried (the retry counter names the environments)
    // until the attempts are used up. False when the program has to end.
    bool runStartupStep(const std::function<void()>& step);
    void hideLinuxBox();
    void updateProgressBar();

    std::function<std::unique_ptr<sql::Engine>()> m_engineFactory;
    int m_retryCounter = 0;
    bool m_endRequested = false;
    int m_exitCode = 0;
    // The status a user's close ends the program with: that of the last unattended run.
    int m_closeStatus = 0;
    QString m_reportPath;         // -bericht:
    bool m_fastTransfer = false;  // -schnell: a new conversion window starts with it checked
    bool m_settingReportedName = false;
    float m_progressValue = 0;
    float m_progressMaximum = 100;
    QString m_baseCaption;

    // QProgressBar counts in ints; the bar keeps the float value and maximum and shows their ratio.
    // A hundred steps: the bar repaints itself at once at each step (a millisecond of painting, with
    // helper threads), which at one step per pixel would cost a long copy hundreds of repaints.
    static constexpr int kBarScale = 100;

    // Controls, named as the system names them.
    QMdiArea* mdiArea;
    QWidget* Picture1;
    QProgressBar* ProgressBar1;
    QPushButton* Command4;
    QRadioButton* Option_DB2;
    QRadioButton* Option_MySQL;
    QRadioButton* Option_Sybase;
    QRadioButton* Option_Oracle;
    QRadioButton* Option_MSSQL;
    QCheckBox* Check1;
    QLabel* Label3;
    QLineEdit* ODBC_Name;
    QLabel* Label1;
    QLineEdit* Text_UID;
    QLineEdit* Text_PW;
    QPushButton* Command3;
    QPushButton* Command1;
    QPushButton* Command2;
    QLabel* Image1;
    QLabel* Label_Rest;

    // Set while the command line fills the data source box: that is no change of data source.
    bool ODBCAusBefehlszeile = false;
};
