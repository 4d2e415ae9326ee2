// mdbgen: writes Access (Jet 4) files for tests, benchmarks and the demo.
//   mdbgen build DESC.json OUT.mdb   a database from a JSON description (tests/support/README.md)
//   mdbgen sample DIR                the sample database DIR/ZABRIX.MDB and DIR/ZAB.XDB
#include "JsonDescription.h"
#include "MdbWriter.h"
#include "Sample.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {
int usage()
{
    std::fprintf(stderr, "usage: mdbgen build DESC.json OUT.mdb\n       mdbgen sample DIR\n");
    return 2;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 4 && args[1] == QLatin1String("build")) {
            QFile in(args[2]);
            if (!in.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "mdbgen: cannot read %s\n", qPrintable(args[2]));
                return 1;
            }
            mdbw::Database db;
            mdbw::loadDescription(in.readAll(), db);
            db.write(args[3]);
            return 0;
        }
        if (args.size() == 3 && args[1] == QLatin1String("sample")) {
            if (!QDir().mkpath(args[2])) {
                std::fprintf(stderr, "mdbgen: cannot create %s\n", qPrintable(args[2]));
                return 1;
            }
            mdbw::writeSample(args[2]);
            return 0;
        }
    } catch (const mdbw::Error& e) {
        std::fprintf(stderr, "mdbgen: %s\n", e.what());
        return 1;
    }
    return usage();
}
