#include "ui/prog_prop_sheet.h"

#include "document/program.h"
#include "platform/registry.h"
#include "ui/prop_page_content_opts.h"
#include "ui/prop_page_gen_opts.h"
#include "ui/prop_page_html.h"
#include "ui/prop_page_index_opts.h"
#include "ui/prop_page_misc.h"

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
          return !m_indexOpts->boilerplate.empty() || !m_contentOpts->boilerplate.empty();
      })) {
    setObjectName(QStringLiteral("programPropertySheet"));
    m_genOpts->Load(program);
    m_indexOpts->Load(program);
    m_contentOpts->Load(program);
    m_misc->Load(program);
    m_html->Load(program);
    SetPlacementName(QStringLiteral("Edit Program"));
    AddPage(m_genOpts, QStringLiteral("Generation"));
    AddPage(m_indexOpts, QStringLiteral("Index Options"));
    AddPage(m_contentOpts, QStringLiteral("Content Options"));
    AddPage(m_misc, QStringLiteral("Misc"));
    AddPage(m_html, QStringLiteral("HTML Options"));
    SetActivePage(GetRegistryInt(kApplicationKey, kActivePageValue, HKEY_CURRENT_USER));
}

void CMavrenProgPropSheet::OnClosing() {
    m_genOpts->Store(m_program);
    m_indexOpts->Store(m_program);
    m_contentOpts->Store(m_program);
    m_misc->Store(m_program);
    m_html->Store(m_program);
    SetRegistryInt(kApplicationKey, kActivePageValue, GetActiveIndex(), HKEY_CURRENT_USER);
}
