#include "upload/upload_connect.h"

#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "upload/ftp_connection.h"
#include "upload/ftp_profiles.h"
#include "upload/s3_connect.h"
#include "upload/sftp_connection.h"
#include "upload/ssh_host_keys.h"
#include "upload/upload_messages.h"
#include "work/settings_failures.h"

namespace {

bool AskToTrustCertificate(const UploadJob& job, const ConnectFailure& failure) {
    return ShowMessageBox(StringPrintf("%s\n\nThe certificate's SHA-256 fingerprint is\n%s\n\n"
                                       "If your host confirms this fingerprint, Mavren trusts this "
                                       "certificate for the profile '%s' from now on.\n\n"
                                       "Do you want to continue?",
                                       failure.text.c_str(), failure.fingerprint.c_str(),
                                       job.profileName.c_str()),
                          MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

bool AskToRecordHostKey(const UploadJob& job, const HostKeyCheck& key) {
    return ShowMessageBox(
               StringPrintf("The server \"%s\" is not known yet: it is not in %s.\n\n"
                            "Its host key fingerprint is\n%s (%s)\n\n"
                            "If your host confirms this fingerprint, Mavren records the key "
                            "there and connects.\n\nDo you want to continue?",
                            job.host.c_str(), key.knownHosts.c_str(), key.fingerprint.c_str(),
                            key.keyType.c_str()),
               MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

// name as a shell word: as it is when that is safe, else in single quotes.
std::string ShellWord(const std::string& name) {
    const bool plain = !name.empty() && name.find_first_not_of(
                                            "abcdefghijklmnopqrstuvwxyz"
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                            "0123456789._-+@%") == std::string::npos;
    return plain ? name : "'" + ReplaceAll(name, "'", "'\\''") + "'";
}

// A certificate other than the pinned one may be someone listening in: never a question,
// so --yes cannot take it either; trusting a new one takes a deliberate step. Short, so
// that the cut of a failure to 259 characters keeps the way out for long profile names.
std::string ChangedCertificateText(const UploadJob& job) {
    return StringPrintf(
        "The server's certificate is not the one you chose to trust. If your host "
        "confirms a new one, forget the old one "
        "(mavren-cli profile edit %s --forget-certificate, or the FTP Profile "
        "window) and upload again.",
        ShellWord(job.profileName).c_str());
}

}  // namespace

Expected<std::unique_ptr<FtpClient>> ConnectForUpload(const UploadJob& job) {
    if (!job.passwordProblem.empty()) {
        return Result::Failure(job.passwordProblem);  // rather than log in without it
    }
    if (IsObjectStorage(job.protocol)) {
        return ConnectS3(job);
    }
    ServerLogin login{job.host, job.username, job.password, {}};
    if (job.protocol == FtpProtocol::Ftps && !job.profileName.empty()) {
        login.certificate = FtpProfileCertificate(job.profileName);
    }
    const std::string knownHosts = UserKnownHostsFile();
    // At most one question: a server that fails again after a Yes is not asked about twice.
    bool asked = job.furtherConnection;
    bool warned = job.furtherConnection;  // about unreadable lines of known_hosts: once an upload
    for (;;) {
        ConnectFailure reason;
        HostKeyCheck hostKey;
        std::unique_ptr<FtpClient> connection;
        if (job.protocol == FtpProtocol::Sftp) {
            connection = SftpConnection::Open(SharedSession(), login, knownHosts, job.stop.get(),
                                              reason, hostKey);
            if (!warned && !hostKey.recorded.unreadable.empty()) {
                warned = true;
                PostStatusText(job.window,
                               UnreadableLinesText(knownHosts, hostKey.recorded.unreadable));
            }
        } else {
            connection = FtpConnection::Open(
                SharedSession(), login, job.protocol == FtpProtocol::Ftps, job.stop.get(), reason);
        }
        if (connection) {
            return connection;
        }
        if (reason.kind == ConnectFailure::Kind::ChangedCertificate) {
            return Result::Failure(ChangedCertificateText(job));
        }
        if (asked || IsStopRequested(job.stop)) {
            return reason.AsResult();
        }
        asked = true;
        if (reason.kind == ConnectFailure::Kind::UntrustedCertificate) {
            if (!AskToTrustCertificate(job, reason)) {
                return reason.AsResult();
            }
            login.certificate = reason.fingerprint;
            if (!job.profileName.empty()) {
                PostSettingsWriteFailure(
                    job.window, SetFtpProfileCertificate(job.profileName, reason.fingerprint));
            }
        } else if (reason.kind == ConnectFailure::Kind::UnknownHostKey) {
            if (!AskToRecordHostKey(job, hostKey)) {
                return reason.AsResult();
            }
            if (const Result recorded = RecordHostKey(hostKey); !recorded.ok()) {
                return Result::Failure(
                    "The host key could not be recorded in " + knownHosts + ": " + recorded.text(),
                    recorded.kind());
            }
        } else {
            return reason.AsResult();
        }
    }
}

std::string ConnectFailureText(const std::string& host, const std::string& failure,
                               FtpProtocol protocol) {
    return StringPrintf(IsObjectStorage(protocol)
                            ? "Failed to reach the storage at \"%s\"\n\nReason: %s"
                            : "Failed to open FTP connection to \"%s\"\n\nReason: %s",
                        host.c_str(), upload_run::Cut(failure).c_str());
}
