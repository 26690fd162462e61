#include "generate/text_to_html.h"

#include "platform/paths.h"

void TextToHtml(std::string& text, bool guessParagraphs) {
    std::string lineEnd = "\r\n";
    const std::size_t firstCr = text.find('\r');
    if (firstCr != std::string::npos) {
        if (firstCr + 1 >= text.size() || text[firstCr + 1] != '\n') {
            lineEnd = "\r";
        }
    } else if (text.find('\n') != std::string::npos) {
        lineEnd = "\n";
    }
    if (guessParagraphs) {
        const std::string separator = lineEnd + lineEnd;
        text = ReplaceAll(text, separator, separator + "<P>\n");
    } else {
        text = ReplaceAll(text, lineEnd, lineEnd + "<BR>" + lineEnd);
    }
}
