// The settings file parser: any text parses or is refused with a reason, without harm;
// what parsed is written out in a form that parses back to the same text.

#include "fuzz_support.h"
#include "platform/registry_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = InputBytes(data, size);
    RegistryKey root;
    if (const Result parsed = ParseRegistryText(text, root); !parsed.ok()) {
        if (parsed.text().empty()) {
            Broken("a refused file is refused with a reason");
        }
        return 0;
    }
    const std::string written = FormatRegistryText(root);
    RegistryKey again;
    if (!ParseRegistryText(written, again).ok()) {
        Broken("what the store writes it reads back");
    }
    if (FormatRegistryText(again) != written) {
        Broken("reading and writing again changes nothing");
    }
    return 0;
}
