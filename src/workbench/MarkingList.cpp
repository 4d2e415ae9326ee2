#include "workbench/MarkingList.h"

void MarkingList::guarded(const std::function<void()>& input, bool endsAttempt)
{
    if (locked && locked()) {
        const QSet<int> before = markedRows();
        input();
        const QSet<int> after = markedRows();
        if (!(after - before).isEmpty()) {
            for (int row = 0; row < count(); ++row)
                item(row)->setSelected(before.contains(row));
            m_refusalPending = true;
        }
    } else {
        input();
    }
    if (endsAttempt && m_refusalPending) {
        m_refusalPending = false;
        if (refused)
            refused();
    }
}

QSet<int> MarkingList::markedRows() const
{
    QSet<int> rows;
    for (int row = 0; row < count(); ++row)
        if (item(row)->isSelected())
            rows.insert(row);
    return rows;
}

void MarkingList::mousePressEvent(QMouseEvent* e)
{
    guarded([&] { QListWidget::mousePressEvent(e); }, false);
}

void MarkingList::mouseMoveEvent(QMouseEvent* e)
{
    guarded([&] { QListWidget::mouseMoveEvent(e); }, false);
}

void MarkingList::mouseReleaseEvent(QMouseEvent* e)
{
    guarded([&] { QListWidget::mouseReleaseEvent(e); }, true);
}

void MarkingList::mouseDoubleClickEvent(QMouseEvent* e)
{
    guarded([&] { QListWidget::mouseDoubleClickEvent(e); }, false);
}

void MarkingList::keyPressEvent(QKeyEvent* e)
{
    guarded([&] { QListWidget::keyPressEvent(e); }, true);
}
