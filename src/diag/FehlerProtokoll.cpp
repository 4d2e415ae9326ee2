#include "diag/FehlerProtokoll.h"
#include "diag/Session.h"
#include "Version.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

FehlerProtokoll::FehlerProtokoll()
{
    setObjectName(QStringLiteral("FehlerProtokoll"));
    setWindowTitle(QStringLiteral("Fehlerprotokoll"));
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Command1 = new QPushButton(QStringLiteral("O.K."), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    lblVersion = new QLabel(QStringLiteral("Versionsinformation"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text1);
    layout->addWidget(lblVersion);
    layout->addWidget(Command1);
    connect(Command1, &QPushButton::clicked, this, &FehlerProtokoll::Command1_Click);
    lblVersion->setText(QStringLiteral(" Version: %1.%2.%3")
                            .arg(dorvex::version::major)
                            .arg(dorvex::version::minor)
                            .arg(dorvex::version::revision));
}

void FehlerProtokoll::Clear() { Text1->setPlainText(QString()); }

void FehlerProtokoll::Add(const QString& s)
{
    Text1->setPlainText(Text1->toPlainText() + s + QStringLiteral("\r\n"));
}

QString FehlerProtokoll::text() const { return Text1->toPlainText(); }

void FehlerProtokoll::Command1_Click()
{
    if (session().mainWindow)
        session().mainWindow->sendToBack(this);
}
