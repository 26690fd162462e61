#pragma once

// The character set of generated pages. A page served without one is read by browsers
// in their legacy 8-bit code page, so UTF-8 names and text come out garbled once the site
// is uploaded, although they look right opened from disk. Pure ASCII reads the same
// either way, and bytes that are not UTF-8 (an old Latin-1 page) are left to the
// browser's guess, as before. Pure functions, safe from any thread.

#include <string>
#include <string_view>

// The META element that declares UTF-8.
inline constexpr char kUtf8Meta[] =
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">";

// True when text holds a byte outside ASCII and all its bytes form valid UTF-8
// (no overlong forms, surrogates or values past U+10FFFF).
bool IsNonAsciiUtf8(std::string_view text);

// Puts kUtf8Meta on the line after the page's generator META element when the page holds
// non-ASCII UTF-8 and no META element ahead of its body declares a charset. True when it
// was put in; the page is unchanged otherwise (also when it carries no generator mark).
bool DeclareUtf8(std::string& page);
