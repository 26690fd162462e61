#pragma once

// Opening the connection of an upload: FTP, FTPS, SFTP or S3 (s3_connect.h) as the job's protocol
// says, logged in, with the upload's stop flag in force. A server that is not trusted yet (an FTPS
// certificate that fails the check, an SFTP host key missing from known_hosts) is not given the
// password: the user is asked once, with the fingerprint in the question, and a Yes pins the
// certificate to the profile or records the host key, then connects again. A server whose
// certificate differs from the pinned one, or whose host key differs from the recorded one, is
// refused without a question: the user trusts a new one on purpose, outside the upload. Runs on the
// upload's worker thread; the question is a box of that thread. A further connection of an upload
// (the job says so) asks nothing: the first one did, and a refusal now is a refusal.

#include <memory>
#include <string>

#include "platform/expected.h"
#include "upload/ftp_client.h"
#include "upload/upload_worker.h"

// A logged-in connection for the job, or why there is none: of kind Refused when the server
// refused the login.
Expected<std::unique_ptr<FtpClient>> ConnectForUpload(const UploadJob& job);

// What the user is told when a connection to host could not be opened, failure (the
// reason ConnectForUpload gave) cut to the length a box takes. Object storage is not
// called an FTP connection.
std::string ConnectFailureText(const std::string& host, const std::string& failure,
                               FtpProtocol protocol = FtpProtocol::Ftp);
