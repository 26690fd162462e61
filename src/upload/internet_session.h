#pragma once

// The one Internet session of the process, through which every upload connects:
// libcurl's global set-up, held from CreateSession to DeleteSession, and what every
// connection shares: the agent name "Mavren" and a DNS cache. Proxies come from the
// usual environment variables, as the system has them configured.
// CreateSession and DeleteSession belong to start-up and exit; SharedSession and the
// session's methods are safe from any thread. A worker that holds the session keeps it,
// and libcurl, alive until it lets go.

#include <memory>
#include <string>

class InternetSession {
  public:
    // Null when libcurl cannot be set up.
    static std::unique_ptr<InternetSession> Create();
    ~InternetSession();
    InternetSession(const InternetSession&) = delete;
    InternetSession& operator=(const InternetSession&) = delete;

    const std::string& AgentName() const { return agentName; }

    // Gives a transfer handle (a CURL*: libcurl's handle type is plain void, so this
    // header needs no libcurl) the session's settings: the agent name, the shared DNS
    // cache, and no signals (a requirement of libcurl in threaded programs).
    void Configure(void* handle) const;

  private:
    // libcurl's share handle and the locks it takes (in the .cpp). Without a handle,
    // which libcurl may fail to make, each transfer keeps its own DNS cache.
    struct Share;

    InternetSession();

    std::string agentName = "Mavren";
    std::unique_ptr<Share> share;
};

// Creates the shared session unless there is one. False when it cannot be made; the
// session then stays null.
bool CreateSession();

// Lets go of the shared session when there is one.
void DeleteSession();

// The shared session; null before CreateSession, after DeleteSession, or when it
// could not be made.
std::shared_ptr<InternetSession> SharedSession();
