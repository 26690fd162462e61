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

class CMavrenProgPropPageIndexOpts : public CMavrenProgPropPage {
    Q_OBJECT

  public:
    explicit CMavrenProgPropPageIndexOpts(QWidget* parent = nullptr);
    ~CMavrenProgPropPageIndexOpts() override;

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
    QButtonGroup m_layoutGroup;
};
