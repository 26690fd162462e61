#pragma once

// An FTP server in memory for the upload worker's tests, with the failures a real server
// rarely produces on demand: a write that fails after so many bytes, a close that fails,
// a file that cannot be opened, a folder that cannot be made, a listing that breaks off.
// The test keeps the FakeFtpServer; the worker gets FakeFtp connections to it. Folders are
// absolute paths ("/", "/www/a"). One thread.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "upload/ftp_client.h"
#include "upload/upload_worker.h"

struct FakeFtpServer {
    struct File {
        std::string bytes;
        std::time_t time = 0;
        bool closed = false;
    };

    // Failures to inject.
    long long failWriteAfter = -1;  // bytes of a file accepted before Write fails
    int loseWrites = 0;             // writes that lose the connection, one each
    bool failClose = false;
    std::set<std::string> unopenable;      // file names
    std::set<std::string> unmakeable;      // folder names as given to MKD
    std::set<std::string> brokenListings;  // folders (absolute) listed only in part
    std::time_t now = 2000000000;          // the time written files get
    int cancelAfterWrites = -1;            // asks the upload to stop after so many writes
    std::shared_ptr<StopFlag> stop;        // the upload's flag, for cancelAfterWrites

    std::vector<std::size_t> writes;  // the size of each block written

    std::string current = "/";
    std::set<std::string> folders = {"/"};
    std::map<std::string, File> files;  // by absolute path
    std::vector<std::string> log;       // "CWD a", "MKD a", "OPEN /a/x", "CLOSE /a/x", "QUIT"
    int connections = 0;

    std::string Resolve(const std::string& name) const {
        if (name.empty()) {
            return current;
        }
        if (name.front() == '/') {
            return name.size() > 1 && name.back() == '/' ? name.substr(0, name.size() - 1) : name;
        }
        return (current == "/" ? "" : current) + "/" + name;
    }
};

class FakeFtp : public FtpClient {
  public:
    explicit FakeFtp(std::shared_ptr<FakeFtpServer> server) : server(std::move(server)) {
        ++this->server->connections;
    }

    Result SetCurrentDirectory(const std::string& folder) override {
        server->log.push_back("CWD " + folder);
        if (closed) {
            return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "closed");
        }
        const std::string target = server->Resolve(folder);
        if (server->folders.count(target) == 0) {
            return Refuse("550 " + target + ": no such folder.");
        }
        server->current = target;
        return Result::Ok();
    }
    Result CreateDirectory(const std::string& folder) override {
        server->log.push_back("MKD " + folder);
        const std::string target = server->Resolve(folder);
        if (server->unmakeable.count(folder) != 0 || server->folders.count(target) != 0) {
            return Refuse("550 Cannot make " + folder + ".");
        }
        server->folders.insert(target);
        return Result::Ok();
    }
    Result GetCurrentDirectory(std::string& folder) override {
        folder = server->current;
        return Result::Ok();
    }
    Result FindFile(const std::string& name, RemoteFileStatus& status, bool& found) override {
        const auto it = server->files.find(server->Resolve(name));
        found = it != server->files.end();
        if (found) {
            status.size = static_cast<std::int64_t>(it->second.bytes.size());
            status.lastWriteTime = it->second.time;
        }
        return Result::Ok();
    }
    Result OpenFile(const std::string& name, std::unique_ptr<FtpRemoteFile>& file) override;
    Result ListFolder(std::vector<RemoteEntry>& entries) override {
        entries.clear();
        const std::string prefix = server->current == "/" ? "/" : server->current + "/";
        const auto direct = [&prefix](const std::string& path) {
            return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
                   path.find('/', prefix.size()) == std::string::npos;
        };
        for (const std::string& folder : server->folders) {
            if (direct(folder)) {
                RemoteEntry entry;
                entry.name = folder.substr(prefix.size());
                entry.folder = true;
                entries.push_back(entry);
            }
        }
        for (const auto& [path, file] : server->files) {
            if (direct(path)) {
                RemoteEntry entry;
                entry.name = path.substr(prefix.size());
                entry.status.size = static_cast<std::int64_t>(file.bytes.size());
                entry.status.lastWriteTime = file.time;
                entries.push_back(entry);
            }
        }
        if (server->brokenListings.count(server->current) != 0) {
            entries.resize(entries.empty() ? 0 : 1);  // what arrived before the break
            return Refuse("426 Connection closed; transfer aborted.");
        }
        return Result::Ok();
    }
    Result DeleteFile(const std::string& name) override {
        server->log.push_back("DELE " + name);
        return server->files.erase(server->Resolve(name)) == 1
                   ? Result::Ok()
                   : Refuse("550 " + name + ": no such file.");
    }
    Result RemoveDirectory(const std::string& name) override {
        server->log.push_back("RMD " + name);
        return server->folders.erase(server->Resolve(name)) == 1
                   ? Result::Ok()
                   : Refuse("550 " + name + ": no such folder.");
    }
    void Close() override {
        if (!closed) {
            server->log.push_back("QUIT");
        }
        closed = true;
    }

    static Result Refuse(const std::string& text) {
        return InternetFailure(ERROR_INTERNET_EXTENDED_ERROR, text);
    }

    std::shared_ptr<FakeFtpServer> server;
    bool closed = false;
};

class FakeRemoteFile : public FtpRemoteFile {
  public:
    FakeRemoteFile(FakeFtp& connection, std::string path)
        : connection(connection), path(std::move(path)) {}
    ~FakeRemoteFile() override {
        if (!closed) {
            (void)Close();
        }
    }
    Result Write(const char* data, std::size_t size) override {
        if (connection.server->loseWrites > 0) {
            --connection.server->loseWrites;
            connection.closed = true;
            return InternetFailure(ERROR_INTERNET_CONNECTION_ABORTED, "Connection lost.");
        }
        FakeFtpServer::File& file = connection.server->files[path];
        const long long limit = connection.server->failWriteAfter;
        if (limit >= 0 && static_cast<long long>(file.bytes.size() + size) > limit) {
            return FakeFtp::Refuse("426 Connection closed; transfer aborted.");
        }
        file.bytes.append(data, size);
        connection.server->writes.push_back(size);
        if (static_cast<int>(connection.server->writes.size()) ==
            connection.server->cancelAfterWrites) {
            connection.server->stop->Request();
        }
        return Result::Ok();
    }
    void Abort() override {
        closed = true;
        connection.server->log.push_back("ABORT " + path);
    }
    std::int64_t BytesSent() const override {
        return static_cast<std::int64_t>(connection.server->files[path].bytes.size());
    }
    Result Close() override {
        closed = true;
        connection.server->log.push_back("CLOSE " + path);
        connection.server->files[path].closed = true;
        return connection.server->failClose ? FakeFtp::Refuse("451 Local error in processing.")
                                            : Result::Ok();
    }

  private:
    FakeFtp& connection;
    std::string path;
    bool closed = false;
};

inline Result FakeFtp::OpenFile(const std::string& name, std::unique_ptr<FtpRemoteFile>& file) {
    const std::string path = server->Resolve(name);
    server->log.push_back("OPEN " + path);
    file.reset();
    if (server->unopenable.count(name) != 0) {
        return Refuse("553 Could not create file.");
    }
    server->files[path] = FakeFtpServer::File{"", server->now, false};
    file = std::make_unique<FakeRemoteFile>(*this, path);
    return Result::Ok();
}

// Connects every upload to server.
inline FtpConnector ConnectTo(std::shared_ptr<FakeFtpServer> server) {
    return [server](const UploadJob&) -> Expected<std::unique_ptr<FtpClient>> {
        return std::unique_ptr<FtpClient>(std::make_unique<FakeFtp>(server));
    };
}
