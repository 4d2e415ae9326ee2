#pragma once
#include <QListWidget>
#include <QSet>
#include <functional>

// The table list. While marking is locked a user's input (click, control- or shift-click, drag,
// Ctrl+A, shift with the arrow keys) may take marks away but never add one: an input that adds a
// mark is undone as a whole, so also the marks it took away come back. Marks set from code are
// not watched.
class MarkingList : public QListWidget {
    Q_OBJECT
public:
    explicit MarkingList(QWidget* parent = nullptr) : QListWidget(parent) {}

    std::function<bool()> locked;
    // Called once per refused attempt, when it ends (key handled, mouse button released).
    std::function<void()> refused;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void guarded(const std::function<void()>& input, bool endsAttempt);
    QSet<int> markedRows() const;

    bool m_refusalPending = false;
};
