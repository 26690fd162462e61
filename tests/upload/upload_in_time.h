#pragma once

// Runs an upload on a thread of its own, as the front ends do, and gives it a minute: an
// upload that takes longer fails the test and is stopped, rather than hang the tests.

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "upload/upload_worker.h"

inline UploadOutcome RunUploadInTime(const UploadJob& job) {
    auto running = std::async(std::launch::async, [&job] { return RunUpload(job); });
    if (running.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ADD_FAILURE() << "the upload hangs";
        job.stop->Request();
    }
    return running.get();
}
