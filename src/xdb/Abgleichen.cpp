#include "xdb/Abgleichen.h"

Abgleichen::Abgleichen()
{
    setObjectName(QStringLiteral("Abgleichen"));
    setWindowTitle(QStringLiteral("SQL-Server mit XDB abgleichen"));
}

void Abgleichen::XDB_Verarbeiten() {}
