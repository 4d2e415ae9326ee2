#pragma once
#include "diag/Module1.h"

#include <QString>

namespace diag {

// The progress display of a long run: started with its number of steps, set at each step, back
// to 0 at the end (which resumes an outer run).
class Progress {
public:
    virtual ~Progress() = default;
    virtual void start(qint32& steps) = 0;  // 0 steps count as 1 (written back)
    virtual void set(qint32 step) = 0;
    virtual void name(const QString& run) = 0;  // what a run without a display reports
};

// The main window's bar and time text.
class MainWindowProgress final : public Progress {
public:
    void start(qint32& steps) override { Fortschritt_Start(steps); }
    void set(qint32 step) override { Fortschritt_Setzen(step); }
    void name(const QString& run) override { Fortschritt_Benennen(run); }
};

}  // namespace diag
