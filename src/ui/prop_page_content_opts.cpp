#include "ui/prop_page_content_opts.h"

#include "document/program.h"
#include "ui/control_values.h"
#include "ui/label_options_dialog.h"
#include "ui/link_options_dialog.h"
#include "ui/pickers.h"
#include "ui_prop_page_content_opts.h"

namespace {

constexpr const char* kImagePatterns = "*.jpg;*.png;*.gif";
constexpr const char* kTextPatterns = "*.txt";
constexpr const char* kHtmlPatterns = "*.htm;*.html";
constexpr int kPatternType = 3;

}  // namespace

int SourceTypeOfPattern(const std::string& patterns, std::string& customPattern) {
    customPattern.clear();
    if (patterns == kImagePatterns) {
        return 0;
    }
    if (patterns == kTextPatterns) {
        return 1;
    }
    if (patterns == kHtmlPatterns) {
        return 2;
    }
    customPattern = patterns;
    return kPatternType;
}

std::string PatternOfSourceType(int sourceType, const std::string& customPattern) {
    switch (sourceType) {
        case 0:
            return kImagePatterns;
        case 1:
            return kTextPatterns;
        case 2:
            return kHtmlPatterns;
        default:
            return customPattern;
    }
}

CMavrenProgPropPageContentOpts::CMavrenProgPropPageContentOpts(QWidget* parent)
    : CVQPropertyPage(parent), m_ui(std::make_unique<Ui::PropPageContentOpts>()) {
    m_ui->setupUi(this);
    m_typeGroup.addButton(m_ui->imagesRadio, 0);
    m_typeGroup.addButton(m_ui->textRadio, 1);
    m_typeGroup.addButton(m_ui->htmlRadio, 2);
    m_typeGroup.addButton(m_ui->patternRadio, kPatternType);
    connect(&m_typeGroup, &QButtonGroup::idClicked, this, [this] { UpdateEnabling(); });
    connect(m_ui->showLinksCheckBox, &QCheckBox::clicked, this, [this] { UpdateEnabling(); });
    connect(m_ui->showLabelsCheckBox, &QCheckBox::clicked, this, [this] { UpdateEnabling(); });
    connect(m_ui->contentLabellingOptionsButton, &QPushButton::clicked, this,
            &CMavrenProgPropPageContentOpts::EditLabelOptions);
    connect(m_ui->linkOptionsButton, &QPushButton::clicked, this,
            &CMavrenProgPropPageContentOpts::EditLinkOptions);
    connect(m_ui->contentBoilerplateBrowseButton, &QToolButton::clicked, this,
            &CMavrenProgPropPageContentOpts::PickBoilerplate);
}

CMavrenProgPropPageContentOpts::~CMavrenProgPropPageContentOpts() = default;

void CMavrenProgPropPageContentOpts::Load(const Program& program) {
    pageTitle = program.GetText(ProgramKey::ContentPageTitle);
    boilerplate = program.GetText(ProgramKey::ContentBoilerplate);
    showLabels = program.GetInt(ProgramKey::ContentShowLabels);
    labelType = program.GetInt(ProgramKey::ContentLabelType);
    customLabel = program.GetText(ProgramKey::ContentCustomLabel);
    showLinks = program.GetInt(ProgramKey::ContentShowLinks);
    links.showBegin = program.GetInt(ProgramKey::ContentShowLinkBegin);
    links.showEnd = program.GetInt(ProgramKey::ContentShowLinkEnd);
    links.showIndex = program.GetInt(ProgramKey::ContentShowLinkIndex);
    links.showNext = program.GetInt(ProgramKey::ContentShowLinkNext);
    links.showPrev = program.GetInt(ProgramKey::ContentShowLinkPrev);
    links.imageIsLink = program.GetInt(ProgramKey::ContentImageIsLink);
    links.imageLinkStyle = program.GetInt(ProgramKey::ContentImageIsLinkStyle);
    links.beginLabel = program.GetText(ProgramKey::ContentLinkBeginLabel);
    links.endLabel = program.GetText(ProgramKey::ContentLinkEndLabel);
    links.indexLabel = program.GetText(ProgramKey::ContentLinkIndexLabel);
    links.nextLabel = program.GetText(ProgramKey::ContentLinkNextLabel);
    links.prevLabel = program.GetText(ProgramKey::ContentLinkPrevLabel);
    sourceType = SourceTypeOfPattern(program.GetText(ProgramKey::SourceFileExtension), pattern);
    guessParagraphs = program.GetInt(ProgramKey::ContentGuessParagraphs);
}

void CMavrenProgPropPageContentOpts::Store(Program& program) const {
    program.SetString(ProgramKey::ContentPageTitle, pageTitle);
    program.SetString(ProgramKey::ContentBoilerplate, boilerplate);
    program.SetInt(ProgramKey::ContentShowLabels, showLabels);
    program.SetInt(ProgramKey::ContentLabelType, labelType);
    program.SetString(ProgramKey::ContentCustomLabel, customLabel);
    program.SetInt(ProgramKey::ContentShowLinks, showLinks);
    program.SetInt(ProgramKey::ContentShowLinkBegin, links.showBegin);
    program.SetInt(ProgramKey::ContentShowLinkEnd, links.showEnd);
    program.SetInt(ProgramKey::ContentShowLinkIndex, links.showIndex);
    program.SetInt(ProgramKey::ContentShowLinkNext, links.showNext);
    program.SetInt(ProgramKey::ContentShowLinkPrev, links.showPrev);
    program.SetInt(ProgramKey::ContentImageIsLink, links.imageIsLink);
    program.SetInt(ProgramKey::ContentImageIsLinkStyle, links.imageLinkStyle);
    program.SetString(ProgramKey::ContentLinkBeginLabel, links.beginLabel);
    program.SetString(ProgramKey::ContentLinkEndLabel, links.endLabel);
    program.SetString(ProgramKey::ContentLinkIndexLabel, links.indexLabel);
    program.SetString(ProgramKey::ContentLinkNextLabel, links.nextLabel);
    program.SetString(ProgramKey::ContentLinkPrevLabel, links.prevLabel);
    program.SetString(ProgramKey::SourceFileExtension, PatternOfSourceType(sourceType, pattern));
    program.SetInt(ProgramKey::ContentGuessParagraphs, guessParagraphs);
}

void CMavrenProgPropPageContentOpts::OnInitPage() {
    ShowMembers();
    UpdateEnabling();
}

bool CMavrenProgPropPageContentOpts::ReadControls() {
    ReadText(m_ui->contentPageTitleEdit, pageTitle);
    ReadText(m_ui->contentBoilerplateEdit, boilerplate);
    showLabels = CheckValue(m_ui->showLabelsCheckBox);
    showLinks = CheckValue(m_ui->showLinksCheckBox);
    sourceType = RadioSelection(&m_typeGroup);
    ReadText(m_ui->patternEdit, pattern);
    guessParagraphs = CheckValue(m_ui->guessParagraphsCheckBox);
    return true;
}

void CMavrenProgPropPageContentOpts::ShowMembers() {
    ShowText(m_ui->contentPageTitleEdit, pageTitle);
    ShowText(m_ui->contentBoilerplateEdit, boilerplate);
    SetCheckValue(m_ui->showLabelsCheckBox, showLabels);
    SetCheckValue(m_ui->showLinksCheckBox, showLinks);
    SetRadioSelection(&m_typeGroup, sourceType);
    ShowText(m_ui->patternEdit, pattern);
    SetCheckValue(m_ui->guessParagraphsCheckBox, guessParagraphs);
}

void CMavrenProgPropPageContentOpts::UpdateEnabling() {
    const int type = RadioSelection(&m_typeGroup);
    m_ui->patternEdit->setEnabled(type == kPatternType);
    m_ui->guessParagraphsCheckBox->setEnabled(type == 1);
    m_ui->contentLabellingOptionsButton->setEnabled(m_ui->showLabelsCheckBox->isChecked());
    m_ui->linkOptionsButton->setEnabled(m_ui->showLinksCheckBox->isChecked());
}

void CMavrenProgPropPageContentOpts::EditLabelOptions() {
    LabelSettings settings{labelType, customLabel};
    RunLabelOptions(this, settings);
    labelType = settings.labelType;
    customLabel = settings.customLabel;
}

void CMavrenProgPropPageContentOpts::EditLinkOptions() {
    RunLinkOptions(this, links);
}

void CMavrenProgPropPageContentOpts::PickBoilerplate() {
    std::string chosen;
    if (PickBoilerplateFile(this, m_ui->contentBoilerplateEdit->text().toStdString(), chosen)) {
        boilerplate = chosen;
        ShowText(m_ui->contentBoilerplateEdit, boilerplate);
    }
}
