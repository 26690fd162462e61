#include "upload/remote_protocol.h"

#include "platform/ascii.h"

namespace {

struct ProtocolNames {
    FtpProtocol protocol;
    const char* key;
    const char* caption;
    int port;
};

constexpr ProtocolNames kProtocols[] = {
    {FtpProtocol::Ftp, "ftp", "FTP", 21},
    {FtpProtocol::Ftps, "ftps", "FTP with TLS (FTPS)", 21},
    {FtpProtocol::Sftp, "sftp", "SFTP (SSH)", 22},
    {FtpProtocol::S3, "s3", "S3-compatible storage", 443},
    {FtpProtocol::S3Http, "s3-http", "S3-compatible storage over HTTP", 80},
};

const ProtocolNames& Names(FtpProtocol protocol) {
    for (const ProtocolNames& names : kProtocols) {
        if (names.protocol == protocol) {
            return names;
        }
    }
    return kProtocols[0];
}

}  // namespace

const char* FtpProtocolKey(FtpProtocol protocol) {
    return Names(protocol).key;
}

const char* FtpProtocolCaption(FtpProtocol protocol) {
    return Names(protocol).caption;
}

bool ParseFtpProtocol(const std::string& name, FtpProtocol& protocol) {
    if (name.empty()) {
        protocol = FtpProtocol::Ftp;
        return true;
    }
    for (const ProtocolNames& names : kProtocols) {
        if (EqualsIgnoringCase(name, names.key)) {
            protocol = names.protocol;
            return true;
        }
    }
    return false;
}

int DefaultPort(FtpProtocol protocol) {
    return Names(protocol).port;
}

bool IsObjectStorage(FtpProtocol protocol) {
    return protocol == FtpProtocol::S3 || protocol == FtpProtocol::S3Http;
}
