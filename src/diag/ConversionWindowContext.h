#pragma once
#include "diag/TextOptions.h"

#include <QString>

namespace accessdb {
class Database;
}

// What the table, query and relationship conversions use of the conversion window.
class ConversionWindowContext {
public:
    virtual ~ConversionWindowContext() = default;
    virtual accessdb::Database* database() = 0;        // Datenbank, null before an Access login
    virtual QString textMod() const = 0;             // Text_Mod ("PC :")
    virtual void Schalter_Freigeben(bool enabled) = 0;
    virtual void clearList1() = 0;
    virtual void addToList1(const QString& line) = 0;
    virtual void scrollList1ToEnd() = 0;
    virtual void setStatus(const QString& text) = 0; // Label1, with the once-per-second yield
    virtual void processEvents() = 0;                // let the window process pending events
    // The options of the texts, read afresh at each call; a window with option boxes adds them.
    virtual TextOptions textOptions() const { return mainWindowTextOptions(); }
};
