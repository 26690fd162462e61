#pragma once

// The FTP Profile dialog: one profile's name, host, user name, password (shown masked),
// remote folder and protocol (SFTP, FTP with TLS, S3-compatible storage over HTTPS and over
// HTTP, FTP, with a warning under plain FTP and plain HTTP), and
// what its uploads may use (the connections at once, a rate limit in KB a second or "No
// limit"), for a new profile (empty fields, SFTP, the default connections and no limit) or one
// being edited. For S3 the fields read "Endpoint", "Access key ID", "Secret access key" and
// "Bucket/prefix", a region field shows, and a line names the services it works with.
// "Save" checks that name, host and user name (and for S3 the bucket) are filled in, lists
// what is missing in a stop box and puts the focus on the first missing field; an S3
// profile's endpoint, bucket name and region are checked as mavren-cli checks them; only a
// complete profile closes the dialog with OK. The caller hands in the
// profile, runs the dialog and takes Profile() back after OK; Cancel leaves it alone. When the
// profile trusts an FTPS server certificate, the dialog shows its fingerprint with "Forget
// Certificate"; the pin is forgotten (in the settings store, at once) when the dialog is saved, so
// that the next upload asks about the server's certificate again.
//
// "Test connection" logs in with what the fields hold, as an upload would (asking the same
// questions about a server not trusted yet), on a worker thread, and shows the outcome
// beside the button; a press while a test runs does nothing. The worker knows the dialog
// only through a receiver, which the dialog detaches when it goes; a test still running
// then is asked to stop and ends by itself. GUI thread only.

#include <QString>
#include <array>
#include <memory>

#include "platform/worker_thread.h"
#include "ui/vq_dialog.h"
#include "upload/ftp_profiles.h"
#include "work/stop_flag.h"

namespace Ui {
class FtpProfileDialog;
}

class QLineEdit;
class QtWorkerReceiver;

class CMavrenFtpProfileDialog final : public CVQDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenFtpProfileDialog)

  public:
    // A new profile.
    explicit CMavrenFtpProfileDialog(QWidget* parent = nullptr);
    // A profile to edit.
    explicit CMavrenFtpProfileDialog(const FtpProfile& profile, QWidget* parent = nullptr);
    ~CMavrenFtpProfileDialog() override;

    // The profile as handed in, or as the user saved it after OK.
    const FtpProfile& Profile() const { return m_profile; }

  protected:
    bool OnInitDialog() override;
    void accept() override;
    void done(int result) override;
    void customEvent(QEvent* event) override;

  private:
    // The profile as the fields hold it.
    FtpProfile Edited() const;
    QLineEdit* FieldEdit(FtpProfileField field) const;
    void ForgetCertificate();
    FtpProtocol ChosenProtocol() const;
    // The warnings, captions and fields that go with the chosen protocol.
    void ShowProtocolFields();
    void TestConnection();

    const std::unique_ptr<Ui::FtpProfileDialog> m_ui;
    FtpProfile m_profile;
    std::array<QString, 4> m_ftpCaptions;  // of host, user name, password and directory
    std::string m_pinnedName;              // the profile whose pin the dialog shows; empty for none
    bool m_forgetCertificate = false;
    // The rate limit as first shown, rounded to KB: the profile's exact limit (set in bytes
    // by mavren-cli) stays unless the user changes the box.
    int m_shownRateLimit = 0;
    std::shared_ptr<QtWorkerReceiver> m_receiver;
    std::shared_ptr<StopFlag> m_testStop;  // of the test that runs or ran last
    WorkerThread m_tester;
    bool m_testing = false;  // from the press until the outcome is shown
};
