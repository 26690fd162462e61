#pragma once

// The "Index Options" page of the program property sheet: index page title and
// boilerplate, thumbnails (with Thumbnail Options), thumbnail labels (with Label Options)
// and how many thumbnails an index page holds. A count across or down outside 1 to 1000
// comes from the program as 3. GUI thread only.

#include <QButtonGroup>
#include <memory>
#include <string>

#include "ui/prog_prop_page.h"

namespace Ui {
class PropPageIndexOpts;
}

// What the Index Options page holds between the program and its controls.
struct IndexPageSettings {
    std::string pageTitle;
    std::string boilerplate;
    int generateThumbnails = 0;
    int smartThumbnails = 0;
    int thumbnailSize = 0;
    int labelThumbnails = 0;
    int labelType = 0;
    std::string customLabel;
    int multiplePages = 0;
    int layoutType = 0;  // 0 typical browser window, 1 across by down
    int across = 3;
    int down = 3;
};

class CMavrenProgPropPageIndexOpts final : public CMavrenProgPropPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenProgPropPageIndexOpts)

  public:
    explicit CMavrenProgPropPageIndexOpts(QWidget* parent = nullptr);
    ~CMavrenProgPropPageIndexOpts() override;

    // The values as loaded from the program, then as the controls last gave them.
    const IndexPageSettings& Settings() const { return m_settings; }

  protected:
    void Exchange(ProgramExchange& exchange) override;
    void OnInitPage() override;
    bool ReadControls() override;
    QString HelpFileName() const override { return QStringLiteral("GEN0004.htm"); }

  private:
    void ShowMembers();
    void UpdateEnabling();
    void EditThumbnailOptions();
    void EditLabelOptions();
    void PickBoilerplate();

    const std::unique_ptr<Ui::PropPageIndexOpts> m_ui;
    IndexPageSettings m_settings;
    QButtonGroup m_layoutGroup;
};
