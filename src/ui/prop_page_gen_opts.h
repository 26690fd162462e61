#pragma once

// The "Generation" page of the program property sheet: source and target folders (typed
// or picked) and whether index and content pages are generated. GUI thread only.

#include <memory>
#include <string>

#include "ui/prog_prop_page.h"

namespace Ui {
class PropPageGenOpts;
}

class CMavrenProgPropPageGenOpts : public CMavrenProgPropPage {
    Q_OBJECT

  public:
    explicit CMavrenProgPropPageGenOpts(QWidget* parent = nullptr);
    ~CMavrenProgPropPageGenOpts() override;

    std::string sourceDir;
    std::string targetDir;
    int generateIndexPage = 0;
    int generateContentPages = 0;

  protected:
    void Exchange(ProgramExchange& exchange) override;
    void OnInitPage() override;
    bool ReadControls() override;
    QString HelpFileName() const override { return QStringLiteral("GEN0002.htm"); }

  private:
    void ShowMembers();

    const std::unique_ptr<Ui::PropPageGenOpts> m_ui;
};
