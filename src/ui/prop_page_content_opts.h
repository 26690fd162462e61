#pragma once

// The "Content Options" page of the program property sheet: content page title and
// boilerplate, labels (with Label Options), links (with Link Options) and the kind of
// source files: images, text, HTML or files matching a pattern. GUI thread only.

#include <QButtonGroup>
#include <memory>
#include <string>

#include "ui/link_settings.h"
#include "ui/prog_prop_page.h"

namespace Ui {
class PropPageContentOpts;
}

// The source type of a Source-File-Extension text: 0 images, 1 text, 2 HTML for their
// exact pattern lists, else 3 with the text as the pattern; and the text a type stores.
// The images type stores imagePatterns, the list the program had, when given, else the
// list new programs get.
int SourceTypeOfPattern(const std::string& patterns, std::string& customPattern);
std::string PatternOfSourceType(int sourceType, const std::string& customPattern,
                                const std::string& imagePatterns = {});

// What the Content Options page holds between the program and its controls.
struct ContentPageSettings {
    std::string pageTitle;
    std::string boilerplate;
    int showLabels = 0;
    int labelType = 0;
    std::string customLabel;
    int showLinks = 0;
    LinkSettings links;
    int sourceType = 0;  // 0 images, 1 text, 2 HTML, 3 pattern
    std::string pattern;
    std::string imagePatterns;  // the picture list loaded, kept while the type stays images
    int guessParagraphs = 0;
};

class CMavrenProgPropPageContentOpts final : public CMavrenProgPropPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenProgPropPageContentOpts)

  public:
    explicit CMavrenProgPropPageContentOpts(QWidget* parent = nullptr);
    ~CMavrenProgPropPageContentOpts() override;

    // The values as loaded from the program, then as the controls last gave them.
    const ContentPageSettings& Settings() const { return m_settings; }

  protected:
    void Exchange(ProgramExchange& exchange) override;
    void OnInitPage() override;
    bool ReadControls() override;
    QString HelpFileName() const override { return QStringLiteral("GEN0001.htm"); }

  private:
    void ShowMembers();
    void UpdateEnabling();
    void EditLabelOptions();
    void EditLinkOptions();
    void PickBoilerplate();

    const std::unique_ptr<Ui::PropPageContentOpts> m_ui;
    ContentPageSettings m_settings;
    QButtonGroup m_typeGroup;
};
