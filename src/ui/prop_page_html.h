#pragma once

// The "HTML Options" page of the program property sheet: the page background (an image,
// fixed or not, or a colour), the text and link colours, the font, and a red note when a
// boilerplate file will override these settings. The background image, fixed flag and
// colour are read from the program only when its background style is not -1, and are
// written back as the page holds them. GUI thread only.

#include <QButtonGroup>
#include <functional>
#include <memory>
#include <string>

#include "ui/prog_prop_page.h"

namespace Ui {
class PropPageHtml;
}

// What the HTML Options page holds between the program and its controls.
struct HtmlPageSettings {
    std::string textColor;
    std::string linkColor;
    std::string vlinkColor;
    std::string alinkColor;
    std::string fontFace;
    std::string fontSize;

    // Bound to the background controls.
    int setBackground = 0;
    int backgroundRadio = -1;  // 0 image, 1 colour, -1 none selected
    std::string imageText;
    int fixed = 0;

    // The background as it goes to and from the program.
    int backgroundKind = -1;
    std::string backgroundImage;
    int backgroundFixed = 0;
    std::string backgroundColor;
};

class CMavrenProgPropPageHTML final : public CMavrenProgPropPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenProgPropPageHTML)

  public:
    // boilerplateSet tells, each time the page becomes active, whether the index or the
    // content page names a boilerplate file.
    explicit CMavrenProgPropPageHTML(std::function<bool()> boilerplateSet,
                                     QWidget* parent = nullptr);
    ~CMavrenProgPropPageHTML() override;

    // The values as loaded from the program, then as the controls last gave them.
    const HtmlPageSettings& Settings() const { return m_settings; }

  protected:
    void Exchange(ProgramExchange& exchange) override;
    void OnInitPage() override;
    void OnSetActive() override;
    bool ReadControls() override;
    QString HelpFileName() const override { return QStringLiteral("GEN0003.htm"); }

  private:
    void UpdateBackgroundEnabling();
    void OnSetBackgroundClicked();

    const std::unique_ptr<Ui::PropPageHtml> m_ui;
    HtmlPageSettings m_settings;
    const std::function<bool()> m_boilerplateSet;
    QButtonGroup m_backgroundGroup;
};
