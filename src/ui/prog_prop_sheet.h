#pragma once

// The program property sheet ("Edit ..."): six pages (Generation, Index Options, Content
// Options, Misc, HTML Options, Photos) over one program. The program's values are copied into the
// pages when the sheet is built and all copied back when OK closes it; Cancel (or Escape,
// or the close box) leaves the program as it was, edits on every page dropped. The sheet
// opens on the page that was active when it last closed ("ActivePage"). GUI thread only;
// the program must outlive the sheet.

#include <vector>

#include "ui/vq_property_sheet.h"

class Program;
class CMavrenProgPropPage;
class CMavrenProgPropPageGenOpts;
class CMavrenProgPropPageIndexOpts;
class CMavrenProgPropPageContentOpts;
class CMavrenProgPropPageMisc;
class CMavrenProgPropPageHTML;
class CMavrenProgPropPagePhotos;

class CMavrenProgPropSheet final : public CVQPropertySheet {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenProgPropSheet)

  public:
    CMavrenProgPropSheet(Program& program, QWidget* parent = nullptr);

    CMavrenProgPropPageGenOpts* GenOptsPage() const { return m_genOpts; }
    CMavrenProgPropPageIndexOpts* IndexOptsPage() const { return m_indexOpts; }
    CMavrenProgPropPageContentOpts* ContentOptsPage() const { return m_contentOpts; }
    CMavrenProgPropPageMisc* MiscPage() const { return m_misc; }
    CMavrenProgPropPageHTML* HtmlPage() const { return m_html; }
    CMavrenProgPropPagePhotos* PhotosPage() const { return m_photos; }

  protected:
    // After OK stores every page into the program; in any case remembers the active page.
    void OnClosing(int result) override;

  private:
    Program& m_program;
    std::vector<CMavrenProgPropPage*> m_programPages;
    CMavrenProgPropPageGenOpts* m_genOpts;
    CMavrenProgPropPageIndexOpts* m_indexOpts;
    CMavrenProgPropPageContentOpts* m_contentOpts;
    CMavrenProgPropPageMisc* m_misc;
    CMavrenProgPropPageHTML* m_html;
    CMavrenProgPropPagePhotos* m_photos;
};
