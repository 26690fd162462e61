#include "ui/thumbnail_options_dialog.h"

#include "ui/control_values.h"
#include "ui_thumbnail_options_dialog.h"

namespace {

constexpr int kDefaultThumbnailSize = 120;

}  // namespace

CMavrenThumbnailOptionsDialog::CMavrenThumbnailOptionsDialog(const ThumbnailSettings& settings,
                                                             QWidget* parent)
    : CVQDialog(parent),
      m_ui(std::make_unique<Ui::ThumbnailOptionsDialog>()),
      m_settings(settings) {
    m_ui->setupUi(this);
    m_sizeGroup.addButton(m_ui->defaultSizeRadio, 0);
    m_sizeGroup.addButton(m_ui->customSizeRadio, 1);
    connect(&m_sizeGroup, &QButtonGroup::idClicked, this, [this] { UpdateEnabling(); });
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CMavrenThumbnailOptionsDialog::~CMavrenThumbnailOptionsDialog() = default;

bool CMavrenThumbnailOptionsDialog::OnInitDialog() {
    if (!CVQDialog::OnInitDialog()) {
        return false;
    }
    SetCheckValue(m_ui->smartCheckBox, m_settings.smart);
    SetRadioSelection(&m_sizeGroup, m_settings.thumbnailSize != kDefaultThumbnailSize ? 1 : 0);
    // An unsigned number, as the box has always shown it (a negative size from a hand-edited
    // program included).
    m_ui->customSizeEdit->setText(QString::number(static_cast<unsigned>(m_settings.thumbnailSize)));
    UpdateEnabling();
    return true;
}

void CMavrenThumbnailOptionsDialog::accept() {
    const int choice = RadioSelection(&m_sizeGroup);
    // The box counts only while it is enabled; the default size ignores whatever it holds.
    int size = m_settings.thumbnailSize;
    if (m_ui->customSizeEdit->isEnabled() &&
        !ReadIntInRange(m_ui->customSizeEdit, 10, 1000, size)) {
        return;
    }
    m_settings.smart = CheckValue(m_ui->smartCheckBox);
    m_settings.thumbnailSize = choice == 1 ? size : kDefaultThumbnailSize;
    CVQDialog::accept();
}

void CMavrenThumbnailOptionsDialog::UpdateEnabling() {
    m_ui->customSizeEdit->setEnabled(RadioSelection(&m_sizeGroup) == 1);
}

void RunThumbnailOptions(QWidget* parent, ThumbnailSettings& settings) {
    CMavrenThumbnailOptionsDialog dialog(settings, parent);
    dialog.exec();
    // Both OK and Cancel end the dialog with a result; after Cancel the dialog still holds
    // what was handed in.
    settings = dialog.Settings();
}
