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
        if (PickFolder(this, kSourceFolderPick, RememberedFolder(kSourceFolderPick),
                       m_settings.sourceDir)) {
            ShowText(m_ui->sourceDirEdit, m_settings.sourceDir);
        }
    });
    connect(m_ui->targetDirBrowseButton, &QToolButton::clicked, this, [this] {
        if (PickFolder(this, kTargetFolderPick, RememberedFolder(kTargetFolderPick),
                       m_settings.targetDir)) {
            ShowText(m_ui->targetDirEdit, m_settings.targetDir);
        }
    });
}

CMavrenProgPropPageGenOpts::~CMavrenProgPropPageGenOpts() = default;

void CMavrenProgPropPageGenOpts::Exchange(ProgramExchange& exchange) {
    exchange.Text(ProgramKey::SourceDir, m_settings.sourceDir);
    exchange.Text(ProgramKey::TargetDir, m_settings.targetDir);
    exchange.Int(ProgramKey::GenerateIndexPage, m_settings.generateIndexPage);
    exchange.Int(ProgramKey::GenerateContentPages, m_settings.generateContentPages);
}

void CMavrenProgPropPageGenOpts::OnInitPage() {
    ShowMembers();
}

bool CMavrenProgPropPageGenOpts::ReadControls() {
    ReadText(m_ui->sourceDirEdit, m_settings.sourceDir);
    ReadText(m_ui->targetDirEdit, m_settings.targetDir);
    m_settings.generateIndexPage = CheckValue(m_ui->generateIndexCheckBox);
    m_settings.generateContentPages = CheckValue(m_ui->generateContentCheckBox);
    return true;
}

void CMavrenProgPropPageGenOpts::ShowMembers() {
    ShowText(m_ui->sourceDirEdit, m_settings.sourceDir);
    ShowText(m_ui->targetDirEdit, m_settings.targetDir);
    SetCheckValue(m_ui->generateIndexCheckBox, m_settings.generateIndexPage);
    SetCheckValue(m_ui->generateContentCheckBox, m_settings.generateContentPages);
}
