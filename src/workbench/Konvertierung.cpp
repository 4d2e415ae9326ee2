#include "workbench/Konvertierung.h"

Konvertierung::Konvertierung()
{
    setObjectName(QStringLiteral("Konvertierung"));
    setWindowTitle(QStringLiteral("Konvertierung : Access zu SQL-Server"));
}

void Konvertierung::MDB_Anmelden() {}
void Konvertierung::Markierte_Tabellen_konvertieren() {}
