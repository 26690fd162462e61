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
    for (QCheckBox* box : {m_ui->webCopiesCheckBox, m_ui->publishOriginalsCheckBox,
                           m_ui->originalsWithoutPlaceCheckBox}) {
        connect(box, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
    }
}

CMavrenProgPropPagePhotos::~CMavrenProgPropPagePhotos() = default;

void CMavrenProgPropPagePhotos::Exchange(ProgramExchange& exchange) {
    exchange.Int(ProgramKey::PhotoWebSize, m_settings.webSize);
    exchange.Int(ProgramKey::PhotoWebQuality, m_settings.webQuality);
    exchange.Int(ProgramKey::PhotoPublishOriginals, m_settings.publishOriginals);
    exchange.Int(ProgramKey::PhotoOriginalsWithoutPlace, m_settings.originalsWithoutPlace);
    exchange.Int(ProgramKey::PhotoKeepCameraData, m_settings.keepCameraData);
    exchange.Int(ProgramKey::PhotoCameraCaptions, m_settings.cameraCaptions);
    exchange.Int(ProgramKey::PhotoOrder, m_settings.order);
    exchange.Int(ProgramKey::IncludeSubfolders, m_settings.includeSubfolders);
}

void CMavrenProgPropPagePhotos::OnInitPage() {
    SetCheckValue(m_ui->webCopiesCheckBox, m_settings.webSize > 0 ? 1 : 0);
    // Ticking the box later starts from the size new picture programs get.
    m_ui->webSizeSpinBox->setValue(m_settings.webSize > 0 ? m_settings.webSize
                                                          : kNewProgramWebSize);
    m_ui->webQualitySpinBox->setValue(m_settings.webQuality);
    SetCheckValue(m_ui->publishOriginalsCheckBox, m_settings.publishOriginals);
    SetCheckValue(m_ui->originalsWithoutPlaceCheckBox, m_settings.originalsWithoutPlace);
    SetCheckValue(m_ui->keepCameraDataCheckBox, m_settings.keepCameraData);
    SetCheckValue(m_ui->cameraCaptionsCheckBox, m_settings.cameraCaptions);
    SetRadioSelection(&m_orderGroup, m_settings.order);
    SetCheckValue(m_ui->albumsCheckBox, m_settings.includeSubfolders);
    UpdateEnabling();
}

bool CMavrenProgPropPagePhotos::ReadControls() {
    const bool webCopies = m_ui->webCopiesCheckBox->isChecked();
    m_settings.webSize = webCopies ? m_ui->webSizeSpinBox->value() : 0;
    // A number box the user cannot reach keeps the program's value, even one outside its
    // range.
    if (webCopies) {
        m_settings.webQuality = m_ui->webQualitySpinBox->value();
    }
    m_settings.publishOriginals = CheckValue(m_ui->publishOriginalsCheckBox);
    m_settings.originalsWithoutPlace = CheckValue(m_ui->originalsWithoutPlaceCheckBox);
    m_settings.keepCameraData = CheckValue(m_ui->keepCameraDataCheckBox);
    m_settings.cameraCaptions = CheckValue(m_ui->cameraCaptionsCheckBox);
    if (const int chosen = RadioSelection(&m_orderGroup); chosen >= 0) {
        m_settings.order = chosen;
    }
    m_settings.includeSubfolders = CheckValue(m_ui->albumsCheckBox);
    return true;
}

void CMavrenProgPropPagePhotos::UpdateEnabling() {
    const bool webCopies = m_ui->webCopiesCheckBox->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ui->webSizeLabel, m_ui->webSizeSpinBox, m_ui->webQualityLabel,
             m_ui->webQualitySpinBox, m_ui->keepCameraDataCheckBox}) {
        control->setEnabled(webCopies);
    }
    // Without web copies a withheld original is still shown, as a clean copy.
    const bool published = m_ui->publishOriginalsCheckBox->isChecked();
    m_ui->originalsWithoutPlaceCheckBox->setEnabled(published);
    m_ui->originalsPlaceLabel->setVisible(published &&
                                          !m_ui->originalsWithoutPlaceCheckBox->isChecked());
}
