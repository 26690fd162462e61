#pragma once

// The "Misc" page of the program property sheet: how GIF sources get thumbnails (generic
// picture, the original resized by the browser, files from a folder, or thumbnails made
// of their first frame) and whether pages carry the "Generated With Mavren" link. GUI
// thread only.

#include <QButtonGroup>
#include <memory>
#include <string>

#include "ui/prog_prop_page.h"

namespace Ui {
class PropPageMisc;
}

// What the Misc page holds between the program and its controls.
struct MiscPageSettings {
    int gifThumbnailType = 0;  // 0 generic, 1 resized originals, 2 from a folder, 3 made
    std::string gifThumbnailDir;
    int includeMavrenLink = 0;
};

class CMavrenProgPropPageMisc final : public CMavrenProgPropPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenProgPropPageMisc)

  public:
    explicit CMavrenProgPropPageMisc(QWidget* parent = nullptr);
    ~CMavrenProgPropPageMisc() override;

    // The values as loaded from the program, then as the controls last gave them.
    const MiscPageSettings& Settings() const { return m_settings; }

  protected:
    void Exchange(ProgramExchange& exchange) override;
    void OnInitPage() override;
    bool ReadControls() override;
    QString HelpFileName() const override { return QStringLiteral("GEN0007.htm"); }

  private:
    const std::unique_ptr<Ui::PropPageMisc> m_ui;
    MiscPageSettings m_settings;
    QButtonGroup m_gifGroup;
};
