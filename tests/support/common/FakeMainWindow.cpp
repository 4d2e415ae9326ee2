#include "FakeMainWindow.h"

namespace testsupport {
FakeMainWindow::FakeMainWindow() { session().mainWindow = this; }
FakeMainWindow::~FakeMainWindow()
{
    if (session().mainWindow == this)
        session().mainWindow = nullptr;
}
}  // namespace testsupport
