#include "diag/AppContext.h"
#include "diag/DialogService.h"
#include "diag/Module1.h"
#include "diag/Session.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

#include <cmath>
#include <unistd.h>

namespace {
constexpr qint64 kConsoleIntervalMsecs = 5000;
constexpr qint64 kMsecsPerDay = 86400000;

// Seconds since midnight, whole seconds: the unit of the progress times.
qint64 secondsOfDay() { return rt::msecsOfDay() / 1000; }

// Milliseconds from `from` to now, across midnight.
qint64 msecsSince(qint64 from)
{
    const qint64 d = rt::msecsOfDay() - from;
    return d < 0 ? d + kMsecsPerDay : d;
}

ProgressState& state() { return appContext().progress; }

// The total time a run will take when i of maximum steps took `elapsed` seconds.
qint64 totalSeconds(float maximum, qint32 i, qint64 elapsed)
{
    return qint64(std::llround(double(maximum) / i * double(elapsed)));
}

bool withoutDisplay()
{
    try {
        return !dialogs().userPresent();
    } catch (const rt::RuntimeError&) {
        return false;  // no dialog service: no program around us
    }
}

void writeConsole(ProgressState& s, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), s.out);
    std::fflush(s.out);
}

bool onTerminal(ProgressState& s)
{
    if (s.terminal < 0)
        s.terminal = isatty(fileno(s.out)) ? 1 : 0;
    return s.terminal == 1;
}

void reportOnConsole(ProgressState& s, qint32 i, float maximum)
{
    ConsoleRun& c = s.console;
    if (c.name.isEmpty() || msecsSince(c.startMsecs) < kConsoleIntervalMsecs)
        return;
    if (c.lastWrittenMsecs >= 0 && msecsSince(c.lastWrittenMsecs) < kConsoleIntervalMsecs)
        return;
    if (!withoutDisplay())
        return;
    c.lastWrittenMsecs = rt::msecsOfDay();
    const qint64 elapsed = secondsOfDay() - s.start;
    const qint64 total = qint64(maximum);
    const QString line = QStringLiteral("Fortschritt: %1 %2/%3 (%4%)  Restzeit: %5")
                             .arg(c.name)
                             .arg(i)
                             .arg(total)
                             .arg(total > 0 ? qint64(i) * 100 / total : 0)
                             .arg(rt::durationText(totalSeconds(maximum, i, elapsed) - elapsed));
    if (onTerminal(s)) {
        writeConsole(s, '\r' + line.toUtf8() + "\x1b[K");
        c.lineOpen = true;
    } else {
        writeConsole(s, line.toUtf8() + '\n');
    }
}

void endConsoleRun(ProgressState& s)
{
    if (s.console.lineOpen)
        writeConsole(s, "\n");
    s.console = ConsoleRun();
}
}  // namespace

void setProgressConsole(std::FILE* out, bool terminal)
{
    state().out = out ? out : stderr;
    state().terminal = out ? int(terminal) : -1;
}

void Fortschritt_Benennen(const QString& name)
{
    ProgressState& s = state();
    s.console = ConsoleRun();
    s.console.name = name;
    s.console.startMsecs = rt::msecsOfDay();
}

void Fortschritt_Start(qint32& n)
{
    MainWindowAccess& mw = mainWindow();
    ProgressState& s = state();
    // An outer run keeps its maximum and its own times, so they are right again when it resumes.
    if (mw.progressValue() != 0)
        s.Fortschrittsstapel.append({mw.progressMaximum(), s.start, s.lastShown, s.console});
    s.console = ConsoleRun();
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
            const qint64 total = totalSeconds(mw.progressMaximum(), i, elapsed);
            mw.setRemainingTimeText(QStringLiteral("Restzeit: ") + rt::durationText(total - elapsed) +
                                    QStringLiteral(" / Gesamt: ") + rt::durationText(total) +
                                    QStringLiteral(" / Vergangen: ") + rt::durationText(elapsed));
            s.lastShown = elapsed;
        }
        if (!s.console.name.isEmpty())
            reportOnConsole(s, i, mw.progressMaximum());
        return;
    }
    mw.setRemainingTimeText(QString());
    endConsoleRun(s);
    if (!s.Fortschrittsstapel.isEmpty()) {
        const OuterRun outer = s.Fortschrittsstapel.takeLast();
        mw.setProgressValue(0);
        mw.setProgressMaximum(outer.maximum);
        s.start = outer.start;
        s.lastShown = outer.lastShown;
        s.console = outer.console;
    }
}
