// The program file reader and writer: any bytes load without harm; what loaded saves to a
// new file and loads back to the same values; saving over the input either replaces it by
// a program or leaves it exactly as it was.

#include <unistd.h>

#include "document/program.h"
#include "fuzz_support.h"
#include "platform/message_box.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (AnswerMessageBoxes(IDRETRY), true);
    (void)ready;
    const std::string_view bytes = InputBytes(data, size);
    const std::string input = WriteFuzzFile("input.mav", bytes);
    Program program;
    if (!program.Load(input).ok()) {
        Broken("Retry at every unknown key reads the whole file");
    }
    const std::string saved = FuzzPath("saved.mav");
    ::unlink(saved.c_str());
    if (!program.Save(saved).ok()) {
        Broken("a program saves to a new file");
    }
    Program again;
    if (!again.Load(saved).ok()) {
        Broken("a saved program loads");
    }
    for (const KeyDescriptor& row : kKeyTable) {
        if (again.GetText(row.id) != program.GetText(row.id)) {
            Broken("every value loads back as it was saved");
        }
    }
    if (!program.Save(input).ok() && ReadFuzzFile(input) != bytes) {
        Broken("a refused save leaves the file as it was");
    }
    return 0;
}
