#pragma once

// The upload tests' FTP server (tests/upload/ftp_server.py, Debian's pyftpdlib) for the
// window tests: one user with a password, a temporary root folder, a free port on
// 127.0.0.1. Stopped and waited for when the object goes.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

class UiFtpServer {
  public:
    static constexpr const char* kUser = "ann";
    static constexpr const char* kPassword = "s3cret pass";

    // extraArguments go to the server as they are ("--throttle", "20000").
    explicit UiFtpServer(const QStringList& extraArguments = {});
    ~UiFtpServer();
    UiFtpServer(const UiFtpServer&) = delete;
    UiFtpServer& operator=(const UiFtpServer&) = delete;

    // False when the server did not start or did not say its port.
    bool IsRunning() const { return m_port > 0; }
    std::string Host() const;
    QString Root() const { return m_folder.filePath(QStringLiteral("root")); }

  private:
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
};
