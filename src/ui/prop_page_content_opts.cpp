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
    // A picture list may end in the videos, which the Photos page adds and takes away.
    std::string_view pictures = patterns;
    const std::string videoList = ";" + std::string(kVideoPatterns);
    if (pictures.ends_with(videoList)) {
        pictures.remove_suffix(videoList.size());
    }
    if (pictures == kImagePatterns || pictures == kClassicImagePatterns ||
        pictures == kPhotoPatterns) {
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
    exchange.Text(ProgramKey::ContentPageTitle, m_settings.pageTitle);
    exchange.Text(ProgramKey::ContentBoilerplate, m_settings.boilerplate);
    exchange.Int(ProgramKey::ContentShowLabels, m_settings.showLabels);
    exchange.Int(ProgramKey::ContentLabelType, m_settings.labelType);
    exchange.Text(ProgramKey::ContentCustomLabel, m_settings.customLabel);
    exchange.Int(ProgramKey::ContentShowLinks, m_settings.showLinks);
    exchange.Int(ProgramKey::ContentShowLinkBegin, m_settings.links.showBegin);
    exchange.Int(ProgramKey::ContentShowLinkEnd, m_settings.links.showEnd);
    exchange.Int(ProgramKey::ContentShowLinkIndex, m_settings.links.showIndex);
    exchange.Int(ProgramKey::ContentShowLinkNext, m_settings.links.showNext);
    exchange.Int(ProgramKey::ContentShowLinkPrev, m_settings.links.showPrev);
    exchange.Int(ProgramKey::ContentImageIsLink, m_settings.links.imageIsLink);
    exchange.Int(ProgramKey::ContentImageIsLinkStyle, m_settings.links.imageLinkStyle);
    exchange.Text(ProgramKey::ContentLinkBeginLabel, m_settings.links.beginLabel);
    exchange.Text(ProgramKey::ContentLinkEndLabel, m_settings.links.endLabel);
    exchange.Text(ProgramKey::ContentLinkIndexLabel, m_settings.links.indexLabel);
    exchange.Text(ProgramKey::ContentLinkNextLabel, m_settings.links.nextLabel);
    exchange.Text(ProgramKey::ContentLinkPrevLabel, m_settings.links.prevLabel);
    exchange.Int(ProgramKey::ContentGuessParagraphs, m_settings.guessParagraphs);
    // One key holds both the source type and the pattern.
    std::string patterns =
        PatternOfSourceType(m_settings.sourceType, m_settings.pattern, m_settings.imagePatterns);
    exchange.Text(ProgramKey::SourceFileExtension, patterns);
    if (exchange.IsLoading()) {
        m_settings.sourceType = SourceTypeOfPattern(patterns, m_settings.pattern);
        // A program keeps the picture list it was stored with.
        m_settings.imagePatterns = m_settings.sourceType == 0 ? patterns : std::string();
    }
}

void CMavrenProgPropPageContentOpts::OnInitPage() {
    ShowMembers();
    UpdateEnabling();
}

bool CMavrenProgPropPageContentOpts::ReadControls() {
    ReadText(m_ui->contentPageTitleEdit, m_settings.pageTitle);
    ReadText(m_ui->contentBoilerplateEdit, m_settings.boilerplate);
    m_settings.showLabels = CheckValue(m_ui->showLabelsCheckBox);
    m_settings.showLinks = CheckValue(m_ui->showLinksCheckBox);
    m_settings.sourceType = RadioSelection(&m_typeGroup);
    ReadText(m_ui->patternEdit, m_settings.pattern);
    m_settings.guessParagraphs = CheckValue(m_ui->guessParagraphsCheckBox);
    return true;
}

void CMavrenProgPropPageContentOpts::ShowMembers() {
    ShowText(m_ui->contentPageTitleEdit, m_settings.pageTitle);
    ShowText(m_ui->contentBoilerplateEdit, m_settings.boilerplate);
    SetCheckValue(m_ui->showLabelsCheckBox, m_settings.showLabels);
    SetCheckValue(m_ui->showLinksCheckBox, m_settings.showLinks);
    SetRadioSelection(&m_typeGroup, m_settings.sourceType);
    ShowText(m_ui->patternEdit, m_settings.pattern);
    SetCheckValue(m_ui->guessParagraphsCheckBox, m_settings.guessParagraphs);
}

void CMavrenProgPropPageContentOpts::UpdateEnabling() {
    const int type = RadioSelection(&m_typeGroup);
    m_ui->patternEdit->setEnabled(type == kPatternType);
    m_ui->guessParagraphsCheckBox->setEnabled(type == 1);
    m_ui->contentLabellingOptionsButton->setEnabled(m_ui->showLabelsCheckBox->isChecked());
    m_ui->linkOptionsButton->setEnabled(m_ui->showLinksCheckBox->isChecked());
}

void CMavrenProgPropPageContentOpts::EditLabelOptions() {
    LabelSettings settings{m_settings.labelType, m_settings.customLabel};
    RunLabelOptions(this, settings);
    m_settings.labelType = settings.labelType;
    m_settings.customLabel = settings.customLabel;
}

void CMavrenProgPropPageContentOpts::EditLinkOptions() {
    RunLinkOptions(this, m_settings.links);
}

void CMavrenProgPropPageContentOpts::PickBoilerplate() {
    std::string chosen;
    if (PickBoilerplateFile(this, m_ui->contentBoilerplateEdit->text().toStdString(), chosen)) {
        m_settings.boilerplate = chosen;
        ShowText(m_ui->contentBoilerplateEdit, m_settings.boilerplate);
    }
}
