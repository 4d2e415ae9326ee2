#pragma once
#include <QWidget>

// The reconciliation window "SQL-Server mit XDB abgleichen".
class Abgleichen : public QWidget {
    Q_OBJECT
public:
    Abgleichen();

    void XDB_Verarbeiten();
};
