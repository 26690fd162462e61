#include "support/ui_ftp_server.h"

#include <QDir>

UiFtpServer::UiFtpServer(const QStringList& extraArguments) {
    QDir().mkpath(Root());
    QStringList arguments = {QStringLiteral(MAVREN_SOURCE_DIR "/tests/upload/ftp_server.py"),
                             Root(), QString::fromLatin1(kUser), QString::fromLatin1(kPassword),
                             m_folder.filePath(QStringLiteral("commands.log"))};
    arguments << extraArguments;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's python3, which has pyftpdlib, whatever comes first on PATH.
    m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!m_process.waitForStarted(10000)) {
        return;
    }
    // The whole line with the port, before anything else is read.
    while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
    }
    m_port = m_process.readLine().trimmed().toInt();
}

UiFtpServer::~UiFtpServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

std::string UiFtpServer::Host() const {
    return "127.0.0.1:" + std::to_string(m_port);
}
