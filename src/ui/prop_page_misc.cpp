#include "ui/prop_page_misc.h"

#include "document/program.h"
#include "ui/control_values.h"
#include "ui/pickers.h"
#include "ui_prop_page_misc.h"

CMavrenProgPropPageMisc::CMavrenProgPropPageMisc(QWidget* parent)
    : CVQPropertyPage(parent), m_ui(std::make_unique<Ui::PropPageMisc>()) {
    m_ui->setupUi(this);
    m_gifGroup.addButton(m_ui->genericGifRadio, 0);
    m_gifGroup.addButton(m_ui->resizedGifRadio, 1);
    m_gifGroup.addButton(m_ui->gifFolderRadio, 2);
    // The folder box and its button stay usable whatever GIF handling is chosen.
    connect(m_ui->gifDirBrowseButton, &QToolButton::clicked, this, [this] {
        if (PickFolder(this, kGifFolderPick, RememberedFolder(kGifFolderPick), gifThumbnailDir)) {
            ShowText(m_ui->gifDirEdit, gifThumbnailDir);
        }
    });
}

CMavrenProgPropPageMisc::~CMavrenProgPropPageMisc() = default;

void CMavrenProgPropPageMisc::Load(const Program& program) {
    gifThumbnailType = program.GetInt(ProgramKey::MiscGifThumbnailType);
    gifThumbnailDir = program.GetText(ProgramKey::MiscGifThumbnailDir);
    includeMavrenLink = program.GetInt(ProgramKey::MiscIncludeMavrenLink);
}

void CMavrenProgPropPageMisc::Store(Program& program) const {
    program.SetInt(ProgramKey::MiscGifThumbnailType, gifThumbnailType);
    program.SetString(ProgramKey::MiscGifThumbnailDir, gifThumbnailDir);
    program.SetInt(ProgramKey::MiscIncludeMavrenLink, includeMavrenLink);
}

void CMavrenProgPropPageMisc::OnInitPage() {
    SetRadioSelection(&m_gifGroup, gifThumbnailType);
    ShowText(m_ui->gifDirEdit, gifThumbnailDir);
    SetCheckValue(m_ui->includeLinkCheckBox, includeMavrenLink);
    m_ui->includeLinkCheckBox->setEnabled(true);
}

bool CMavrenProgPropPageMisc::ReadControls() {
    gifThumbnailType = RadioSelection(&m_gifGroup);
    ReadText(m_ui->gifDirEdit, gifThumbnailDir);
    includeMavrenLink = CheckValue(m_ui->includeLinkCheckBox);
    return true;
}
