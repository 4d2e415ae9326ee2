#pragma once
#include "diag/Session.h"

#include <QStringList>

namespace testsupport {

// A main window without widgets for tests of the shared routines and builders; installs itself
// into the session while it lives.
class FakeMainWindow : public MainWindowAccess {
public:
    FakeMainWindow();
    ~FakeMainWindow() override;

    ServerKind serverKind() const override { return kind; }
    bool linuxChecked() const override { return linux_; }
    QString odbcName() const override { return dsn; }
    void setWorkControlsEnabled(bool enabled) override { workControlsEnabled = enabled; }
    float progressValue() const override { return value; }
    float progressMaximum() const override { return maximum; }
    void setProgressValue(float v) override { value = v; }
    void setProgressMaximum(float m) override { maximum = m; }
    void setRemainingTimeText(const QString& text) override { remainingTexts << text; }
    void adoptChildWindow(QWidget*) override {}
    void releaseChildWindow(QWidget*) override {}
    void sendToBack(QWidget*) override {}
    void bringToFront(QWidget*) override {}

    ServerKind kind = ServerKind::MSSQL;
    bool linux_ = false;
    QString dsn = QStringLiteral("ZABSQL");
    bool workControlsEnabled = true;
    float value = 0, maximum = 100;
    QStringList remainingTexts;
};

}  // namespace testsupport
