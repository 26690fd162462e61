// Language tags for the pages: what a program may name and what a locale gives.

#include "document/language_tag.h"

#include <gtest/gtest.h>

namespace {

TEST(LanguageTag, TagsAndLocales) {
    const struct {
        const char* text;
        bool tag;
        const char* ofLocale;
    } cases[] = {
        {"en", true, "en"},
        {"de-CH", true, "de-CH"},
        {"zh-Hant-TW", true, "zh-Hant-TW"},
        {"es-419", true, "es-419"},
        {"de_CH.UTF-8@euro", false, "de-CH"},
        {"pt_BR.utf8", false, "pt-BR"},
        {"C.UTF-8", false, "en"},
        {"POSIX", false, "en"},
        {"", false, "en"},
        {"e", false, "en"},
        {"en-", false, "en"},
        {"en\"><script>", false, "en"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsLanguageTag(c.text), c.tag);
        EXPECT_EQ(LanguageTagOfLocale(c.text), c.ofLocale);
    }
}

}  // namespace
