#include "ui/prop_page_content_opts.h"

#include "generate/source_kind.h"
#include "ui/control_values.h"
#include "ui/label_options_dialog.h"
#include "ui/link_options_dialog.h"
#include "ui/pickers.h"
#include "ui/program_exchange.h"
#include "ui_prop_page_content_opts.h"

namespace {

constexpr int kPatternType = 3;

}  // namespace

int SourceTypeOfPattern(const std::string& patterns, std::string& customPattern) {
    customPattern.clear();
    if (patterns == kImagePatterns || patterns == kClassicImagePatterns ||
        patterns == kPhotoPatterns) {
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

std::string PatternOfSourceType(int sourceType, const std::string& customPattern,
                                const std::string& imagePatterns) {
    switch (sourceType) {
        case 0:
            return imagePatterns.empty() ? std::string(kImagePatterns) : imagePatterns;
        case 1:
            return std::string(kTextPatterns);
        case 2:
            return std::string(kHtmlPatterns);
        default:
            return customPattern;
    }
}

CMavrenProgPropPageContentOpts::CMavrenProgPropPageContentOpts(QWidget* parent)
    : CMavrenProgPropPage(parent), m_ui(std::make_unique<Ui::PropPageContentOpts>()) {
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

void CMavrenProgPropPageContentOpts::Exchange(ProgramExchange& exchange) {
    exchange.Text(ProgramKey::ContentPageTitle, pageTitle);
    exchange.Text(ProgramKey::ContentBoilerplate, boilerplate);
    exchange.Int(ProgramKey::ContentShowLabels, showLabels);
    exchange.Int(ProgramKey::ContentLabelType, labelType);
    exchange.Text(ProgramKey::ContentCustomLabel, customLabel);
    exchange.Int(ProgramKey::ContentShowLinks, showLinks);
    exchange.Int(ProgramKey::ContentShowLinkBegin, links.showBegin);
    exchange.Int(ProgramKey::ContentShowLinkEnd, links.showEnd);
    exchange.Int(ProgramKey::ContentShowLinkIndex, links.showIndex);
    exchange.Int(ProgramKey::ContentShowLinkNext, links.showNext);
    exchange.Int(ProgramKey::ContentShowLinkPrev, links.showPrev);
    exchange.Int(ProgramKey::ContentImageIsLink, links.imageIsLink);
    exchange.Int(ProgramKey::ContentImageIsLinkStyle, links.imageLinkStyle);
    exchange.Text(ProgramKey::ContentLinkBeginLabel, links.beginLabel);
    exchange.Text(ProgramKey::ContentLinkEndLabel, links.endLabel);
    exchange.Text(ProgramKey::ContentLinkIndexLabel, links.indexLabel);
    exchange.Text(ProgramKey::ContentLinkNextLabel, links.nextLabel);
    exchange.Text(ProgramKey::ContentLinkPrevLabel, links.prevLabel);
    exchange.Int(ProgramKey::ContentGuessParagraphs, guessParagraphs);
    // One key holds both the source type and the pattern.
    std::string patterns = PatternOfSourceType(sourceType, pattern, imagePatterns);
    exchange.Text(ProgramKey::SourceFileExtension, patterns);
    if (exchange.IsLoading()) {
        sourceType = SourceTypeOfPattern(patterns, pattern);
        // A program keeps the picture list it was stored with.
        imagePatterns = sourceType == 0 ? patterns : std::string();
    }
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
