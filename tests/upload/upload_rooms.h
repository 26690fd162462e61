#pragma once

// What a test of one part of an upload run (the check, the sending, the deletion) needs
// around it: a site folder, a server in memory, the job, and where the part reports.

#include <memory>
#include <string>

#include "support/recording_receiver.h"
#include "support/test_support.h"
#include "upload/fake_ftp.h"
#include "upload/kept_files.h"
#include "upload/upload_messages.h"
#include "upload/upload_tally.h"
#include "upload/upload_worker.h"

struct UploadRoom {
    UploadRoom() {
        server->folders.insert("/www");
        job.connections = 1;  // the server in memory belongs to one thread
        job.report = [this](UploadAction action, const std::string& path, std::int64_t) {
            reports.push_back((action == UploadAction::Send ? "send " : "other ") + path);
        };
    }

    TempDir site;
    std::shared_ptr<FakeFtpServer> server = std::make_shared<FakeFtpServer>();
    std::shared_ptr<RecordingReceiver> receiver = std::make_shared<RecordingReceiver>();
    UploadJob job{"ftp.example.com", "ann", "pw", site.path(), "/www", receiver};
    std::vector<std::string> reports;
    upload_run::UploadMessages messages{job};
    UploadTally tally{false};
    upload_run::KeptFiles kept;
    ScopedScriptedBoxes boxes;
};
