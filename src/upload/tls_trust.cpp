#include "upload/tls_trust.h"

#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include "platform/format.h"

namespace {

// Where a TLS context keeps its check, for the verify callback.
int CheckIndex() {
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

std::string Fingerprint(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (certificate == nullptr || X509_digest(certificate, EVP_sha256(), digest, &length) != 1) {
        return {};
    }
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += StringPrintf(i == 0 ? "%02X" : ":%02X", digest[i]);
    }
    return text;
}

int Verify(int ok, X509_STORE_CTX* store) {
    auto* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* check = ssl == nullptr ? nullptr
                                 : static_cast<CertificateCheck*>(
                                       SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), CheckIndex()));
    if (check == nullptr) {
        return ok;
    }
    check->fingerprint = Fingerprint(X509_STORE_CTX_get0_cert(store));
    if (!check->pinned.empty()) {
        // The user trusts this very certificate, and no other; nothing else matters.
        if (check->fingerprint == check->pinned) {
            X509_STORE_CTX_set_error(store, X509_V_OK);
            return 1;
        }
        if (check->problem.empty()) {
            check->problem = "it is not the certificate you chose to trust for this server";
        }
        return 0;
    }
    if (!ok && check->problem.empty()) {
        check->problem = X509_verify_cert_error_string(X509_STORE_CTX_get_error(store));
    }
    return ok;
}

CURLcode OnContext(CURL*, void* context, void* data) {
    auto* ctx = static_cast<SSL_CTX*>(context);
    auto* check = static_cast<CertificateCheck*>(data);
    SSL_CTX_set_ex_data(ctx, CheckIndex(), check);
    // With a pin libcurl checks nothing itself (see ApplyCertificateCheck), so the
    // handshake is made to ask Verify here all the same.
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, &Verify);
    return CURLE_OK;
}

}  // namespace

void ApplyCertificateCheck(CURL* handle, CertificateCheck& check) {
    check.fingerprint.clear();
    check.problem.clear();
    // A pinned certificate may be one the host made itself or name another host (a
    // shared server's own name, say): Verify alone decides then.
    const long usual = check.pinned.empty() ? 1L : 0L;
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, usual);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, usual * 2);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, &OnContext);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, &check);
}

void ApplyCheckedCertificate(CURL* handle, CertificateCheck& check) {
    if (!check.pinned.empty()) {
        ApplyCertificateCheck(handle, check);
        return;
    }
    // libcurl keeps the store it read between connections only without a callback.
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
}

bool CertificateRefused(CURLcode code, const CertificateCheck& check) {
    if (check.fingerprint.empty()) {
        return false;  // no certificate was seen: the failure lies elsewhere
    }
    return code == CURLE_PEER_FAILED_VERIFICATION ||
           (code == CURLE_SSL_CONNECT_ERROR && !check.problem.empty());
}
