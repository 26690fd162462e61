#include "ui/ftp_profile_dialog.h"

#include <algorithm>
#include <cstdint>

#include "platform/message_box.h"
#include "ui/control_values.h"
#include "ui_ftp_profile_dialog.h"
#include "upload/ftp_address.h"
#include "upload/upload_worker.h"

namespace {

constexpr std::int64_t kKilobyte = 1024;

// The limit in whole KB a second; a limit below 1 KB shows as 1, not as "No limit".
int RateLimitKilobytes(std::int64_t bytesPerSecond, int maximum) {
    if (bytesPerSecond <= 0) {
        return 0;
    }
    const std::int64_t kilobytes = (bytesPerSecond + kKilobyte / 2) / kKilobyte;
    return static_cast<int>(std::clamp<std::int64_t>(kilobytes, 1, maximum));
}

}  // namespace

CMavrenFtpProfileDialog::CMavrenFtpProfileDialog(const FtpProfile& profile, QWidget* parent)
    : CVQDialog(parent), m_ui(std::make_unique<Ui::FtpProfileDialog>()), m_profile(profile) {
    m_ui->setupUi(this);
    for (const FtpProtocol protocol : {FtpProtocol::Ftp, FtpProtocol::Ftps, FtpProtocol::Sftp}) {
        m_ui->protocolCombo->addItem(QString::fromUtf8(FtpProtocolCaption(protocol)),
                                     static_cast<int>(protocol));
    }
    connect(m_ui->saveButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->forgetCertificateButton, &QPushButton::clicked, this,
            [this] { ForgetCertificate(); });
}

CMavrenFtpProfileDialog::~CMavrenFtpProfileDialog() = default;

bool CMavrenFtpProfileDialog::OnInitDialog() {
    if (!CVQDialog::OnInitDialog()) {
        return false;
    }
    ShowText(m_ui->profileNameEdit, m_profile.name);
    ShowText(m_ui->hostEdit, m_profile.host);
    ShowText(m_ui->usernameEdit, m_profile.username);
    ShowText(m_ui->passwordEdit, m_profile.password);
    ShowText(m_ui->directoryEdit, m_profile.directory);
    m_ui->protocolCombo->setCurrentIndex(
        m_ui->protocolCombo->findData(static_cast<int>(m_profile.protocol)));
    m_ui->connectionsSpinBox->setMaximum(kMaxUploadConnections);
    m_ui->connectionsSpinBox->setValue(m_profile.connections);
    m_shownRateLimit = RateLimitKilobytes(m_profile.rateLimit, m_ui->rateLimitSpinBox->maximum());
    m_ui->rateLimitSpinBox->setValue(m_shownRateLimit);
    const std::string pinned = m_profile.name.empty() ? "" : FtpProfileCertificate(m_profile.name);
    m_pinnedName = pinned.empty() ? "" : m_profile.name;
    m_ui->certificateValue->setText(QStringLiteral("SHA-256 ") + QString::fromStdString(pinned));
    for (QWidget* widget : {static_cast<QWidget*>(m_ui->certificateLabel),
                            static_cast<QWidget*>(m_ui->certificateValue),
                            static_cast<QWidget*>(m_ui->forgetCertificateButton)}) {
        widget->setVisible(!pinned.empty());
    }
    m_ui->profileNameEdit->setFocus(Qt::OtherFocusReason);
    return true;
}

void CMavrenFtpProfileDialog::accept() {
    FtpProfile edited = m_profile;
    ReadText(m_ui->profileNameEdit, edited.name);
    ReadText(m_ui->hostEdit, edited.host);
    ReadText(m_ui->usernameEdit, edited.username);
    ReadText(m_ui->passwordEdit, edited.password);
    ReadText(m_ui->directoryEdit, edited.directory);
    edited.protocol = static_cast<FtpProtocol>(m_ui->protocolCombo->currentData().toInt());
    edited.connections = m_ui->connectionsSpinBox->value();
    if (m_ui->rateLimitSpinBox->value() != m_shownRateLimit) {
        edited.rateLimit = m_ui->rateLimitSpinBox->value() * kKilobyte;
    }

    FtpProfileField firstMissing = FtpProfileField::None;
    const std::string missing = MissingFtpProfileFields(edited, firstMissing);
    if (!missing.empty()) {
        ShowMessageBox(missing, MB_OK | MB_ICONSTOP);
        FieldEdit(firstMissing)->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The name becomes a key of the settings store, where some characters cannot go.
    if (const std::string problem = FtpProfileNameProblem(edited.name); !problem.empty()) {
        ShowMessageBox(problem, MB_OK | MB_ICONSTOP);
        m_ui->profileNameEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    // A host that names no server would only fail when the upload starts.
    FtpAddress address;
    if (std::string problem; !ParseFtpHost(edited.host, address, problem)) {
        ShowMessageBox(problem, MB_OK | MB_ICONSTOP);
        m_ui->hostEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_forgetCertificate) {
        ForgetFtpProfileCertificate(m_pinnedName);
    }
    m_profile = edited;
    CVQDialog::accept();
}

void CMavrenFtpProfileDialog::ForgetCertificate() {
    m_forgetCertificate = true;
    m_ui->certificateValue->setText(
        QStringLiteral("Forgotten when you press \"Save\"; the next upload asks about the "
                       "server's certificate again."));
    m_ui->forgetCertificateButton->setEnabled(false);
}

QLineEdit* CMavrenFtpProfileDialog::FieldEdit(FtpProfileField field) const {
    switch (field) {
        case FtpProfileField::Host:
            return m_ui->hostEdit;
        case FtpProfileField::Username:
            return m_ui->usernameEdit;
        case FtpProfileField::Password:
            return m_ui->passwordEdit;
        case FtpProfileField::Directory:
            return m_ui->directoryEdit;
        default:
            return m_ui->profileNameEdit;
    }
}
