#pragma once
#include <QWidget>

// The conversion window "Konvertierung : Access zu SQL-Server".
class Konvertierung : public QWidget {
    Q_OBJECT
public:
    Konvertierung();

    void MDB_Anmelden();
    void Markierte_Tabellen_konvertieren();
};
