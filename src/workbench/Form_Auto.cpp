#include "workbench/Form_Auto.h"
#include "diag/DialogService.h"
#include "diag/Session.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

Form_Auto::Form_Auto()
{
    setObjectName(QStringLiteral("Form_Auto"));
    setWindowTitle(QStringLiteral("Tabellen mit AutoWertIdentitäts-Feld"));
    List_Auto = new QListWidget(this);
    List_Auto->setObjectName(QStringLiteral("List_Auto"));
    Command1 = new QPushButton(QStringLiteral("Drucken"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("O.K."), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List_Auto);
    layout->addWidget(Command1);
    layout->addWidget(Command2);
    connect(Command1, &QPushButton::clicked, this, &Form_Auto::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form_Auto::Command2_Click);
}

void Form_Auto::Command1_Click()
{
    QStringList lines;
    for (int i = 0; i < 5; ++i)
        lines << QString();
    lines << QStringLiteral("\tTabellen mit AutoWertIdentitäts-Feld:") << QString();
    for (int i = 1; i < List_Auto->count(); ++i)
        lines << u'\t' + List_Auto->item(i)->text();
    dialogs().printLines(lines);
}

void Form_Auto::Command2_Click()
{
    if (session().mainWindow)
        session().mainWindow->sendToBack(this);
}
