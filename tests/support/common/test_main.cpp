#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>
#include <langinfo.h>

// Every test binary runs with a QApplication on the offscreen platform and a UTF-8 character
// locale (the SQLite ODBC driver converts wide calls through it).
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    if (QByteArray(nl_langinfo(CODESET)) != "UTF-8")
        std::setlocale(LC_CTYPE, "C.UTF-8");
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
