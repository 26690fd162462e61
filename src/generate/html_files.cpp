#include "generate/html_files.h"

#include "generate/product.h"
#include "generate/text_encoding.h"
#include "generate/theme_files.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/paths.h"

namespace {

void ShowStop(const std::shared_ptr<WorkerMessageReceiver>& window, const std::string& heading,
              const std::string& error) {
    PostErrorText(window, heading + error, MB_OK | MB_ICONSTOP);
}

constexpr char kBoilerplateHeading[] = "Cannot use file for boilerplate\n\n";

// The position just behind the ">" that closes the tag opening at start, counting
// nested angle brackets; npos when the text ends first.
std::size_t TagEnd(const std::string& text, std::size_t start) {
    int depth = 1;
    for (std::size_t i = start + 1; i < text.size(); ++i) {
        if (text[i] == '<') {
            ++depth;
        } else if (text[i] == '>' && --depth == 0) {
            return i + 1;
        }
    }
    return std::string::npos;
}

// The body of content, the file at path, or the reason it cannot be had.
std::string BodyIn(const std::string& content, const std::string& path, std::string& body) {
    const std::string upper = AsciiUpperCase(content);
    const std::size_t open = upper.find("<BODY");
    if (open == std::string::npos) {
        return StringPrintf("No BODY tag found in file '%s'.", path.c_str());
    }
    const std::size_t start = TagEnd(upper, open);
    if (start == std::string::npos) {
        return StringPrintf("Cannot parse BODY tag in file '%s'.", path.c_str());
    }
    const std::size_t end = upper.find("</BODY", start);
    if (end == std::string::npos) {
        return StringPrintf("No /BODY tag found in file '%s'.", path.c_str());
    }
    body = content.substr(start, end - start);
    return {};
}

// The body as ExtractBody gives it, or the reason it cannot be had.
std::string FindBody(const std::string& path, std::string& body, std::size_t largest) {
    std::string content;
    if (const Result read = ReadLimitedFile(path, content, largest, OverLimit::Refuse);
        !read.ok()) {
        return read.text();
    }
    return BodyIn(content, path, body);
}

// Puts the META element into content, the file at path, or says why it cannot. Sets
// alreadyMarked (and changes nothing) when the content carries the mark.
std::string Mark(std::string& content, const std::string& path, bool& alreadyMarked) {
    const std::string mark(kGeneratorMark);
    const std::string upper = AsciiUpperCase(content);
    alreadyMarked = upper.find(AsciiUpperCase(mark)) != std::string::npos;
    if (alreadyMarked) {
        return {};
    }
    const std::string meta = "\n<META NAME=\"generator\" " + mark + ">\n";
    if (const std::size_t head = upper.find("<HEAD>"); head != std::string::npos) {
        content.insert(head + 6, meta);
    } else if (const std::size_t html = upper.find("<HTML>"); html != std::string::npos) {
        content.insert(html + 6, "\n<HEAD>" + meta + "</HEAD>\n");
    } else {
        return StringPrintf("No <HTML> or <HEAD> tag found in file '%s'.", path.c_str());
    }
    return {};
}

// The file's content with the META element put in, or the reason it cannot be.
std::string MarkedContent(const std::string& path, std::string& content, bool& alreadyMarked) {
    if (const Result read = ReadWholeFile(path, content); !read.ok()) {
        return read.text();
    }
    return Mark(content, path, alreadyMarked);
}

// The file's start, far enough for the mark of any page the tool wrote, or the reason it
// cannot be read.
std::string ReadForMark(const std::string& path, std::string& content) {
    return ReadLimitedFile(path, content, kLargestSourceFile + kGeneratorMark.size(),
                           OverLimit::ReadStart)
        .text();
}

// Reads a boilerplate into content; empty, or why it cannot serve.
std::string ReadBoilerplate(const std::string& path, std::string& content) {
    std::string error = ReadSourceFile(path, content);
    if (error.empty() && content.find(kBoilerplateTag) == std::string::npos) {
        error = StringPrintf("No Mavren boilerplate tag (%s) found.", kBoilerplateTag);
    }
    return error;
}

}  // namespace

std::string ReadSourceFile(const std::string& path, std::string& contents) {
    return ReadLimitedFile(path, contents, kLargestSourceFile, OverLimit::Refuse).text();
}

Result CheckBoilerplate(const std::string& path) {
    std::string content;
    if (const std::string error = ReadBoilerplate(path, content); !error.empty()) {
        return Result::Failure(kBoilerplateHeading + error);
    }
    return Result::Ok();
}

bool ExtractBody(const std::string& path, std::string& body,
                 const std::shared_ptr<WorkerMessageReceiver>& window, std::size_t largest) {
    std::string found;
    if (const std::string error = FindBody(path, found, largest); !error.empty()) {
        ShowStop(window, "Cannot extract BODY from this HTML file\n\n", error);
        return false;
    }
    body = std::move(found);
    return true;
}

bool AddGeneratorMeta(const std::string& path,
                      const std::shared_ptr<WorkerMessageReceiver>& window) {
    std::string content;
    bool alreadyMarked = false;
    std::string error = MarkedContent(path, content, alreadyMarked);
    if (error.empty() && !alreadyMarked) {
        error = WriteWholeFile(path, content).text();
    }
    if (!error.empty()) {
        ShowStop(window, "Cannot add META-GENERATOR tag to file\n\n", error);
        return false;
    }
    return true;
}

bool MarkGenerated(std::string& page, const std::string& path,
                   const std::shared_ptr<WorkerMessageReceiver>& window) {
    bool alreadyMarked = false;
    if (const std::string error = Mark(page, path, alreadyMarked); !error.empty()) {
        ShowStop(window, "Cannot add META-GENERATOR tag to file\n\n", error);
        return false;
    }
    return true;
}

bool IsGeneratedFile(const std::string& path,
                     const std::shared_ptr<WorkerMessageReceiver>& window) {
    std::string content;
    if (const std::string error = ReadForMark(path, content); !error.empty()) {
        ShowStop(window, "Cannot check if file was generated by Mavren\n\n", error);
        return false;
    }
    return content.find(kGeneratorMark) != std::string::npos;
}

bool CarriesGeneratorMark(const std::string& path) {
    std::string content;
    return ReadForMark(path, content).empty() && content.find(kGeneratorMark) != std::string::npos;
}

bool ApplyBoilerplate(std::string& page, const std::string& pagePath,
                      const std::string& boilerplatePath, const PageWords& words,
                      const std::shared_ptr<WorkerMessageReceiver>& window) {
    // Read once for the check and the merge: a boilerplate may be large.
    std::string boilerplate;
    if (const std::string error = ReadBoilerplate(boilerplatePath, boilerplate); !error.empty()) {
        ShowStop(window, kBoilerplateHeading, error);
        return false;
    }
    std::string body;
    if (const std::string error = BodyIn(page, pagePath, body); !error.empty()) {
        ShowStop(window, "Cannot extract BODY from this HTML file\n\n", error);
        return false;
    }
    // The words and files go in before the body, so that a body quoting a tag keeps it.
    if (words.files != nullptr) {
        if (const Result copied = words.files->ReplaceTags(boilerplate, boilerplatePath);
            !copied.ok()) {
            PostErrorText(window, copied.text(), MB_OK | MB_ICONSTOP);
            return false;
        }
    }
    boilerplate = ReplaceAll(boilerplate, kTitleTag, words.title);
    boilerplate = ReplaceAll(boilerplate, kLanguageTag, words.language);
    boilerplate = ReplaceAll(boilerplate, kHeadTag, words.head);
    page = ReplaceAll(boilerplate, kBoilerplateTag, body);
    return true;
}

bool ApplyBoilerplate(const std::string& pagePath, const std::string& boilerplatePath,
                      const PageWords& words,
                      const std::shared_ptr<WorkerMessageReceiver>& window) {
    std::string page;
    if (const Result read = ReadLimitedFile(pagePath, page, kNoSizeLimit, OverLimit::Refuse);
        !read.ok()) {
        ShowStop(window, "Cannot extract BODY from this HTML file\n\n", read.text());
        return false;
    }
    if (!ApplyBoilerplate(page, pagePath, boilerplatePath, words, window)) {
        return false;
    }
    if (const std::string error = WriteWholeFile(pagePath, page).text(); !error.empty()) {
        PostErrorText(window, error);
        return false;
    }
    return true;
}
