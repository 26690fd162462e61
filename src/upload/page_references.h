#pragma once

// The addresses a web page or a style sheet refers to, as written: every SRC, HREF,
// BACKGROUND and POSTER of the page's tags, each address of a SRCSET, and every url(...)
// and @import of its style elements, STYLE attributes and style sheets. A plain scanner,
// not a browser: comments and the insides of scripts are passed over, character
// references in attribute values (&amp;, &#38;) are decoded, and a tag cut off at the end
// of the text is read as far as it goes. What an address means (a file of the site or
// another site) is for the caller. Pure functions.

#include <string>
#include <string_view>
#include <vector>

// The addresses of a page, in the order they appear.
std::vector<std::string> PageReferences(std::string_view html);

// The addresses of a style sheet or a style element's text, in the order they appear.
std::vector<std::string> StyleReferences(std::string_view css);
