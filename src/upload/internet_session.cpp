#include "upload/internet_session.h"

namespace {

std::mutex g_sessionMutex;
std::shared_ptr<InternetSession> g_session;

}  // namespace

std::unique_ptr<InternetSession> InternetSession::Create() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        return nullptr;
    }
    std::unique_ptr<InternetSession> session(new InternetSession());
    session->share = curl_share_init();
    if (session->share != nullptr) {
        curl_share_setopt(session->share, CURLSHOPT_LOCKFUNC, &InternetSession::Lock);
        curl_share_setopt(session->share, CURLSHOPT_UNLOCKFUNC, &InternetSession::Unlock);
        curl_share_setopt(session->share, CURLSHOPT_USERDATA, session.get());
        curl_share_setopt(session->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    return session;
}

InternetSession::~InternetSession() {
    if (share != nullptr) {
        curl_share_cleanup(share);
    }
    curl_global_cleanup();
}

void InternetSession::Configure(CURL* handle) const {
    curl_easy_setopt(handle, CURLOPT_USERAGENT, agentName.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    if (share != nullptr) {
        curl_easy_setopt(handle, CURLOPT_SHARE, share);
    }
}

void InternetSession::Lock(CURL*, curl_lock_data data, curl_lock_access, void* session) {
    static_cast<InternetSession*>(session)->locks[data].lock();
}

void InternetSession::Unlock(CURL*, curl_lock_data data, void* session) {
    static_cast<InternetSession*>(session)->locks[data].unlock();
}

bool CreateSession() {
    std::lock_guard lock(g_sessionMutex);
    if (!g_session) {
        g_session = InternetSession::Create();
    }
    return g_session != nullptr;
}

void DeleteSession() {
    std::shared_ptr<InternetSession> released;
    {
        std::lock_guard lock(g_sessionMutex);
        released.swap(g_session);
    }
}

std::shared_ptr<InternetSession> SharedSession() {
    std::lock_guard lock(g_sessionMutex);
    return g_session;
}
