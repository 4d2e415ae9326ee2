#include <QApplication>
#include <QMainWindow>

#include "Version.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Dorvex V") + QString::fromLatin1(dorvex::version::text));
    w.show();
    return app.exec();
}
