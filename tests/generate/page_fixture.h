#pragma once

// Tests of one page step (index pages, content pages) fed with records made by hand: text
// sources in the source folder and a target folder that already exists, as a run leaves
// them before its page steps.

#include <vector>

#include "generate/content_pages.h"
#include "generate/index_pages.h"
#include "site_fixture.h"

class PageTest : public SiteTest {
  protected:
    PageTest();

    // Adds count records of the text sources f00.txt, f01.txt ... (written, "text" each),
    // for the pages GEN0000.HTM ... listed on INDEX000.HTM.
    void MakeRecords(int count);

    std::vector<SourceRecord> records;
};
