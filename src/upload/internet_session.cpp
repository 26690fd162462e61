#include "upload/internet_session.h"

#include <curl/curl.h>

#include "platform/mutex.h"

struct InternetSession::Share {
    Share() : handle(curl_share_init()) {
        if (handle != nullptr) {
            curl_share_setopt(handle, CURLSHOPT_LOCKFUNC, &Share::Lock);
            curl_share_setopt(handle, CURLSHOPT_UNLOCKFUNC, &Share::Unlock);
            curl_share_setopt(handle, CURLSHOPT_USERDATA, this);
            curl_share_setopt(handle, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        }
    }
    ~Share() {
        if (handle != nullptr) {
            curl_share_cleanup(handle);
        }
    }
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;

    // libcurl takes and lets go of each lock in calls of its own, which the analysis cannot
    // pair; the data they guard lies inside libcurl.
    static void Lock(CURL*, curl_lock_data data, curl_lock_access,
                     void* share) NO_THREAD_SAFETY_ANALYSIS {
        static_cast<Share*>(share)->locks[data].Lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* share) NO_THREAD_SAFETY_ANALYSIS {
        static_cast<Share*>(share)->locks[data].Unlock();
    }

    CURLSH* const handle;
    Mutex locks[CURL_LOCK_DATA_LAST];  // one per kind of shared data
};

namespace {

Mutex g_sessionMutex;
std::shared_ptr<InternetSession> g_session GUARDED_BY(g_sessionMutex);

}  // namespace

InternetSession::InternetSession() = default;

std::unique_ptr<InternetSession> InternetSession::Create() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        return nullptr;
    }
    std::unique_ptr<InternetSession> session(new InternetSession());
    session->share = std::make_unique<Share>();
    return session;
}

InternetSession::~InternetSession() {
    share.reset();  // before libcurl's global clean-up
    curl_global_cleanup();
}

void InternetSession::Configure(void* handle) const {
    curl_easy_setopt(handle, CURLOPT_USERAGENT, agentName.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    if (share->handle != nullptr) {
        curl_easy_setopt(handle, CURLOPT_SHARE, share->handle);
    }
}

bool CreateSession() {
    MutexLock lock(g_sessionMutex);
    if (!g_session) {
        g_session = InternetSession::Create();
    }
    return g_session != nullptr;
}

void DeleteSession() {
    std::shared_ptr<InternetSession> released;
    {
        MutexLock lock(g_sessionMutex);
        released.swap(g_session);
    }
}

std::shared_ptr<InternetSession> SharedSession() {
    MutexLock lock(g_sessionMutex);
    return g_session;
}
