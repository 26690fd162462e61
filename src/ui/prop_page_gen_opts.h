#pragma once

// The "Generation" page of the program property sheet: source and target folders (typed
// or picked) and whether index and content pages are generated. GUI thread only.

#include <memory>
#include <string>

#include "ui/prog_prop_page.h"

namespace Ui {
class PropPageGenOpts;
}

// What the Generation page holds between the program and its controls.
struct GenerationPageSettings {
    std::string sourceDir;
    std::string targetDir;
    int generateIndexPage = 0;
    int generateContentPages = 0;
};

class CMavrenProgPropPageGenOpts final : public CMavrenProgPropPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenProgPropPageGenOpts)

  public:
    explicit CMavrenProgPropPageGenOpts(QWidget* parent = nullptr);
    ~CMavrenProgPropPageGenOpts() override;

    // The values as loaded from the program, then as the controls last gave them.
    const GenerationPageSettings& Settings() const { return m_settings; }

  protected:
    void Exchange(ProgramExchange& exchange) override;
    void OnInitPage() override;
    bool ReadControls() override;
    QString HelpFileName() const override { return QStringLiteral("GEN0002.htm"); }

  private:
    void ShowMembers();

    const std::unique_ptr<Ui::PropPageGenOpts> m_ui;
    GenerationPageSettings m_settings;
};
