#include "printdialogtranslator.h"

#include <cstring>

namespace {

struct Entry
{
    const char *context;
    const char *source;
    const char *japanese;
};

constexpr Entry entries[] = {
    {"QPrintSettingsOutput", "Pages", "ページ指定"},
    {"QPrintSettingsOutput", "Double Sided Printing", "両面印刷"},
    {"QPrintSettingsOutput", "Off", "しない"},
    {"QPrintSettingsOutput", "Long side binding", "長辺とじ"},
    {"QPrintSettingsOutput", "Short side binding", "短辺とじ"},
    {"QPrintDialog", "Invalid Pages Definition", "ページ指定の誤り"},
    {"QPrintDialog",
     "%1 does not follow the correct syntax. Please use ',' to separate ranges and pages, '-' to "
     "define ranges and make sure ranges do not intersect with each other.",
     "「%1」はページの指定として読めません。ページは「,」で区切り、範囲は「-」で"
     "「2-5」のように書いてください。範囲どうしが重ならないようにしてください。"},
    {"QPrintDialog", "Duplex Settings Conflicts", "両面印刷の設定の矛盾"},
    {"QPrintDialog", "There are conflicts in duplex settings. Do you want to fix them?",
     "両面印刷の設定に矛盾があります。直しますか？"},
};

} // namespace

QString PrintDialogTranslator::translate(const char *context, const char *sourceText, const char *,
                                         int) const
{
    if (!context || !sourceText) {
        return {};
    }
    for (const Entry &entry : entries) {
        if (std::strcmp(entry.context, context) == 0 &&
            std::strcmp(entry.source, sourceText) == 0) {
            return QString::fromUtf8(entry.japanese);
        }
    }
    return {};
}
