#pragma once
#include "diag/ConversionWindowContext.h"
#include "diag/Session.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace testsupport {

// The conversion window reduced to what the conversions read and write, with every status text
// kept. The options start from the main window's, as the real window's do.
class FakeConversionWindow : public ConversionWindowContext {
public:
    accessdb::Database* database() override { return db; }
    TextOptions textOptions() const override
    {
        TextOptions o = mainWindowTextOptions();
        o.default0 = default0;
        o.defaultBlank = defaultBlank;
        return o;
    }
    bool autowertChecked() const override { return autowert; }
    bool noDataChecked() const override { return noData; }
    bool messageChecked() const override { return message; }
    bool fastTransferChecked() const override { return fast; }
    bool yieldDue() const override { return yieldEvery > 0 && ++yieldQuestions % yieldEvery == 0; }
    QString textMax() const override { return Text_Max; }
    QString textMod() const override { return Text_Mod; }
    void clearList1() override { List1.clear(); }
    void addToList1(const QString& line) override { List1 << line; }
    void scrollList1ToEnd() override {}
    void processEvents() override {}
    void setStatus(const QString& text) override
    {
        statuses << text;
        if (onStatus)
            onStatus(text);
        if (text == stopAtStatus)
            Abbruch = true;  // the window is closed or the stop image clicked right then
    }
    void showStopImage(bool visible) override { stopImage = visible; }
    void Schalter_Freigeben(bool enabled) override { enabledCalls << enabled; }
    bool abbruch() const override { return Abbruch; }
    void setAbbruch(bool on) override { Abbruch = on; }
    void setTabellenFehler(bool on) override { TabellenFehler = on; }
    void setBeschaeftigt(bool on) override { Beschaeftigt = on; }
    qint32& indexCounter() override { return counter; }
    void errorLogAdd(const QString& line) override { errorLog << line; }
    void showErrorLogBehind() override {}
    void addIdentityTable(const QString& table) override { List_Auto << table; }

    accessdb::Database* db = nullptr;
    QString Text_Max = "1", Text_Mod = "1", stopAtStatus;
    std::function<void(const QString&)> onStatus;  // what the user changes while the status line yields
    bool autowert = false, noData = false, message = false, default0 = false, defaultBlank = false, fast = false;
    int yieldEvery = 0;  // the status line lets the event loop run at every n-th record
    mutable int yieldQuestions = 0;
    QStringList List1, statuses, errorLog, List_Auto;
    QList<bool> enabledCalls;
    bool stopImage = false, Abbruch = false, TabellenFehler = false, Beschaeftigt = false;
    qint32 counter = 0;
};

}  // namespace testsupport
