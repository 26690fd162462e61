#pragma once

// The language a site's pages declare (the HTML lang attribute): the program's
// Page-Language when set, else the language of the system the site is generated on.
// Plain functions of their arguments.

#include <string>
#include <string_view>

// True for a language tag a page can declare: a language of two or three letters,
// then parts of letters or digits joined by "-", as in "en", "de-CH", "zh-Hant-TW",
// "es-419".
bool IsLanguageTag(std::string_view text);

// The tag of a POSIX locale name: "de_CH.UTF-8@euro" gives "de-CH", "fr" gives "fr".
// "C", "POSIX", "" and names that give no tag give "en".
std::string LanguageTagOfLocale(std::string_view locale);

// The language of the system's messages: the first of LC_ALL, LC_MESSAGES and LANG
// that is set, as a tag.
std::string SystemLanguageTag();
