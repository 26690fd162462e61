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
    exchange.Text(ProgramKey::IndexPageTitle, pageTitle);
    exchange.Text(ProgramKey::IndexBoilerplate, boilerplate);
    exchange.Int(ProgramKey::GenerateThumbnails, generateThumbnails);
    exchange.Int(ProgramKey::SmartThumbnailGeneration, smartThumbnails);
    exchange.Int(ProgramKey::ThumbnailSize, thumbnailSize);
    exchange.Int(ProgramKey::IndexLabelThumbnails, labelThumbnails);
    exchange.Int(ProgramKey::IndexThumbnailLabelType, labelType);
    exchange.Text(ProgramKey::IndexThumbnailCustomLabel, customLabel);
    exchange.Int(ProgramKey::IndexGenerateMultiplePages, multiplePages);
    exchange.Int(ProgramKey::IndexThumbnailLayoutType, layoutType);
    exchange.Int(ProgramKey::IndexThumbnailsAcross, across);
    exchange.Int(ProgramKey::IndexThumbnailsDown, down);
    if (exchange.IsLoading()) {
        across = CountOrDefault(across);
        down = CountOrDefault(down);
    }
}

void CMavrenProgPropPageIndexOpts::OnInitPage() {
    ShowMembers();
    UpdateEnabling();
}

bool CMavrenProgPropPageIndexOpts::ReadControls() {
    // A count box the user cannot reach is not held against them: it keeps its value.
    int newAcross = across;
    int newDown = down;
    if (m_ui->acrossEdit->isEnabled() &&
        !ReadIntInRange(m_ui->acrossEdit, kMinimumCount, kMaximumCount, newAcross)) {
        return false;
    }
    if (m_ui->downEdit->isEnabled() &&
        !ReadIntInRange(m_ui->downEdit, kMinimumCount, kMaximumCount, newDown)) {
        return false;
    }
    across = newAcross;
    down = newDown;
    ReadText(m_ui->indexPageTitleEdit, pageTitle);
    ReadText(m_ui->indexBoilerplateEdit, boilerplate);
    generateThumbnails = CheckValue(m_ui->generateThumbnailsCheckBox);
    labelThumbnails = CheckValue(m_ui->labelThumbnailsCheckBox);
    multiplePages = m_ui->multiplePagesGroupBox->isChecked() ? 1 : 0;
    layoutType = RadioSelection(&m_layoutGroup);
    return true;
}

void CMavrenProgPropPageIndexOpts::ShowMembers() {
    ShowText(m_ui->indexPageTitleEdit, pageTitle);
    ShowText(m_ui->indexBoilerplateEdit, boilerplate);
    SetCheckValue(m_ui->generateThumbnailsCheckBox, generateThumbnails);
    SetCheckValue(m_ui->labelThumbnailsCheckBox, labelThumbnails);
    m_ui->multiplePagesGroupBox->setChecked(multiplePages != 0);
    SetRadioSelection(&m_layoutGroup, layoutType);
    m_ui->acrossEdit->setText(QString::number(across));
    m_ui->downEdit->setText(QString::number(down));
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
    ThumbnailSettings settings{smartThumbnails, thumbnailSize};
    RunThumbnailOptions(this, settings);
    smartThumbnails = settings.smart;
    thumbnailSize = settings.thumbnailSize;
}

void CMavrenProgPropPageIndexOpts::EditLabelOptions() {
    LabelSettings settings{labelType, customLabel};
    RunLabelOptions(this, settings);
    labelType = settings.labelType;
    customLabel = settings.customLabel;
}

void CMavrenProgPropPageIndexOpts::PickBoilerplate() {
    std::string chosen;
    if (PickBoilerplateFile(this, m_ui->indexBoilerplateEdit->text().toStdString(), chosen)) {
        boilerplate = chosen;
        ShowText(m_ui->indexBoilerplateEdit, boilerplate);
    }
}
