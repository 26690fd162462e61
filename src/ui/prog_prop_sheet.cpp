#include "ui/prog_prop_sheet.h"

#include <QTabWidget>

#include "document/program.h"
#include "platform/registry.h"
#include "ui/prop_page_content_opts.h"
#include "ui/prop_page_gen_opts.h"
#include "ui/prop_page_html.h"
#include "ui/prop_page_index_opts.h"
#include "ui/prop_page_misc.h"
#include "ui/prop_page_photos.h"
#include "work/settings_failures.h"

namespace {

constexpr const char* kActivePageValue = "ActivePage";

}  // namespace

CMavrenProgPropSheet::CMavrenProgPropSheet(Program& program, QWidget* parent)
    : CVQPropertySheet(QStringLiteral("Mavren: ") + QString::fromStdString(program.path), parent,
                       0),
      m_program(program),
      m_genOpts(new CMavrenProgPropPageGenOpts),
      m_indexOpts(new CMavrenProgPropPageIndexOpts),
      m_contentOpts(new CMavrenProgPropPageContentOpts),
      m_misc(new CMavrenProgPropPageMisc),
      m_html(new CMavrenProgPropPageHTML([this] {
          return !m_indexOpts->Settings().boilerplate.empty() ||
                 !m_contentOpts->Settings().boilerplate.empty();
      })),
      m_photos(new CMavrenProgPropPagePhotos) {
    setObjectName(QStringLiteral("programPropertySheet"));
    // Every tab in sight: the sheet grows to hold them rather than scroll them.
    TabWidget()->setUsesScrollButtons(false);
    SetPlacementName(QStringLiteral("Edit Program"));
    const std::pair<CMavrenProgPropPage*, QString> pages[] = {
        {m_genOpts, QStringLiteral("Generation")},
        {m_indexOpts, QStringLiteral("Index Options")},
        {m_contentOpts, QStringLiteral("Content Options")},
        {m_misc, QStringLiteral("Misc")},
        {m_html, QStringLiteral("HTML Options")},
        {m_photos, QStringLiteral("Photos")},
    };
    for (const auto& [page, title] : pages) {
        page->Load(program);
        AddPage(page, title);
        m_programPages.push_back(page);
    }
    SetActivePage(GetRegistryInt(kApplicationKey, kActivePageValue, HKEY_CURRENT_USER));
}

void CMavrenProgPropSheet::OnClosing(int result) {
    if (result == QDialog::Accepted) {
        for (CMavrenProgPropPage* page : m_programPages) {
            page->Store(m_program);
        }
        // Last, as the Videos box changes the picture list the Content page stored.
        m_photos->KeepPatternsInStep(m_program);
    }
    TellSettingsWriteFailure(
        SetRegistryInt(kApplicationKey, kActivePageValue, GetActiveIndex(), HKEY_CURRENT_USER));
}
