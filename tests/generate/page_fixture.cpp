#include "page_fixture.h"

#include <filesystem>

#include "platform/format.h"

PageTest::PageTest() {
    program.SetString(ProgramKey::SourceFileExtension, "*.txt");
    std::filesystem::create_directories(target);
}

void PageTest::MakeRecords(int count) {
    for (int i = 0; i < count; ++i) {
        SourceRecord record;
        record.source = source + StringPrintf("/f%02d.txt", i);
        record.contentPage = StringPrintf("GEN%04d.HTM", i);
        record.indexPage = "INDEX000.HTM";
        record.size = 4;
        WriteFileBytes(record.source, "text");
        records.push_back(record);
    }
}
