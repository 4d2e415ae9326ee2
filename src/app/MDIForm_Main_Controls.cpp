#include "app/MDIForm_Main.h"
#include "diag/NamedControl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

// The controls of the main window, their layout and their wiring to the handlers.

void MDIForm_Main::buildControls()
{
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    Picture1 = namedControl<QWidget>(central, "Picture1");
    createLoginPanel();
    layoutLoginPanel();
    mdiArea = namedControl<QMdiArea>(central, "mdiArea");
    outer->addWidget(Picture1);
    outer->addWidget(mdiArea, 1);
    setCentralWidget(central);
    resize(1000, 700);
    connectControls();
}

void MDIForm_Main::createLoginPanel()
{
    Command4 = namedControl<QPushButton>(Picture1, "Command4", QStringLiteral("Schließen"));
    Option_DB2 = namedControl<QRadioButton>(Picture1, "Option_DB2", QStringLiteral("DB2"));
    Option_MySQL = namedControl<QRadioButton>(Picture1, "Option_MySQL", QStringLiteral("MySQL"));
    Option_Sybase = namedControl<QRadioButton>(Picture1, "Option_Sybase", QStringLiteral("Sybase"));
    Option_Oracle = namedControl<QRadioButton>(Picture1, "Option_Oracle", QStringLiteral("Oracle"));
    Option_MSSQL = namedControl<QRadioButton>(Picture1, "Option_MSSQL", QStringLiteral("Microsoft SQL"));
    auto* group = new QButtonGroup(this);
    for (QRadioButton* b : {Option_DB2, Option_MySQL, Option_Sybase, Option_Oracle, Option_MSSQL})
        group->addButton(b);
    Option_MSSQL->setChecked(true);
    Check1 = namedControl<QCheckBox>(Picture1, "Check1", QStringLiteral("Linux"));
    Label3 = namedControl<QLabel>(Picture1, "Label3", QStringLiteral("ODBC:"));
    ODBC_Name = namedControl<QLineEdit>(Picture1, "ODBC_Name", QStringLiteral("ZABSQL"));
    Label1 = namedControl<QLabel>(Picture1, "Label1", QStringLiteral("User :"));
    Text_UID = namedControl<QLineEdit>(Picture1, "Text_UID", QStringLiteral("sa"));
    Text_PW = namedControl<QLineEdit>(Picture1, "Text_PW");
    Text_PW->setEchoMode(QLineEdit::Password);
    // The system shows the password as "*".
    Text_PW->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Command3 = namedControl<QPushButton>(Picture1, "Command3", QStringLiteral("SQL anmelden"));
    Command1 = namedControl<QPushButton>(Picture1, "Command1", QStringLiteral("Access zu SQL"));
    Command1->setEnabled(false);
    Command2 = namedControl<QPushButton>(Picture1, "Command2", QStringLiteral("XDB verarbeiten"));
    Command2->setEnabled(false);
    Image1 = namedControl<QLabel>(Picture1, "Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("Informationen"));
    Label_Rest = namedControl<QLabel>(Picture1, "Label_Rest");
    ProgressBar1 = namedControl<QProgressBar>(Picture1, "ProgressBar1");
    ProgressBar1->setRange(0, kBarScale);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void MDIForm_Main::layoutLoginPanel()
{
    auto* bar = new QVBoxLayout(Picture1);
    bar->setContentsMargins(6, 4, 6, 4);
    bar->setSpacing(4);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    ODBC_Name->setMinimumWidth(120);
    Text_UID->setMinimumWidth(80);
    Text_PW->setMinimumWidth(80);
    for (QWidget* w : std::initializer_list<QWidget*>{Label3, ODBC_Name, Label1, Text_UID, Text_PW, Command3})
        row->addWidget(w);
    row->addSpacing(8);
    for (QWidget* w :
         std::initializer_list<QWidget*>{Option_MSSQL, Option_MySQL, Option_Oracle, Option_Sybase, Option_DB2, Check1})
        row->addWidget(w);
    row->addSpacing(8);
    row->addWidget(Command1);
    row->addWidget(Command2);
    row->addStretch(1);
    row->addWidget(Image1);
    row->addWidget(Command4);
    bar->addLayout(row);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(ProgressBar1, 1);
    progressRow->addWidget(Label_Rest, 1);
    bar->addLayout(progressRow);

    // Only Microsoft SQL is offered in the window; the other kinds stay reachable from code.
    Option_DB2->hide();
    Option_MySQL->hide();
    Option_Sybase->hide();
    Option_Oracle->hide();
    Check1->hide();
}

void MDIForm_Main::connectControls()
{
    connect(Command1, &QPushButton::clicked, this, &MDIForm_Main::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &MDIForm_Main::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &MDIForm_Main::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &MDIForm_Main::Command4_Click);
    connect(ODBC_Name, &QLineEdit::textChanged, this, &MDIForm_Main::ODBC_Name_Change);
    // An option button's click handler also runs when the button is chosen from code.
    auto onChosen = [this](QRadioButton* b, void (MDIForm_Main::*handler)()) {
        connect(b, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on)
                (this->*handler)();
        });
    };
    onChosen(Option_MSSQL, &MDIForm_Main::Option_MSSQL_Click);
    onChosen(Option_MySQL, &MDIForm_Main::Option_MySQL_Click);
    onChosen(Option_Oracle, &MDIForm_Main::Option_Oracle_Click);
    onChosen(Option_Sybase, &MDIForm_Main::Option_Sybase_Click);
    onChosen(Option_DB2, &MDIForm_Main::Option_DB2_Click);
    for (QObject* o : std::initializer_list<QObject*>{ODBC_Name, Text_UID, Text_PW, Image1})
        o->installEventFilter(this);
}

bool MDIForm_Main::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == ODBC_Name || watched == Text_UID || watched == Text_PW)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            int KeyAscii = 13;
            if (watched == ODBC_Name)
                ODBC_Name_KeyPress(KeyAscii);
            else if (watched == Text_UID)
                Text_UID_KeyPress(KeyAscii);
            else
                Text_PW_KeyPress(KeyAscii);
            if (KeyAscii == 0)
                return true;  // swallowed
        }
    }
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        Image1_Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
