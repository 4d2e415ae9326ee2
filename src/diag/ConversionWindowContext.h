#pragma once
#include "diag/TextOptions.h"

#include <QString>

namespace accessdb {
class Database;
}

// What the table, query and relationship conversions use of the conversion window. Every option
// is read through it at the moment it is used, so a change during a run takes effect at the
// next statement.
class ConversionWindowContext {
public:
    virtual ~ConversionWindowContext() = default;
    virtual accessdb::Database* database() = 0;  // Datenbank, null before an Access login
    virtual QString textMod() const = 0;         // Text_Mod ("PC :")
    virtual void Schalter_Freigeben(bool enabled) = 0;
    virtual void clearList1() = 0;
    virtual void addToList1(const QString& line) = 0;
    virtual void scrollList1ToEnd() = 0;
    virtual void setStatus(const QString& text) = 0;  // Label1, with the once-per-second yield
    virtual void processEvents() = 0;                 // let the window process pending events
    // The options of the texts, read afresh at each call; a window with option boxes adds them.
    virtual TextOptions textOptions() const { return mainWindowTextOptions(); }

    // The table conversion's part.
    virtual bool autowertChecked() const = 0;      // Check_Autowert
    virtual bool noDataChecked() const = 0;        // Check_NoData
    virtual bool messageChecked() const = 0;       // Check_Message
    virtual bool fastTransferChecked() const = 0;  // Check_Schnell
    // Whether the next change of the status line lets the event loop run (at most once a second).
    virtual bool yieldDue() const = 0;
    virtual QString textMax() const = 0;           // Text_Max ("von :")
    virtual void showStopImage(bool visible) = 0;  // Image1
    virtual bool abbruch() const = 0;
    virtual void setAbbruch(bool on) = 0;
    virtual void setTabellenFehler(bool on) = 0;
    virtual void setBeschaeftigt(bool on) = 0;
    virtual qint32& indexCounter() = 0;  // lives as long as the window
    virtual void errorLogAdd(const QString& line) = 0;
    virtual void showErrorLogBehind() = 0;                    // error log behind, conversion window in front
    virtual void addIdentityTable(const QString& table) = 0;  // Form_Auto's list, sent behind
};
