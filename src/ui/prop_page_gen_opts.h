#pragma once

// The "Generation" page of the program property sheet: source and target folders (typed
// or picked) and whether index and content pages are generated. GUI thread only.

#include <memory>
#include <string>

#include "ui/vq_property_sheet.h"

class Program;

namespace Ui {
class PropPageGenOpts;
}

class CMavrenProgPropPageGenOpts : public CVQPropertyPage {
    Q_OBJECT

  public:
    explicit CMavrenProgPropPageGenOpts(QWidget* parent = nullptr);
    ~CMavrenProgPropPageGenOpts() override;

    // The program's values into the members, and back.
    void Load(const Program& program);
    void Store(Program& program) const;

    std::string sourceDir;
    std::string targetDir;
    int generateIndexPage = 0;
    int generateContentPages = 0;

  protected:
    void OnInitPage() override;
    bool ReadControls() override;
    QString HelpFileName() const override { return QStringLiteral("GEN0002.htm"); }

  private:
    void ShowMembers();

    const std::unique_ptr<Ui::PropPageGenOpts> m_ui;
};
