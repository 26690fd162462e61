// Writes settings as a second copy of the tool would: one value per write, each write
// its own locked change of the store. Waits for its standard input to end before it
// starts, so the test can let several writers go at once.
//
// usage: registry_writer PREFIX COUNT
// Writes "<PREFIX><i>" = "value <i> of <PREFIX>" under the application key's subkey
// "Race" for i from 0 to COUNT - 1. Exit status 1 when any write showed a message.

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/message_box.h"
#include "platform/registry.h"

namespace {

class CountingBoxes : public MessageBoxBackend {
  public:
    int Show(const std::string& text, unsigned flags) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        ++count;
        return NegativeAnswer(flags);
    }
    std::atomic<int> count{0};
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: registry_writer PREFIX COUNT\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const int count = std::atoi(argv[2]);
    auto boxes = std::make_shared<CountingBoxes>();
    SetMessageBoxBackend(boxes);

    char ignored;
    while (::read(STDIN_FILENO, &ignored, 1) > 0) {
    }
    const std::string key = std::string(kApplicationKey) + "\\Race";
    CreateRegistryKeyPath(key);
    for (int i = 0; i < count; ++i) {
        const std::string index = std::to_string(i);
        SetRegistryString(key, prefix + index, "value " + index + " of " + prefix);
    }
    return boxes->count == 0 ? 0 : 1;
}
