#include "ui/label_options_dialog.h"

#include "ui/control_values.h"
#include "ui_label_options_dialog.h"

CMavrenLabelOptionsDialog::CMavrenLabelOptionsDialog(const LabelSettings& settings, QWidget* parent)
    : CVQDialog(parent), m_ui(std::make_unique<Ui::LabelOptionsDialog>()), m_settings(settings) {
    m_ui->setupUi(this);
    m_typeGroup.addButton(m_ui->standardLabelRadio, 0);
    m_typeGroup.addButton(m_ui->descriptionFileRadio, 1);
    m_typeGroup.addButton(m_ui->customLabelRadio, 2);
    // A choice is read at once; the page takes the values only when the dialog ends with OK.
    connect(&m_typeGroup, &QButtonGroup::idClicked, this, [this] {
        ReadControls();
        UpdateEnabling();
    });
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CMavrenLabelOptionsDialog::~CMavrenLabelOptionsDialog() = default;

bool CMavrenLabelOptionsDialog::OnInitDialog() {
    if (!CVQDialog::OnInitDialog()) {
        return false;
    }
    SetRadioSelection(&m_typeGroup, m_settings.labelType);
    ShowText(m_ui->customLabelEdit, m_settings.customLabel);
    UpdateEnabling();
    return true;
}

void CMavrenLabelOptionsDialog::accept() {
    ReadControls();
    CVQDialog::accept();
}

void CMavrenLabelOptionsDialog::ReadControls() {
    m_settings.labelType = RadioSelection(&m_typeGroup);
    ReadText(m_ui->customLabelEdit, m_settings.customLabel);
}

void CMavrenLabelOptionsDialog::UpdateEnabling() {
    const bool custom = RadioSelection(&m_typeGroup) == 2;
    m_ui->customLabelEdit->setEnabled(custom);
    if (custom) {
        m_ui->customLabelEdit->setFocus(Qt::OtherFocusReason);
    }
}

void RunLabelOptions(QWidget* parent, LabelSettings& settings) {
    CMavrenLabelOptionsDialog dialog(settings, parent);
    if (dialog.exec() == QDialog::Accepted) {
        settings = dialog.Settings();
    }
}
