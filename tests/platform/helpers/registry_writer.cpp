// Writes settings as a second copy of the tool would: one value per write, each write
// its own locked change of the store. Waits for its standard input to end before it
// starts, so the test can let several writers go at once.
//
// usage: registry_writer PREFIX COUNT
// Writes "<PREFIX><i>" = "value <i> of <PREFIX>" under the application key's subkey
// "Race" for i from 0 to COUNT - 1. Exit status 1 when any write failed.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/registry.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: registry_writer PREFIX COUNT\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const int count = std::atoi(argv[2]);

    char ignored;
    while (::read(STDIN_FILENO, &ignored, 1) > 0) {
    }
    const std::string key = std::string(kApplicationKey) + "\\Race";
    if (const Result made = CreateRegistryKeyPath(key); !made.ok()) {
        std::fprintf(stderr, "%s\n", made.text().c_str());
        return 1;
    }
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const std::string index = std::to_string(i);
        const Result written =
            SetRegistryString(key, prefix + index, "value " + index + " of " + prefix);
        if (!written.ok()) {
            std::fprintf(stderr, "%s\n", written.text().c_str());
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
