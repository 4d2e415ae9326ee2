#include "StatementWatchdog.h"

#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

namespace odbc {

using Clock = std::chrono::steady_clock;

struct WatchEntry {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    std::shared_ptr<void> keepAlive;
    QString what;
    int seconds = 0;
    Clock::time_point deadline, hangPoint;
    bool expired = false;     // the deadline passed
    bool cancelling = false;  // a cancel thread works on the statement
    bool hangReported = false;
};

namespace {

class Watchdog {
public:
    // Never destroyed: a cancel thread left behind on a frozen server may still come back
    // while the process ends.
    static Watchdog& instance()
    {
        static Watchdog* w = new Watchdog;
        return *w;
    }

    void add(const std::shared_ptr<WatchEntry>& e)
    {
        std::lock_guard lock(mutex_);
        if (!started_) {
            started_ = true;
            std::thread([this] { run(); }).detach();
        }
        entries_.push_back(e);
        // A busy copy starts thousands of statements a second: the watchdog is woken only when
        // it sleeps for good; otherwise its next look at the clock finds the entry.
        if (idle_)
            wake_.notify_all();
    }

    void remove(const std::shared_ptr<WatchEntry>& e)
    {
        std::unique_lock lock(mutex_);
        entries_.remove(e);
        // The caller goes on using the connection: a cancel still at work must not hit the
        // next statement. A cancel that itself hangs is left behind with its handles.
        cancelDone_.wait_for(lock, std::chrono::seconds(5), [&] { return !e->cancelling; });
    }

    bool expired(const WatchEntry& e)
    {
        // Read from the clock too: a driver's own read time-out can end the call before the
        // watchdog's next look has marked the deadline as passed.
        std::lock_guard lock(mutex_);
        return e.expired || Clock::now() >= e.deadline;
    }

    void setHandler(std::function<void(const QString&)> h)
    {
        std::lock_guard lock(mutex_);
        handler_ = std::move(h);
    }

private:
    void run()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            const Clock::time_point now = Clock::now();
            Clock::time_point next = Clock::time_point::max();
            std::function<void(const QString&)> report;
            QString message;
            for (const auto& e : entries_) {
                if (!e->expired && now >= e->deadline) {
                    e->expired = true;
                    if (e->statement != SQL_NULL_HSTMT)
                        startCancel(e);
                }
                if (!e->hangReported && now >= e->hangPoint && handler_) {
                    e->hangReported = true;
                    report = handler_;
                    message =
                        QStringLiteral("Dorvex: Der Datenbankserver antwortet nicht: %1 läuft seit mehr als "
                                       "%2 Sekunden (Abfrage-Zeitgrenze %3 Sekunden) und lässt sich nicht "
                                       "abbrechen. Der Lauf wird beendet.")
                            .arg(e->what)
                            .arg(qint64(std::chrono::duration_cast<std::chrono::seconds>(now - e->deadline).count()) +
                                 e->seconds)
                            .arg(e->seconds);
                }
                if (!e->expired)
                    next = std::min(next, e->deadline);
                if (!e->hangReported)
                    next = std::min(next, e->hangPoint);
            }
            if (report) {
                lock.unlock();
                report(message);  // normally ends the process
                lock.lock();
                continue;
            }
            if (entries_.empty())
                lastBusy_ = std::min(lastBusy_, now);
            else
                lastBusy_ = Clock::time_point::max();
            if (entries_.empty() && now - lastBusy_ > kIdleAfter) {
                idle_ = true;
                wake_.wait(lock);
                idle_ = false;
                lastBusy_ = Clock::time_point::max();
            } else {
                wake_.wait_until(lock, std::min(next, now + kLookInterval));
            }
        }
    }

    // SQLCancel runs on a thread of its own: with some drivers it blocks on the same frozen
    // server, and the watchdog must stay free to report the hang.
    void startCancel(const std::shared_ptr<WatchEntry>& e)
    {
        e->cancelling = true;
        std::thread([this, e] {
            SQLCancel(e->statement);
            std::lock_guard lock(mutex_);
            e->cancelling = false;
            cancelDone_.notify_all();
        }).detach();
    }

    std::mutex mutex_;
    std::condition_variable wake_, cancelDone_;
    std::list<std::shared_ptr<WatchEntry>> entries_;
    std::function<void(const QString&)> handler_;
    bool started_ = false;
    // How often the watchdog looks at the clock while statements run, and after how long without
    // one it sleeps until woken. A deadline is met at most one look late.
    static constexpr std::chrono::milliseconds kLookInterval{200};
    static constexpr std::chrono::seconds kIdleAfter{10};
    bool idle_ = false;
    Clock::time_point lastBusy_ = Clock::time_point::max();
};

}  // namespace

int hangGraceSeconds(int timeoutSeconds) { return std::max(30, timeoutSeconds); }

StatementWatch::StatementWatch(SQLHSTMT statement, int seconds, std::shared_ptr<void> keepAlive, QString what)
{
    if (seconds <= 0)
        return;
    entry_ = std::make_shared<WatchEntry>();
    entry_->statement = statement;
    entry_->keepAlive = std::move(keepAlive);
    entry_->what = std::move(what);
    entry_->seconds = seconds;
    entry_->deadline = Clock::now() + std::chrono::seconds(seconds);
    entry_->hangPoint = entry_->deadline + std::chrono::seconds(hangGraceSeconds(seconds));
    Watchdog::instance().add(entry_);
}

StatementWatch::~StatementWatch()
{
    if (entry_)
        Watchdog::instance().remove(entry_);
}

bool StatementWatch::expired() const { return entry_ && Watchdog::instance().expired(*entry_); }

void setHangHandler(std::function<void(const QString&)> handler)
{
    Watchdog::instance().setHandler(std::move(handler));
}

}  // namespace odbc
