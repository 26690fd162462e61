// The boilerplate merge: the input is a page and a boilerplate file, split at the first
// zero byte (or the page alone). A merge puts the page's body in place of every tag;
// a refused merge leaves the page as it was.

#include "fuzz_support.h"
#include "generate/html_files.h"
#include "platform/message_box.h"
#include "platform/paths.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (AnswerMessageBoxes(IDOK), true);
    (void)ready;
    const std::string_view bytes = InputBytes(data, size);
    const std::size_t split = std::min(bytes.find('\0'), bytes.size());
    const std::string_view pageBytes = bytes.substr(0, split);
    const std::string_view boilerplateBytes = bytes.substr(std::min(split + 1, bytes.size()));
    const std::string page = WriteFuzzFile("page.htm", pageBytes);
    const std::string boilerplate = WriteFuzzFile("boilerplate.htm", boilerplateBytes);
    (void)CheckBoilerplate(boilerplate);
    std::string body;
    const bool hasBody = ExtractBody(page, body, nullptr);
    const PageWords words{"Title &amp; more", "de-CH", "<meta name=\"x\">"};
    if (ApplyBoilerplate(page, boilerplate, words, nullptr)) {
        std::string merged = ReplaceAll(boilerplateBytes, kTitleTag, words.title);
        merged = ReplaceAll(
            ReplaceAll(ReplaceAll(merged, kLanguageTag, words.language), kHeadTag, words.head),
            kBoilerplateTag, body);
        if (!hasBody || ReadFuzzFile(page) != merged) {
            Broken(
                "the merged page is the boilerplate with the body and words in place of the tags");
        }
    } else if (ReadFuzzFile(page) != pageBytes) {
        Broken("a refused merge leaves the page as it was");
    }
    return 0;
}
