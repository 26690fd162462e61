#pragma once

// The upload worker: copies a generated site (a folder with all its subfolders) to a
// server over FTP, FTPS or SFTP, into the profile's remote folder, mirroring the
// subfolders there. It checks every file first, on one connection, and makes the missing
// folders on the way; then it sends what changed over several connections at once (the
// job's count; a server that takes fewer logins leaves it to those it took).
//
// What changed is told by the record of the last upload (upload_record.h): a file goes
// when the record lacks it, its size or content differs from what was sent, or the
// server's listing gives another size than was sent; the server's clock plays no part.
// Without a record, or with fullCheck, a file goes unless the server's copy has the same
// size and is not older. Each upload leaves a record of the files the server has for
// certain, even one that ended early.
//
// A file whose connection is lost or times out is tried again on a fresh connection, up
// to three times after a growing pause. A file over 1 MB of which the server kept a part
// goes on from there only when that part is what this upload sent of the file as it still
// is (same size, times and inode locally; on the server not the copy it had before, and
// the same bytes by the server's hash or by its end read back); otherwise it goes whole.
// Every file's size on the server must then be the size sent: a resumed one is checked at
// once (its end or hash too), the others in one listing of each folder, which each
// connection makes at least every 30 seconds and at its end. A file the server kept
// otherwise, or that changed locally while it was sent, goes again whole, and only a file
// that passed enters the record. A rate limit holds all connections together. What the walk of the
// site leaves out (upload_walk.h: links out of it, names no server takes) gets a status
// line each and is not touched on the server. When the job asks for the site only, the
// folder's other files stay at home, and the server's copies of them count as files the
// site does not have. A folder whose listing broke off ends the upload as a failure,
// after the rest was sent, and nothing is deleted then.
//
// The remote folder is the profile's folder as written, a relative one taken from the
// folder the server logged in to; every later change of folder names the full path, so a
// server that misreports its current folder cannot lead the upload elsewhere (and one
// that does so after the first change is not trusted with deletions).
//
// On request it then deletes what the server has below that folder and the site no
// longer has (upload_mirror.h says what is never touched), once every file was sent and
// every listing came back whole, and only after asking; a deletion of more files than the
// job's limit is refused, or in the desktop program asked about with No as the answer
// offered. A dry run only tells what it would do. It reports to the job's window with
// the worker messages and shows its own boxes on its own thread.
//
// RunUpload runs on a worker thread, once per upload, and starts a thread of its own for
// each connection after the first (the connector is called on those threads). The front
// end fills the job before the thread starts and does not touch it afterwards, except for the
// job's stop flag, which it sets to ask for a stop; the worker polls it before each file, before
// each block of a file, between the size sums and while it waits for the server; a stop during a
// file resets the connection at once, so the server keeps the part it received and nothing more.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/expected.h"
#include "upload/ftp_client.h"
#include "upload/remote_protocol.h"
#include "work/stop_flag.h"
#include "work/worker_messages.h"

struct FtpProfile;

// What an upload does, or in a dry run would do, with one file or folder (relative
// path, a folder with a trailing "/"); bytes: the size of a file to send, else 0.
// LeaveOut: a file of the folder that is not part of the site, when only the site goes.
enum class UploadAction { Send, Skip, Delete, LeaveOut };
using UploadActionReport =
    std::function<void(UploadAction action, const std::string& path, std::int64_t bytes)>;

// The most connections one upload opens to a server.
inline constexpr int kMaxUploadConnections = 16;

// How many files one upload's deletion may take: by default at most 50, and at most a
// quarter of the files the server listed; or at most count; or any number.
struct DeleteLimit {
    enum class Kind { Default, AtMost, None };
    Kind kind = Kind::Default;
    std::int64_t count = 0;
};

struct UploadJob {
    std::string host;  // "ftp.example.com" or "ftp.example.com:2121"
    std::string username;
    std::string password;
    std::string localFolder;   // the program's target folder
    std::string remoteFolder;  // the profile's directory; empty for the login folder
    std::shared_ptr<WorkerMessageReceiver> window;  // where every report goes
    // Set by the front end to stop the upload; shared, so it outlives either side.
    std::shared_ptr<StopFlag> stop = std::make_shared<StopFlag>();
    FtpProtocol protocol = FtpProtocol::Ftp;
    std::string region = {};           // S3: the region requests are signed for; empty for
                                       // kDefaultS3Region
    std::string profileName = {};      // where a trusted certificate is pinned
    std::string passwordProblem = {};  // why the profile's password could not be read
    bool deleteExtra = false;          // remove what the site no longer has, after asking
    bool dryRun = false;               // change nothing; only report what would be done
    UploadActionReport report = {};    // called on the worker's thread; may be empty
    DeleteLimit deleteLimit = {};
    bool askAboveLimit = false;    // ask (No offered) instead of refusing above the limit
    std::string limitAdvice = {};  // how to allow more, added to a refusal
    int connections = 4;           // transfers at once, 1 to kMaxUploadConnections
    std::int64_t rateLimit = 0;    // bytes a second for the whole upload; 0 for no limit
    bool fullCheck = false;        // ignore the record of the last upload
    // When set, only the site goes (site_files.h), not the rest of the folder: the folder
    // is also where the user keeps the sources, and private files beside them. Tells
    // whether the file at a path is a page Mavren wrote; called on the worker's thread.
    std::function<bool(const std::string& path)> onlySite = {};
    // A further connection of an upload that has one: it asks no questions and repeats no
    // warnings, which the first connection did.
    bool furtherConnection = false;
};

// The job for uploading localFolder with a profile's values.
UploadJob MakeUploadJob(const FtpProfile& profile, const std::string& localFolder,
                        std::shared_ptr<WorkerMessageReceiver> window);

// How an upload ended; the status texts tell the kind of failure.
enum class UploadOutcome {
    Finished,  // every file sent or skipped: "Done."
    Failed,    // a local or FTP failure, reported in a box or an error text
    Canceled,  // stopped on request
};

// Opens a logged-in connection for the job, or gives why it could not: of kind Refused when
// the server refused the login.
using FtpConnector = std::function<Expected<std::unique_ptr<FtpClient>>(const UploadJob& job)>;

// Uploads with a connection of the job's protocol over the shared Internet session.
UploadOutcome RunUpload(const UploadJob& job);

// Uploads with connections that connect makes.
UploadOutcome RunUpload(const UploadJob& job, const FtpConnector& connect);

// Creates each level of the relative path below the server's current folder (a path
// that starts with "/" from the server's root), changing into each, then goes back to
// the folder it started in. Fails with the failure of the step that failed; the server's
// folder then stays where the walk stopped. A level that another client made meanwhile (its
// creation refused, yet it can be entered) is there to go into, and is not reported in made.
// made (when given) gets the part of path up to each level it created ("a", "a/b").
Result CreateRemotePath(FtpClient& connection, const std::string& path,
                        std::vector<std::string>* made = nullptr);
