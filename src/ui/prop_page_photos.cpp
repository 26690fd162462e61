#include "ui/prop_page_photos.h"

#include <initializer_list>

#include "document/picture_program.h"
#include "ui/control_values.h"
#include "ui/program_exchange.h"
#include "ui_prop_page_photos.h"

CMavrenProgPropPagePhotos::CMavrenProgPropPagePhotos(QWidget* parent)
    : CMavrenProgPropPage(parent), m_ui(std::make_unique<Ui::PropPagePhotos>()) {
    m_ui->setupUi(this);
    m_orderGroup.addButton(m_ui->byNameRadio, static_cast<int>(PhotoOrder::ByName));
    m_orderGroup.addButton(m_ui->oldestFirstRadio, static_cast<int>(PhotoOrder::OldestFirst));
    m_orderGroup.addButton(m_ui->newestFirstRadio, static_cast<int>(PhotoOrder::NewestFirst));
    connect(m_ui->webCopiesCheckBox, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
}

CMavrenProgPropPagePhotos::~CMavrenProgPropPagePhotos() = default;

void CMavrenProgPropPagePhotos::Exchange(ProgramExchange& exchange) {
    exchange.Int(ProgramKey::PhotoWebSize, webSize);
    exchange.Int(ProgramKey::PhotoWebQuality, webQuality);
    exchange.Int(ProgramKey::PhotoPublishOriginals, publishOriginals);
    exchange.Int(ProgramKey::PhotoKeepCameraData, keepCameraData);
    exchange.Int(ProgramKey::PhotoCameraCaptions, cameraCaptions);
    exchange.Int(ProgramKey::PhotoOrder, order);
    exchange.Int(ProgramKey::IncludeSubfolders, includeSubfolders);
}

void CMavrenProgPropPagePhotos::OnInitPage() {
    SetCheckValue(m_ui->webCopiesCheckBox, webSize > 0 ? 1 : 0);
    // Ticking the box later starts from the size new picture programs get.
    m_ui->webSizeSpinBox->setValue(webSize > 0 ? webSize : kNewProgramWebSize);
    m_ui->webQualitySpinBox->setValue(webQuality);
    SetCheckValue(m_ui->publishOriginalsCheckBox, publishOriginals);
    SetCheckValue(m_ui->keepCameraDataCheckBox, keepCameraData);
    SetCheckValue(m_ui->cameraCaptionsCheckBox, cameraCaptions);
    SetRadioSelection(&m_orderGroup, order);
    SetCheckValue(m_ui->albumsCheckBox, includeSubfolders);
    UpdateEnabling();
}

bool CMavrenProgPropPagePhotos::ReadControls() {
    const bool webCopies = m_ui->webCopiesCheckBox->isChecked();
    webSize = webCopies ? m_ui->webSizeSpinBox->value() : 0;
    // A number box the user cannot reach keeps the program's value, even one outside its
    // range.
    if (webCopies) {
        webQuality = m_ui->webQualitySpinBox->value();
    }
    publishOriginals = CheckValue(m_ui->publishOriginalsCheckBox);
    keepCameraData = CheckValue(m_ui->keepCameraDataCheckBox);
    cameraCaptions = CheckValue(m_ui->cameraCaptionsCheckBox);
    if (const int chosen = RadioSelection(&m_orderGroup); chosen >= 0) {
        order = chosen;
    }
    includeSubfolders = CheckValue(m_ui->albumsCheckBox);
    return true;
}

void CMavrenProgPropPagePhotos::UpdateEnabling() {
    const bool webCopies = m_ui->webCopiesCheckBox->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ui->webSizeLabel, m_ui->webSizeSpinBox, m_ui->webQualityLabel,
             m_ui->webQualitySpinBox, m_ui->publishOriginalsCheckBox,
             m_ui->keepCameraDataCheckBox}) {
        control->setEnabled(webCopies);
    }
}
