#pragma once
#include <QListWidget>
#include <QStringList>
#include <QWidget>
#include <stdexcept>
#include <string>

namespace testsupport {

// The control of a window by its object name. A missing control (or one of another type) throws,
// which fails the test that asked for it.
template <class T>
T* control(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::logic_error("no control " + std::string(name) + " of that type in " +
                               window.objectName().toStdString());
    return found;
}

// The texts of a list's items, top to bottom.
inline QStringList itemTexts(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

}  // namespace testsupport
