#include "app/HeadlessQtMessages.h"

#include <QtGlobal>
#include <cstring>

namespace {
QtMessageHandler& previousHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

void filter(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtCriticalMsg && type != QtFatalMsg && isQtPlatformChatter(context.category, message))
        return;
    if (previousHandler())
        previousHandler()(type, context, message);
}
}  // namespace

bool isQtPlatformChatter(const char* category, const QString& message)
{
    if (category && std::strncmp(category, "qt.qpa.", 7) == 0)
        return true;
    return message.startsWith(QLatin1String("This plugin does not support")) ||
           message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"));
}

void dropQtPlatformChatter() { previousHandler() = qInstallMessageHandler(filter); }
