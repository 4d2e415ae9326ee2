// Arbitrary query texts through the view rewriting of every server kind (the first byte chooses
// the kind and whether the view has one of the special names). The rewriting must end, and its
// statement may not grow out of proportion to the text it came from.
#include "derived/ViewRewriting.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const names[] = {"View_A", "View_Kommission1", "View_ABV_LB", "VIEW__FS_ANZAHL",
                                        "View_Ein_sehr_langer_Name_ueber_dreissig_Zeichen"};
    const ServerKind kind = kAllServerKinds[data[0] % 5];
    const QString name = QString::fromLatin1(names[(data[0] / 5) % 5]);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const ViewStatements v = rewriteView(name, text, TextOptions{kind});
    if (v.convertible() == v.create.isEmpty())
        std::abort();  // a statement exactly when the text could be rewritten
    if (v.create.size() > 8 * text.size() + 200)
        std::abort();  // runaway rewriting
    return 0;
}
