#pragma once
#include "diag/DialogService.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace testsupport {

// Records every dialog and answers from a script: questions take the queued answers (No when the
// queue is empty), file dialogs the queued paths (the initial path when empty).
class ScriptedDialogs : public DialogService {
public:
    struct Shown {
        QString kind;  // "message", "question", "openFile", "print"
        QString title;
        QString text;
        bool safeAnswer = false;  // questions: the answer the caller declared harmless
    };

    ScriptedDialogs();  // installs itself as the dialog service
    ~ScriptedDialogs() override;

    void message(const QString& text, const QString& title, Icon icon) override;
    bool askYesNo(const QString& text, const QString& title, bool safeAnswer) override;
    QString openFile(const QString& initialPath, const QString& filter) override;
    void printLines(const QStringList& lines) override;
    void printWidget(QWidget* widget) override;
    bool userPresent() const override { return present; }

    QList<bool> answers;
    QStringList filesToChoose;
    QList<Shown> shown;
    QList<QStringList> printed;
    QString lastFilter;
    bool present = true;              // false: a run without a display
    std::function<void()> onMessage;  // called while a message box is shown

    QStringList messages() const;  // texts of the message boxes, in order
};

}  // namespace testsupport
