#include "ui/prop_page_gen_opts.h"

#include "ui/control_values.h"
#include "ui/pickers.h"
#include "ui/program_exchange.h"
#include "ui_prop_page_gen_opts.h"

CMavrenProgPropPageGenOpts::CMavrenProgPropPageGenOpts(QWidget* parent)
    : CMavrenProgPropPage(parent), m_ui(std::make_unique<Ui::PropPageGenOpts>()) {
    m_ui->setupUi(this);
    // A picked folder replaces only its own box; typing in the other box stays.
    connect(m_ui->sourceDirBrowseButton, &QToolButton::clicked, this, [this] {
        if (PickFolder(this, kSourceFolderPick, RememberedFolder(kSourceFolderPick), sourceDir)) {
            ShowText(m_ui->sourceDirEdit, sourceDir);
        }
    });
    connect(m_ui->targetDirBrowseButton, &QToolButton::clicked, this, [this] {
        if (PickFolder(this, kTargetFolderPick, RememberedFolder(kTargetFolderPick), targetDir)) {
            ShowText(m_ui->targetDirEdit, targetDir);
        }
    });
}

CMavrenProgPropPageGenOpts::~CMavrenProgPropPageGenOpts() = default;

void CMavrenProgPropPageGenOpts::Exchange(ProgramExchange& exchange) {
    exchange.Text(ProgramKey::SourceDir, sourceDir);
    exchange.Text(ProgramKey::TargetDir, targetDir);
    exchange.Int(ProgramKey::GenerateIndexPage, generateIndexPage);
    exchange.Int(ProgramKey::GenerateContentPages, generateContentPages);
}

void CMavrenProgPropPageGenOpts::OnInitPage() {
    ShowMembers();
}

bool CMavrenProgPropPageGenOpts::ReadControls() {
    ReadText(m_ui->sourceDirEdit, sourceDir);
    ReadText(m_ui->targetDirEdit, targetDir);
    generateIndexPage = CheckValue(m_ui->generateIndexCheckBox);
    generateContentPages = CheckValue(m_ui->generateContentCheckBox);
    return true;
}

void CMavrenProgPropPageGenOpts::ShowMembers() {
    ShowText(m_ui->sourceDirEdit, sourceDir);
    ShowText(m_ui->targetDirEdit, targetDir);
    SetCheckValue(m_ui->generateIndexCheckBox, generateIndexPage);
    SetCheckValue(m_ui->generateContentCheckBox, generateContentPages);
}
