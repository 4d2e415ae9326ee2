#pragma once
#include <QString>
#include <QWidget>
#include <utility>

// Creates a window's control as a child of parent, with the name the system gives it as its
// objectName (controls are found by that name from outside the window). The remaining arguments go
// to the control's constructor before the parent (a caption, a text).
template <class T, class... Args>
T* namedControl(QWidget* parent, const char* name, Args&&... args)
{
    auto* control = new T(std::forward<Args>(args)..., parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}
