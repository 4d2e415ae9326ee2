#include "diag/Module1.h"
#include "diag/Session.h"
#include "runtime/Platform.h"
#include "runtime/Strings.h"

#include <QList>
#include <cmath>

namespace {
// Seconds since midnight, whole seconds: the unit of the progress times.
qint64 secondsOfDay() { return rt::msecsOfDay() / 1000; }

struct OuterRun {
    float maximum;
    qint64 start;
    qint64 lastShown;
};

// Times in seconds since midnight. lastShown is the elapsed time of the last text; a run starts
// with the time of day there, as the time text was written, so the first step of a run shows it.
struct ProgressState {
    qint64 start = 0;
    qint64 lastShown = 0;
    QList<OuterRun> Fortschrittsstapel;
};

ProgressState& state()
{
    static ProgressState s;
    return s;
}
}  // namespace

void Fortschritt_Start(qint32& n)
{
    MainWindowAccess& mw = mainWindow();
    ProgressState& s = state();
    // An outer run keeps its maximum and its own times, so they are right again when it resumes.
    if (mw.progressValue() != 0)
        s.Fortschrittsstapel.append({mw.progressMaximum(), s.start, s.lastShown});
    if (n == 0)
        n = 1;
    mw.setProgressValue(0);
    mw.setProgressMaximum(float(n));
    s.start = secondsOfDay();
    s.lastShown = s.start;
}

void Fortschritt_Setzen(const qint32& i)
{
    MainWindowAccess& mw = mainWindow();
    ProgressState& s = state();
    mw.setProgressValue(float(i));
    if (i != 0) {
        const qint64 elapsed = secondsOfDay() - s.start;
        if (elapsed != s.lastShown) {
            const double total = double(mw.progressMaximum()) / i * double(elapsed);
            const qint64 totalSeconds = qint64(std::llround(total));
            mw.setRemainingTimeText(QStringLiteral("Restzeit: ") + rt::durationText(totalSeconds - elapsed) +
                                    QStringLiteral(" / Gesamt: ") + rt::durationText(totalSeconds) +
                                    QStringLiteral(" / Vergangen: ") + rt::durationText(elapsed));
            s.lastShown = elapsed;
        }
        return;
    }
    mw.setRemainingTimeText(QString());
    if (!s.Fortschrittsstapel.isEmpty()) {
        const OuterRun outer = s.Fortschrittsstapel.takeLast();
        mw.setProgressValue(0);
        mw.setProgressMaximum(outer.maximum);
        s.start = outer.start;
        s.lastShown = outer.lastShown;
    }
}
