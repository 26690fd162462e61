#include "generate/text_to_html.h"

#include <gtest/gtest.h>

namespace {

TEST(TextToHtml, LineEndsAndParagraphs) {
    struct Case {
        const char* text;
        bool guess;
        const char* html;
    };
    const Case cases[] = {
        {"a\r\nb", false, "a\r\n<BR>\r\nb"},
        {"a\nb\n", false, "a\n<BR>\nb\n<BR>\n"},
        {"a\rb", false, "a\r<BR>\rb"},
        {"a\r\n\r\nb", true, "a\r\n\r\n<P>\nb"},
        {"a\n\nb\nc", true, "a\n\n<P>\nb\nc"},
        {"a\r\rb", true, "a\r\r<P>\nb"},
        // The third line end is left as it was.
        {"a\r\n\r\n\r\nb", true, "a\r\n\r\n<P>\n\r\nb"},
        // One stray CR decides: its LF line ends are then not touched.
        {"a\nb\rc\nd", false, "a\nb\r<BR>\rc\nd"},
        // Only the first CR decides, so a final lone CR keeps the CR LF style.
        {"a\r\nb\r", false, "a\r\n<BR>\r\nb\r"},
        {"a\r", false, "a\r<BR>\r"},
        {"no line end", false, "no line end"},
        {"no line end", true, "no line end"},
        {"", true, ""},
        {"<b>bold</b> & more\n", false, "<b>bold</b> & more\n<BR>\n"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        TextToHtml(text, c.guess);
        EXPECT_EQ(text, c.html) << "guess " << c.guess << " for '" << c.text << "'";
    }
}

}  // namespace
