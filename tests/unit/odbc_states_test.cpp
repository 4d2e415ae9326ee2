// How driver failures become descriptions: general states with a telling message get the
// standard state, everything else keeps the driver's state and text.
#include "dataaccess/odbc/OdbcStates.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* state;
    const char* message;
    const char* expected;
};

TEST(OdbcStates, GeneralFailuresWithAStandardMeaningGetTheStandardState)
{
    const Case cases[] = {
        // SQLite driver texts under the ODBC 2 general state
        {"S1000", "[SQLite]no such table: Kunden (1)", "S0002"},
        {"S1000", "[SQLite]duplicate column name: Ort (1)", "S0021"},
        {"S1000", "[SQLite]table Kunden already exists (1)", "S0001"},
        {"S1000", "[SQLite]index PrimaryKey already exists (1)", "S0011"},
        {"S1000", "[SQLite]no such column: Ortt (1)", "S0022"},
        // the same under the ODBC 3 general state keeps that generation
        {"HY000", "[SQLite]no such table: Kunden (1)", "42S02"},
        {"HY000", "[SQLite]duplicate column name: Ort (1)", "42S21"},
        // general failures without such a meaning stay general (Sybase callers ignore "S1000:")
        {"S1000", "[SQLite]near \"SELEC\": syntax error (1)", "S1000"},
        {"S1000", "[ma-3.1.15]Can't connect to local server through socket '/x' (2)", "S1000"},
        // specific states are never changed, whatever the text says
        {"37000", "Duplicate key name 'no such table'", "37000"},
        {"28000", "Access denied for user 'dorvex'", "28000"},
        {"IM002", "[unixODBC][Driver Manager]Data source name not found", "IM002"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(odbc::standardState(QLatin1String(c.state), QString::fromUtf8(c.message)), QLatin1String(c.expected))
            << c.state << " " << c.message;
    }
}

}  // namespace
