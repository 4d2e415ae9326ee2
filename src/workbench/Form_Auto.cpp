#include "workbench/Form_Auto.h"
#include "diag/DialogService.h"
#include "diag/NamedControl.h"
#include "diag/Session.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

Form_Auto::Form_Auto()
{
    setObjectName(QStringLiteral("Form_Auto"));
    setWindowTitle(QStringLiteral("Tabellen mit AutoWertIdentitäts-Feld"));
    List_Auto = namedControl<QListWidget>(this, "List_Auto");
    Command1 = namedControl<QPushButton>(this, "Command1", QStringLiteral("Drucken"));
    Command2 = namedControl<QPushButton>(this, "Command2", QStringLiteral("O.K."));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List_Auto);
    layout->addWidget(Command1);
    layout->addWidget(Command2);
    connect(Command1, &QPushButton::clicked, this, &Form_Auto::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form_Auto::Command2_Click);
}

void Form_Auto::Clear() { List_Auto->clear(); }

void Form_Auto::Add(const QString& table) { List_Auto->addItem(table); }

void Form_Auto::insertCountLine()
{
    List_Auto->insertItem(0, QString::number(List_Auto->count()) + QStringLiteral(" Tabellen"));
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
