#include "diag/DialogService.h"
#include "runtime/RuntimeError.h"

namespace {
DialogService*& current()
{
    static DialogService* service = nullptr;
    return service;
}
}  // namespace

DialogService& dialogs()
{
    if (!current())
        throw rt::runtimeFailure(rt::err::ObjectNotSet);
    return *current();
}

void setDialogService(DialogService* service) { current() = service; }

void mirrorLog(const QString& prefix, const QString& text)
{
    if (current())
        current()->mirror(prefix, text);
}
