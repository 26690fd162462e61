#include "ui/new_folder_dialog.h"

#include <sys/stat.h>

#include <QPushButton>
#include <cerrno>

#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/xdg_folders.h"
#include "ui/control_values.h"
#include "ui_new_folder_dialog.h"

CMavrenNewFolderDialog::CMavrenNewFolderDialog(const NewFolderSettings& settings, QWidget* parent)
    : CVQDialog(parent), m_ui(std::make_unique<Ui::NewFolderDialog>()), m_settings(settings) {
    m_ui->setupUi(this);
    QPushButton* create = m_ui->buttonBox->button(QDialogButtonBox::Ok);
    create->setText(QStringLiteral("&Create"));
    create->setDefault(true);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SetPlacementName(QStringLiteral("NewFolder"));
}

CMavrenNewFolderDialog::~CMavrenNewFolderDialog() = default;

bool CMavrenNewFolderDialog::OnInitDialog() {
    if (!CVQDialog::OnInitDialog()) {
        return false;
    }
    if (m_settings.currentFolder.empty()) {
        m_settings.currentFolder = HomeFolder();
    }
    m_ui->currentFolderLabel->setText(QString::fromStdString(m_settings.currentFolder));
    ShowText(m_ui->newFolderEdit, m_settings.newFolder);
    m_ui->newFolderEdit->setFocus(Qt::OtherFocusReason);
    return true;
}

void CMavrenNewFolderDialog::accept() {
    ReadText(m_ui->newFolderEdit, m_settings.newFolder);
    if (m_settings.newFolder.empty()) {
        ShowMessageBox("Folders must have name.", MB_OK | MB_ICONSTOP);
        m_ui->newFolderEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    const std::string path = m_settings.newFolder.front() == '/'
                                 ? m_settings.newFolder
                                 : JoinPath(m_settings.currentFolder, m_settings.newFolder);
    if (::mkdir(path.c_str(), 0777) != 0) {
        const int error = errno;
        ShowMessageBox(StringPrintf("Cannot create directory '%s'\n\n%s", path.c_str(),
                                    ErrorCodeText(error).c_str()),
                       MB_OK | MB_ICONSTOP);
        m_ui->newFolderEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_settings.newFolder = path;
    CVQDialog::accept();
}
