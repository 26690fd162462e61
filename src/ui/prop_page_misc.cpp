#include "ui/prop_page_misc.h"

#include "ui/control_values.h"
#include "ui/pickers.h"
#include "ui/program_exchange.h"
#include "ui_prop_page_misc.h"

CMavrenProgPropPageMisc::CMavrenProgPropPageMisc(QWidget* parent)
    : CMavrenProgPropPage(parent), m_ui(std::make_unique<Ui::PropPageMisc>()) {
    m_ui->setupUi(this);
    m_gifGroup.addButton(m_ui->genericGifRadio, 0);
    m_gifGroup.addButton(m_ui->resizedGifRadio, 1);
    m_gifGroup.addButton(m_ui->gifFolderRadio, 2);
    m_gifGroup.addButton(m_ui->firstFrameGifRadio, kGifThumbnailOfFirstFrame);
    // The folder box and its button stay usable whatever GIF handling is chosen.
    connect(m_ui->gifDirBrowseButton, &QToolButton::clicked, this, [this] {
        if (PickFolder(this, kGifFolderPick, RememberedFolder(kGifFolderPick),
                       m_settings.gifThumbnailDir)) {
            ShowText(m_ui->gifDirEdit, m_settings.gifThumbnailDir);
        }
    });
}

CMavrenProgPropPageMisc::~CMavrenProgPropPageMisc() = default;

void CMavrenProgPropPageMisc::Exchange(ProgramExchange& exchange) {
    exchange.Int(ProgramKey::MiscGifThumbnailType, m_settings.gifThumbnailType);
    exchange.Text(ProgramKey::MiscGifThumbnailDir, m_settings.gifThumbnailDir);
    exchange.Int(ProgramKey::MiscIncludeMavrenLink, m_settings.includeMavrenLink);
}

void CMavrenProgPropPageMisc::OnInitPage() {
    SetRadioSelection(&m_gifGroup, m_settings.gifThumbnailType);
    ShowText(m_ui->gifDirEdit, m_settings.gifThumbnailDir);
    SetCheckValue(m_ui->includeLinkCheckBox, m_settings.includeMavrenLink);
    m_ui->includeLinkCheckBox->setEnabled(true);
}

bool CMavrenProgPropPageMisc::ReadControls() {
    m_settings.gifThumbnailType = RadioSelection(&m_gifGroup);
    ReadText(m_ui->gifDirEdit, m_settings.gifThumbnailDir);
    m_settings.includeMavrenLink = CheckValue(m_ui->includeLinkCheckBox);
    return true;
}
