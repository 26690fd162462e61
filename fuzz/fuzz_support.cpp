#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/message_box.h"

namespace {

class FixedAnswer final : public MessageBoxBackend {
  public:
    explicit FixedAnswer(int answer) : answer(answer) {}
    int Show(const std::string&, unsigned flags) override {
        // A button the box does not have reads as its negative answer.
        const unsigned buttons = flags & MB_BUTTON_MASK;
        const bool offered = (answer == IDRETRY && buttons == MB_RETRYCANCEL) ||
                             (answer == IDYES && buttons == MB_YESNO) || answer == IDOK;
        return offered ? answer : NegativeAnswer(flags);
    }

  private:
    int answer;
};

// Never freed, so the removal at exit can still read it.
const std::string& Folder() {
    static const std::string* folder = new std::string([] {
        // In memory where there is such a folder: saves sync their files, which costs
        // milliseconds on a disk.
        std::error_code error;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "mavren-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Folder(), ignored);
        });
        return pattern;
    }());
    return *folder;
}

}  // namespace

std::string FuzzPath(const std::string& name) {
    return Folder() + "/" + name;
}

std::string WriteFuzzFile(const std::string& name, std::string_view bytes) {
    const std::string path = FuzzPath(name);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        Broken("the fuzz folder cannot be written");
    }
    return path;
}

std::string ReadFuzzFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void AnswerMessageBoxes(int answer) {
    SetMessageBoxBackend(std::make_shared<FixedAnswer>(answer));
}

void Broken(const char* property) {
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}
