#include "ui/prop_page_index_opts.h"

#include "ui/control_values.h"
#include "ui/label_options_dialog.h"
#include "ui/pickers.h"
#include "ui/program_exchange.h"
#include "ui/thumbnail_options_dialog.h"
#include "ui_prop_page_index_opts.h"

namespace {

constexpr int kMinimumCount = 1;
constexpr int kMaximumCount = 1000;
constexpr int kDefaultCount = 3;

int CountOrDefault(int value) {
    return value < kMinimumCount || value > kMaximumCount ? kDefaultCount : value;
}

}  // namespace

CMavrenProgPropPageIndexOpts::CMavrenProgPropPageIndexOpts(QWidget* parent)
    : CMavrenProgPropPage(parent), m_ui(std::make_unique<Ui::PropPageIndexOpts>()) {
    m_ui->setupUi(this);
    m_layoutGroup.addButton(m_ui->optimizeRadio, 0);
    m_layoutGroup.addButton(m_ui->displayRadio, 1);
    connect(&m_layoutGroup, &QButtonGroup::idClicked, this, [this] { UpdateEnabling(); });
    connect(m_ui->multiplePagesGroupBox, &QGroupBox::clicked, this, [this] { UpdateEnabling(); });
    connect(m_ui->generateThumbnailsCheckBox, &QCheckBox::clicked, this,
            [this] { UpdateEnabling(); });
    connect(m_ui->labelThumbnailsCheckBox, &QCheckBox::clicked, this, [this] { UpdateEnabling(); });
    connect(m_ui->thumbnailOptionsButton, &QPushButton::clicked, this,
            &CMavrenProgPropPageIndexOpts::EditThumbnailOptions);
    connect(m_ui->indexLabellingOptionsButton, &QPushButton::clicked, this,
            &CMavrenProgPropPageIndexOpts::EditLabelOptions);
    connect(m_ui->indexBoilerplateBrowseButton, &QToolButton::clicked, this,
            &CMavrenProgPropPageIndexOpts::PickBoilerplate);
}

CMavrenProgPropPageIndexOpts::~CMavrenProgPropPageIndexOpts() = default;

void CMavrenProgPropPageIndexOpts::Exchange(ProgramExchange& exchange) {
    exchange.Text(ProgramKey::IndexPageTitle, m_settings.pageTitle);
    exchange.Text(ProgramKey::IndexBoilerplate, m_settings.boilerplate);
    exchange.Int(ProgramKey::GenerateThumbnails, m_settings.generateThumbnails);
    exchange.Int(ProgramKey::SmartThumbnailGeneration, m_settings.smartThumbnails);
    exchange.Int(ProgramKey::ThumbnailSize, m_settings.thumbnailSize);
    exchange.Int(ProgramKey::IndexLabelThumbnails, m_settings.labelThumbnails);
    exchange.Int(ProgramKey::IndexThumbnailLabelType, m_settings.labelType);
    exchange.Text(ProgramKey::IndexThumbnailCustomLabel, m_settings.customLabel);
    exchange.Int(ProgramKey::IndexGenerateMultiplePages, m_settings.multiplePages);
    exchange.Int(ProgramKey::IndexThumbnailLayoutType, m_settings.layoutType);
    exchange.Int(ProgramKey::IndexThumbnailsAcross, m_settings.across);
    exchange.Int(ProgramKey::IndexThumbnailsDown, m_settings.down);
    if (exchange.IsLoading()) {
        m_settings.across = CountOrDefault(m_settings.across);
        m_settings.down = CountOrDefault(m_settings.down);
    }
}

void CMavrenProgPropPageIndexOpts::OnInitPage() {
    ShowMembers();
    UpdateEnabling();
}

bool CMavrenProgPropPageIndexOpts::ReadControls() {
    // A count box the user cannot reach is not held against them: it keeps its value.
    int newAcross = m_settings.across;
    int newDown = m_settings.down;
    if (m_ui->acrossEdit->isEnabled() &&
        !ReadIntInRange(m_ui->acrossEdit, kMinimumCount, kMaximumCount, newAcross)) {
        return false;
    }
    if (m_ui->downEdit->isEnabled() &&
        !ReadIntInRange(m_ui->downEdit, kMinimumCount, kMaximumCount, newDown)) {
        return false;
    }
    m_settings.across = newAcross;
    m_settings.down = newDown;
    ReadText(m_ui->indexPageTitleEdit, m_settings.pageTitle);
    ReadText(m_ui->indexBoilerplateEdit, m_settings.boilerplate);
    m_settings.generateThumbnails = CheckValue(m_ui->generateThumbnailsCheckBox);
    m_settings.labelThumbnails = CheckValue(m_ui->labelThumbnailsCheckBox);
    m_settings.multiplePages = m_ui->multiplePagesGroupBox->isChecked() ? 1 : 0;
    m_settings.layoutType = RadioSelection(&m_layoutGroup);
    return true;
}

void CMavrenProgPropPageIndexOpts::ShowMembers() {
    ShowText(m_ui->indexPageTitleEdit, m_settings.pageTitle);
    ShowText(m_ui->indexBoilerplateEdit, m_settings.boilerplate);
    SetCheckValue(m_ui->generateThumbnailsCheckBox, m_settings.generateThumbnails);
    SetCheckValue(m_ui->labelThumbnailsCheckBox, m_settings.labelThumbnails);
    m_ui->multiplePagesGroupBox->setChecked(m_settings.multiplePages != 0);
    SetRadioSelection(&m_layoutGroup, m_settings.layoutType);
    m_ui->acrossEdit->setText(QString::number(m_settings.across));
    m_ui->downEdit->setText(QString::number(m_settings.down));
}

void CMavrenProgPropPageIndexOpts::UpdateEnabling() {
    m_ui->thumbnailOptionsButton->setEnabled(m_ui->generateThumbnailsCheckBox->isChecked());
    m_ui->indexLabellingOptionsButton->setEnabled(m_ui->labelThumbnailsCheckBox->isChecked());
    const bool multiple = m_ui->multiplePagesGroupBox->isChecked();
    const bool display = multiple && RadioSelection(&m_layoutGroup) == 1;
    m_ui->optimizeRadio->setEnabled(multiple);
    m_ui->displayRadio->setEnabled(multiple);
    m_ui->byLabel->setEnabled(multiple);
    m_ui->perPageLabel->setEnabled(multiple);
    m_ui->acrossEdit->setEnabled(display);
    m_ui->downEdit->setEnabled(display);
    if (display) {
        m_ui->acrossEdit->setFocus(Qt::OtherFocusReason);
    }
}

void CMavrenProgPropPageIndexOpts::EditThumbnailOptions() {
    ThumbnailSettings settings{m_settings.smartThumbnails, m_settings.thumbnailSize};
    RunThumbnailOptions(this, settings);
    m_settings.smartThumbnails = settings.smart;
    m_settings.thumbnailSize = settings.thumbnailSize;
}

void CMavrenProgPropPageIndexOpts::EditLabelOptions() {
    LabelSettings settings{m_settings.labelType, m_settings.customLabel};
    RunLabelOptions(this, settings);
    m_settings.labelType = settings.labelType;
    m_settings.customLabel = settings.customLabel;
}

void CMavrenProgPropPageIndexOpts::PickBoilerplate() {
    std::string chosen;
    if (PickBoilerplateFile(this, m_ui->indexBoilerplateEdit->text().toStdString(), chosen)) {
        m_settings.boilerplate = chosen;
        ShowText(m_ui->indexBoilerplateEdit, m_settings.boilerplate);
    }
}
