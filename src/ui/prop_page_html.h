#pragma once

// The "HTML Options" page of the program property sheet: the page background (an image,
// fixed or not, or a colour), the text and link colours, the font, and a red note when a
// boilerplate file will override these settings. GUI thread only.

#include <QButtonGroup>
#include <functional>
#include <memory>
#include <string>

#include "ui/vq_property_sheet.h"

class Program;

namespace Ui {
class PropPageHtml;
}

class CMavrenProgPropPageHTML : public CVQPropertyPage {
    Q_OBJECT

  public:
    // boilerplateSet tells, each time the page becomes active, whether the index or the
    // content page names a boilerplate file.
    explicit CMavrenProgPropPageHTML(std::function<bool()> boilerplateSet,
                                     QWidget* parent = nullptr);
    ~CMavrenProgPropPageHTML() override;

    // The background image, fixed flag and colour are read only when the background
    // style is not -1; Store writes the four background values as they stand.
    void Load(const Program& program);
    void Store(Program& program) const;

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

  protected:
    void OnInitPage() override;
    void OnSetActive() override;
    bool ReadControls() override;
    QString HelpFileName() const override { return QStringLiteral("GEN0003.htm"); }

  private:
    void UpdateBackgroundEnabling();
    void OnSetBackgroundClicked();

    const std::unique_ptr<Ui::PropPageHtml> m_ui;
    const std::function<bool()> m_boilerplateSet;
    QButtonGroup m_backgroundGroup;
};
