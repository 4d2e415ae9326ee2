#include "diag/FehlerProtokoll.h"
#include "Version.h"
#include "diag/DialogService.h"
#include "diag/NamedControl.h"
#include "diag/Session.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

FehlerProtokoll::FehlerProtokoll()
{
    setObjectName(QStringLiteral("FehlerProtokoll"));
    setWindowTitle(QStringLiteral("Fehlerprotokoll"));
    Text1 = namedControl<QPlainTextEdit>(this, "Text1");
    // The window shows the log; the text is kept here with its CR LF line ends.
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Command1 = namedControl<QPushButton>(this, "Command1", QStringLiteral("O.K."));
    lblVersion = namedControl<QLabel>(this, "lblVersion", QStringLiteral("Versionsinformation"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblVersion, 1);
    bottom->addWidget(Command1);
    layout->addLayout(bottom);
    connect(Command1, &QPushButton::clicked, this, &FehlerProtokoll::Command1_Click);
    resize(520, 260);
    Form_Load();
}

void FehlerProtokoll::Form_Load()
{
    lblVersion->setText(QStringLiteral(" Version: %1.%2.%3")
                            .arg(dorvex::version::major)
                            .arg(dorvex::version::minor)
                            .arg(dorvex::version::revision));
}

void FehlerProtokoll::Clear()
{
    m_text.clear();
    Text1->clear();
}

void FehlerProtokoll::Add(const QString& s)
{
    m_text += s + QStringLiteral("\r\n");
    mirrorLog(QStringLiteral("Fehlerprotokoll: "), s);
    // Appending only the new part keeps long logs cheap; the view shows plain line breaks.
    QString shown = s;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    QTextCursor end(Text1->document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown + u'\n');
    Text1->verticalScrollBar()->setValue(Text1->verticalScrollBar()->maximum());
}

void FehlerProtokoll::Command1_Click()
{
    if (session().mainWindow)
        session().mainWindow->sendToBack(this);
}
