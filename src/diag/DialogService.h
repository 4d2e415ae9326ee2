#pragma once
#include <QString>
#include <QStringList>

class QWidget;

// Every message box, question, file dialog and printout goes through this service: Qt in the
// program, a console one without a display, a scripted one in tests.
class DialogService {
public:
    enum class Icon { None, Information, Exclamation, Critical };
    virtual ~DialogService() = default;

    // An OK box. An empty title means the program's title "Dorvex".
    virtual void message(const QString& text, const QString& title = QString(), Icon icon = Icon::None) = 0;
    // A Yes/No question; true for Yes. safeAnswer is the answer that changes nothing (for a
    // question "go on?" that is No, for "cancel?" Yes); a service that cannot ask anybody (no
    // display) gives it.
    virtual bool askYesNo(const QString& text, const QString& title = QString(), bool safeAnswer = false) = 0;
    // File-open dialog; returns the chosen path, or the initial one when cancelled.
    virtual QString openFile(const QString& initialPath, const QString& filter) = 0;
    // Prints text lines on the default printer.
    virtual void printLines(const QStringList& lines) = 0;
    // Prints a window with its current contents.
    virtual void printWidget(QWidget* widget) = 0;
    // False when nobody can read or answer the dialogs (no display): a program that would stay
    // open for its user ends instead.
    virtual bool userPresent() const { return true; }
    // Without a display the error log window and the log file are out of a script's sight (and a
    // read-only log folder would lose the entry): the service then repeats each of their lines on
    // standard error, one line per line, behind the prefix. With a display it does nothing.
    virtual void mirror(const QString& prefix, const QString& text) { (void)prefix, (void)text; }
};

// The one service in use; the program installs it at start-up, tests install a scripted one.
DialogService& dialogs();
void setDialogService(DialogService* service);  // not owned
// The installed service's mirror; nothing when no service is installed (logging must not fail).
void mirrorLog(const QString& prefix, const QString& text);
