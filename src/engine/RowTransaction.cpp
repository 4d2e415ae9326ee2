#include "engine/RowTransaction.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"

namespace engine {

bool isTransactionRolledBack(const rt::RuntimeError& e)
{
    if (e.number() != rt::err::Odbc)
        return false;
    const QString& d = e.description();
    return d.startsWith(QLatin1String("40")) || d.contains(QLatin1String("deadlock"), Qt::CaseInsensitive);
}

RowTransaction::RowTransaction(sql::Connection& connection) : c_(connection), lastCommit_(rt::msecsOfDay())
{
    c_.setAutoCommit(false);
}

RowTransaction::~RowTransaction()
{
    if (!active_)
        return;
    // Whatever is still open was never counted as sent; switching autocommit on would commit it.
    fallBack();
}

bool RowTransaction::due(bool yieldComing) const
{
    if (!active_ || pending_.isEmpty())
        return false;
    if (yieldComing || pending_.size() >= kRowsPerCommit)
        return true;
    const qint64 since = rt::msecsOfDay() - lastCommit_;
    return since >= kMsecsPerCommit || since < 0;  // < 0: past midnight
}

qint64 RowTransaction::commit()
{
    if (!active_ || pending_.isEmpty())
        return 0;
    c_.commit();
    const qint64 n = pending_.size();
    pending_.clear();
    lastCommit_ = rt::msecsOfDay();
    return n;
}

QStringList RowTransaction::fallBack()
{
    try {
        c_.rollback();
    } catch (const rt::RuntimeError&) {
    }
    try {
        c_.setAutoCommit(true);
    } catch (const rt::RuntimeError&) {
    }
    active_ = false;
    return std::exchange(pending_, QStringList());
}

qint64 RowTransaction::discard()
{
    const qint64 n = pending_.size();
    pending_.clear();
    return n;
}

void RowTransaction::finish()
{
    if (!active_)
        return;
    active_ = false;
    c_.setAutoCommit(true);
}

}  // namespace engine
