#pragma once

// Makes the line structure of a plain text survive in a browser: break tags at every
// line end, or paragraph tags after blank lines. Nothing else changes; markup in the
// text stays markup. A pure function, safe from any thread.

#include <string>

// Converts text in place. The line-end style (CR LF, CR or LF) is decided once, by the
// first CR of the text (LF alone when there is none).
void TextToHtml(std::string& text, bool guessParagraphs);
