// The HTML body functions: the body of a page, the generator mark and the UTF-8
// declaration. Any bytes give a body or a refusal, without harm; a page marked once
// carries the mark; only a page of UTF-8 text is declared UTF-8.

#include "fuzz_support.h"
#include "generate/html_files.h"
#include "generate/product.h"
#include "generate/text_encoding.h"
#include "platform/ascii.h"
#include "platform/message_box.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (AnswerMessageBoxes(IDOK), true);
    (void)ready;
    const std::string_view bytes = InputBytes(data, size);
    const std::string page = WriteFuzzFile("page.htm", bytes);
    std::string body = "untouched";
    if (ExtractBody(page, body, nullptr)) {
        if (body.size() > bytes.size() || bytes.find(body) == std::string_view::npos) {
            Broken("the body is a part of the page");
        }
    } else if (body != "untouched") {
        Broken("a page without a body leaves the output alone");
    }
    IsGeneratedFile(page, nullptr);
    if (AddGeneratorMeta(page, nullptr)) {
        const std::string marked = ReadFuzzFile(page);
        if (AsciiUpperCase(marked).find(AsciiUpperCase(std::string(kGeneratorMark))) ==
            std::string::npos) {
            Broken("a marked page carries the mark");
        }
        std::string declared = marked;
        if (DeclareUtf8(declared) &&
            (!IsNonAsciiUtf8(marked) || declared.find(kUtf8Meta) == std::string::npos)) {
            Broken("only a page of UTF-8 text is declared UTF-8");
        }
    } else if (ReadFuzzFile(page) != bytes) {
        Broken("a page that cannot be marked is left as it was");
    }
    return 0;
}
