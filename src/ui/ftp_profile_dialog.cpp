#include "ui/ftp_profile_dialog.h"

#include <algorithm>
#include <cstdint>

#include "platform/format.h"
#include "platform/message_box.h"
#include "ui/control_values.h"
#include "ui/worker_events.h"
#include "ui_ftp_profile_dialog.h"
#include "upload/ftp_address.h"
#include "upload/s3_profile_fields.h"
#include "upload/upload_connect.h"
#include "upload/upload_worker.h"
#include "work/settings_failures.h"

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

// Plain FTP shows the password to anyone on the way: the safer protocols come first, and a
// new profile starts with SFTP.
FtpProfile NewProfile() {
    FtpProfile profile;
    profile.protocol = FtpProtocol::Sftp;
    return profile;
}

}  // namespace

CMavrenFtpProfileDialog::CMavrenFtpProfileDialog(QWidget* parent)
    : CMavrenFtpProfileDialog(NewProfile(), parent) {}

CMavrenFtpProfileDialog::CMavrenFtpProfileDialog(const FtpProfile& profile, QWidget* parent)
    : CVQDialog(parent),
      m_ui(std::make_unique<Ui::FtpProfileDialog>()),
      m_profile(profile),
      m_receiver(std::make_shared<QtWorkerReceiver>(this)) {
    m_ui->setupUi(this);
    // Safer first: S3 over plain HTTP never sends the secret, plain FTP sends the password.
    for (const FtpProtocol protocol : {FtpProtocol::Sftp, FtpProtocol::Ftps, FtpProtocol::S3,
                                       FtpProtocol::S3Http, FtpProtocol::Ftp}) {
        m_ui->protocolCombo->addItem(QString::fromUtf8(FtpProtocolCaption(protocol)),
                                     static_cast<int>(protocol));
    }
    m_ftpCaptions = {m_ui->hostLabel->text(), m_ui->usernameLabel->text(),
                     m_ui->passwordLabel->text(), m_ui->directoryLabel->text()};
    connect(m_ui->protocolCombo, &QComboBox::currentIndexChanged, this,
            [this] { ShowProtocolFields(); });
    connect(m_ui->saveButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->forgetCertificateButton, &QPushButton::clicked, this,
            [this] { ForgetCertificate(); });
    connect(m_ui->testConnectionButton, &QPushButton::clicked, this, [this] { TestConnection(); });
}

CMavrenFtpProfileDialog::~CMavrenFtpProfileDialog() {
    if (m_testStop) {
        m_testStop->Request();
    }
    m_receiver->Detach();
}

bool CMavrenFtpProfileDialog::OnInitDialog() {
    if (!CVQDialog::OnInitDialog()) {
        return false;
    }
    ShowText(m_ui->profileNameEdit, m_profile.name);
    ShowText(m_ui->hostEdit, m_profile.host);
    ShowText(m_ui->usernameEdit, m_profile.username);
    ShowText(m_ui->passwordEdit, m_profile.password);
    ShowText(m_ui->directoryEdit, m_profile.directory);
    ShowText(m_ui->regionEdit, m_profile.region);
    m_ui->protocolCombo->setCurrentIndex(
        m_ui->protocolCombo->findData(static_cast<int>(m_profile.protocol)));
    ShowProtocolFields();
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

FtpProfile CMavrenFtpProfileDialog::Edited() const {
    FtpProfile edited = m_profile;
    ReadText(m_ui->profileNameEdit, edited.name);
    ReadText(m_ui->hostEdit, edited.host);
    ReadText(m_ui->usernameEdit, edited.username);
    ReadText(m_ui->passwordEdit, edited.password);
    ReadText(m_ui->directoryEdit, edited.directory);
    ReadText(m_ui->regionEdit, edited.region);
    edited.protocol = ChosenProtocol();
    edited.connections = m_ui->connectionsSpinBox->value();
    if (m_ui->rateLimitSpinBox->value() != m_shownRateLimit) {
        edited.rateLimit = m_ui->rateLimitSpinBox->value() * kKilobyte;
    }
    return edited;
}

void CMavrenFtpProfileDialog::accept() {
    const FtpProfile edited = Edited();
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
    FtpProfileField field = FtpProfileField::None;
    if (const std::string problem = S3ProfileProblem(edited, field); !problem.empty()) {
        ShowMessageBox(problem, MB_OK | MB_ICONSTOP);
        FieldEdit(field)->setFocus(Qt::OtherFocusReason);
        return;
    }
    // A host that names no server would only fail when the upload starts.
    if (const Expected<FtpAddress> address = ParseFtpHost(edited.host); !address.ok()) {
        ShowMessageBox(address.failure().text(), MB_OK | MB_ICONSTOP);
        m_ui->hostEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_forgetCertificate) {
        if (const Expected<bool> forgotten = ForgetFtpProfileCertificate(m_pinnedName);
            !forgotten.ok()) {
            TellSettingsWriteFailure(forgotten.failure());
        }
    }
    m_profile = edited;
    CVQDialog::accept();
}

void CMavrenFtpProfileDialog::done(int result) {
    if (m_testStop) {
        m_testStop->Request();  // its outcome would have no window to show in
    }
    CVQDialog::done(result);
}

FtpProtocol CMavrenFtpProfileDialog::ChosenProtocol() const {
    return static_cast<FtpProtocol>(m_ui->protocolCombo->currentData().toInt());
}

void CMavrenFtpProfileDialog::ShowProtocolFields() {
    const FtpProtocol protocol = ChosenProtocol();
    const bool s3 = IsObjectStorage(protocol);
    m_ui->plainFtpWarning->setVisible(protocol == FtpProtocol::Ftp);
    m_ui->plainHttpWarning->setVisible(protocol == FtpProtocol::S3Http);
    for (QWidget* widget :
         {static_cast<QWidget*>(m_ui->s3Note), static_cast<QWidget*>(m_ui->regionLabel),
          static_cast<QWidget*>(m_ui->regionEdit)}) {
        widget->setVisible(s3);
    }
    const struct {
        QLabel* label;
        QLineEdit* edit;
        const char* caption;
        const char* example;
    } fields[] = {
        {m_ui->hostLabel, m_ui->hostEdit, "&Endpoint", "s3.eu-west-1.amazonaws.com"},
        {m_ui->usernameLabel, m_ui->usernameEdit, "&Access key ID", ""},
        {m_ui->passwordLabel, m_ui->passwordEdit, "Secret access &key", ""},
        {m_ui->directoryLabel, m_ui->directoryEdit, "&Bucket/prefix", "my-site or my-site/photos"},
    };
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        fields[i].label->setText(s3 ? QString::fromUtf8(fields[i].caption) : m_ftpCaptions[i]);
        fields[i].edit->setPlaceholderText(s3 ? QString::fromUtf8(fields[i].example) : QString());
    }
}

void CMavrenFtpProfileDialog::TestConnection() {
    if (m_testing) {
        return;
    }
    FtpProfile profile = Edited();
    QLabel* outcome = m_ui->connectionTestValue;
    FtpProfileField field = FtpProfileField::None;
    std::string problem = S3ProfileProblem(profile, field);
    if (const Expected<FtpAddress> address = ParseFtpHost(profile.host);
        problem.empty() && !address.ok()) {
        problem = address.failure().text();
    }
    if (!problem.empty()) {
        outcome->setText(QString::fromStdString(problem));
        return;
    }
    // A password typed here replaces one the secret store could not give.
    if (profile.password != m_profile.password) {
        profile.passwordProblem.clear();
    }
    UploadJob job = MakeUploadJob(profile, {}, m_receiver);
    m_testStop = job.stop;
    const auto work = [job, receiver = m_receiver] {
        Expected<std::unique_ptr<FtpClient>> connection = ConnectForUpload(job);
        std::string text;
        if (connection.ok()) {
            (*connection)->Close();
            text = StringPrintf("Connected to \"%s\" and logged in as \"%s\".", job.host.c_str(),
                                job.username.c_str());
        } else {
            text = ConnectFailureText(job.host, connection.failure().text(), job.protocol);
        }
        receiver->Post(WorkerMessage{WM_APP_WORK_DONE, connection.ok() ? 1 : 0, text, nullptr});
    };
    // The last test's thread may still be on its way out after posting its outcome.
    m_tester = WorkerThread();
    if (!m_tester.Start(work)) {
        outcome->setText(QStringLiteral("The test could not be started: no thread was free."));
        return;
    }
    m_testing = true;
    m_ui->testConnectionButton->setEnabled(false);
    outcome->setText(
        QString::fromStdString(StringPrintf("Connecting to \"%s\" ...", profile.host.c_str())));
}

void CMavrenFtpProfileDialog::customEvent(QEvent* event) {
    if (event->type() != WorkerEvent::EventType()) {
        CVQDialog::customEvent(event);
        return;
    }
    const WorkerMessage& message = static_cast<WorkerEvent*>(event)->Message();
    if (message.message == WM_APP_STATUS_TEXT) {
        m_ui->connectionTestValue->setText(QString::fromStdString(message.text));
    } else if (message.message == WM_APP_WORK_DONE) {
        m_testing = false;
        m_ui->testConnectionButton->setEnabled(true);
        m_ui->connectionTestValue->setText(QString::fromStdString(message.text));
    }
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
        case FtpProfileField::Region:
            return m_ui->regionEdit;
        default:
            return m_ui->profileNameEdit;
    }
}
