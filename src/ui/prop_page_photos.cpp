#include "ui/prop_page_photos.h"

#include <initializer_list>
#include <iterator>
#include <set>

#include "document/picture_program.h"
#include "document/program.h"
#include "generate/source_kind.h"
#include "ui/control_values.h"
#include "ui/program_exchange.h"
#include "ui/prop_page_content_opts.h"
#include "ui_prop_page_photos.h"

namespace {

constexpr int kVideoSizes[] = {480, 720, 1080};

}  // namespace

std::string PatternsWithVideos(const std::string& patterns, bool videos) {
    const std::string videoList = ";" + std::string(kVideoPatterns);
    std::string pictures = patterns;
    if (pictures.ends_with(videoList)) {
        pictures.resize(pictures.size() - videoList.size());
    }
    std::string customPattern;
    if (SourceTypeOfPattern(pictures, customPattern) != 0) {
        return patterns;
    }
    return videos ? pictures + videoList : pictures;
}

CMavrenProgPropPagePhotos::CMavrenProgPropPagePhotos(QWidget* parent)
    : CMavrenProgPropPage(parent), m_ui(std::make_unique<Ui::PropPagePhotos>()) {
    m_ui->setupUi(this);
    m_orderGroup.addButton(m_ui->byNameRadio, static_cast<int>(PhotoOrder::ByName));
    m_orderGroup.addButton(m_ui->oldestFirstRadio, static_cast<int>(PhotoOrder::OldestFirst));
    m_orderGroup.addButton(m_ui->newestFirstRadio, static_cast<int>(PhotoOrder::NewestFirst));
    for (QCheckBox* box : {m_ui->webCopiesCheckBox, m_ui->publishOriginalsCheckBox,
                           m_ui->originalsWithoutPlaceCheckBox, m_ui->videosCheckBox}) {
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
    exchange.Int(ProgramKey::PhotoVideos, m_settings.videos);
    exchange.Int(ProgramKey::PhotoVideoSize, m_settings.videoSize);
    if (exchange.IsLoading()) {
        m_loadedVideos = m_settings.videos;
    }
}

void CMavrenProgPropPagePhotos::KeepPatternsInStep(Program& program) const {
    if (m_settings.videos == m_loadedVideos) {
        return;
    }
    program.SetString(ProgramKey::SourceFileExtension,
                      PatternsWithVideos(program.GetText(ProgramKey::SourceFileExtension),
                                         m_settings.videos != 0));
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
    SetCheckValue(m_ui->videosCheckBox, m_settings.videos);
    ShowVideoSizes();
    UpdateEnabling();
}

// The sizes on offer, and a size the program was given elsewhere, so that it is kept.
void CMavrenProgPropPagePhotos::ShowVideoSizes() {
    std::set<int> sizes(std::begin(kVideoSizes), std::end(kVideoSizes));
    sizes.insert(m_settings.videoSize);
    m_ui->videoSizeCombo->clear();
    for (const int size : sizes) {
        m_ui->videoSizeCombo->addItem(QStringLiteral("%1p").arg(size), size);
    }
    m_ui->videoSizeCombo->setCurrentIndex(m_ui->videoSizeCombo->findData(m_settings.videoSize));
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
    m_settings.videos = CheckValue(m_ui->videosCheckBox);
    if (m_settings.videos != 0) {
        m_settings.videoSize = m_ui->videoSizeCombo->currentData().toInt();
    }
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
    const bool videos = m_ui->videosCheckBox->isChecked();
    m_ui->videoSizeLabel->setEnabled(videos);
    m_ui->videoSizeCombo->setEnabled(videos);
}
