#pragma once
#include "diag/Session.h"

#include <QPointer>
#include <QWidget>

// The work windows exist once each: created (and shown as a child of the main window) on first
// use, unloaded on request, with their state lost, and created afresh on the next use.
template <class W>
class SingleInstance {
public:
    static W& get()
    {
        if (!ptr()) {
            ptr() = new W();
            if (session().mainWindow)
                session().mainWindow->adoptChildWindow(ptr());
        }
        return *ptr();
    }
    static W* existing() { return ptr(); }
    static bool loaded() { return !ptr().isNull(); }
    static void unload()
    {
        if (W* w = ptr()) {
            if (session().mainWindow)
                session().mainWindow->releaseChildWindow(w);
            ptr() = nullptr;
            delete w;
        }
    }

private:
    static QPointer<W>& ptr()
    {
        static QPointer<W> p;
        return p;
    }
};
