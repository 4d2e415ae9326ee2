#include "ScriptedDialogs.h"

namespace testsupport {

ScriptedDialogs::ScriptedDialogs() { setDialogService(this); }
ScriptedDialogs::~ScriptedDialogs() { setDialogService(nullptr); }

void ScriptedDialogs::message(const QString& text, const QString& title, Icon)
{
    shown.append({QStringLiteral("message"), title, text});
    if (onMessage)
        onMessage();
}

bool ScriptedDialogs::askYesNo(const QString& text, const QString& title, bool safeAnswer)
{
    shown.append({QStringLiteral("question"), title, text, safeAnswer});
    return answers.isEmpty() ? false : answers.takeFirst();
}

QString ScriptedDialogs::openFile(const QString& initialPath, const QString& filter)
{
    shown.append({QStringLiteral("openFile"), QString(), initialPath});
    lastFilter = filter;
    return filesToChoose.isEmpty() ? initialPath : filesToChoose.takeFirst();
}

void ScriptedDialogs::printLines(const QStringList& lines)
{
    shown.append({QStringLiteral("print"), QString(), lines.join(QLatin1Char('\n'))});
    printed.append(lines);
}

void ScriptedDialogs::printWidget(QWidget*)
{
    shown.append({QStringLiteral("print"), QString(), QStringLiteral("<window>")});
}

QStringList ScriptedDialogs::messages() const
{
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == QLatin1String("message"))
            out << s.text;
    return out;
}

}  // namespace testsupport
