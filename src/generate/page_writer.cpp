#include "generate/page_writer.h"

#include <cerrno>
#include <cstdarg>
#include <stdexcept>

#include "generate/product.h"
#include "platform/files.h"
#include "platform/format.h"

namespace {

constexpr std::size_t kFormatBufferSize = 10240;
constexpr std::size_t kWrittenWhenTooLong = 1024;
constexpr int kMostBlanks = 80;
constexpr std::size_t kFileBufferSize = 64 * 1024;

}  // namespace

PageWriter::~PageWriter() {
    if (file != nullptr) {
        std::fclose(file);
    }
}

bool PageWriter::Open(const std::string& path) {
    filePath = path;
    file = std::fopen(path.c_str(), "wbe");
    if (file == nullptr) {
        return false;
    }
    buffer = std::make_unique<char[]>(kFileBufferSize);
    std::setvbuf(file, buffer.get(), _IOFBF, kFileBufferSize);
    return true;
}

void PageWriter::Write(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && !(i > 0 ? text[i - 1] == '\r' : afterCarriageReturn)) {
            if (std::fwrite(text.data() + start, 1, i - start, file) != i - start ||
                std::fputc('\r', file) == EOF) {
                Fail(errno);
            }
            start = i;
        }
    }
    if (std::fwrite(text.data() + start, 1, text.size() - start, file) != text.size() - start) {
        Fail(errno);
    }
    if (!text.empty()) {
        afterCarriageReturn = text.back() == '\r';
    }
}

void PageWriter::Format(const char* format, ...) {
    char line[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    const int needed = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (needed < 0) {
        return;
    }
    std::size_t length = static_cast<std::size_t>(needed);
    if (length >= kFormatBufferSize) {
        length = kWrittenWhenTooLong;
        // Step back over UTF-8 continuation bytes so that no character is cut in two.
        while (length > 0 && (static_cast<unsigned char>(line[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    Write(std::string_view(line, length));
}

std::string PageWriter::Indent(int delta) {
    int blanks = 0;
    if (delta > 0) {
        blanks = level;
        level += delta;
    } else {
        level += delta;
        blanks = level;
    }
    if (blanks < 0) {
        blanks = 0;
    }
    return std::string(static_cast<std::size_t>(blanks < kMostBlanks ? blanks : kMostBlanks), ' ');
}

void PageWriter::Line(int delta, std::string_view text) {
    Write(Indent(delta));
    Write(text);
}

void PageWriter::WriteHeader(const std::string& bodyAttributes, const std::string& fontTag) {
    const std::string name(kProductName);
    const std::string version(kProductVersion);
    Format("<HTML>\n<META NAME=\"generator\" CONTENT=\"%s %s\">\n<BODY %s>\n", name.c_str(),
           version.c_str(), bodyAttributes.c_str());
    font = fontTag;
    Write(font);
}

void PageWriter::WriteClosing() {
    if (!font.empty()) {
        Write("</FONT>\n");
    }
    Write("</BODY>\n</HTML>\n");
}

void PageWriter::Close() {
    std::FILE* closing = file;
    file = nullptr;
    if (closing != nullptr && std::fclose(closing) != 0) {
        Fail(errno);
    }
}

void PageWriter::Fail(int error) {
    throw std::runtime_error(
        StringPrintf("Failed to write '%s' (%s)", filePath.c_str(), ErrorCodeText(error).c_str()));
}
