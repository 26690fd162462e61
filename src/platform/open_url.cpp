#include "platform/open_url.h"

#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/child_process.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/mutex.h"
#include "platform/registry.h"

namespace {

Mutex g_chooserMutex;
std::shared_ptr<BrowserChooser> g_chooser GUARDED_BY(g_chooserMutex);

struct BrowserStart {
    bool started = false;
    std::string reason;  // why not
};

// The end of a child, handed from the thread that reaps it to the one that waits.
struct ChildEnd {
    Mutex mutex;
    std::condition_variable changed;
    bool ended GUARDED_BY(mutex) = false;
    int status GUARDED_BY(mutex) = 0;
};

// What xdg-open's exit statuses mean, in its manual's words.
const char* XdgOpenStatusText(int status) {
    switch (status) {
        case 1:
            return "Error in command line syntax.";
        case 2:
            return "One of the files passed on the command line did not exist.";
        case 3:
            return "A required tool could not be found.";
        case 4:
            return "The action failed.";
        default:
            return nullptr;
    }
}

std::string EndReason(const std::string& program, bool isXdgOpen, int status) {
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        return StringPrintf("%s was ended by signal %d (%s)", program.c_str(), signal,
                            ::strsignal(signal));
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (const char* text = isXdgOpen ? XdgOpenStatusText(code) : nullptr) {
        return text;
    }
    return StringPrintf("%s ended with exit status %d", program.c_str(), code);
}

// Starts handler (xdg-open when empty) with url and watches it for startWindow.
// The child is reaped by a thread of its own, which outlives this call when the
// browser keeps running.
BrowserStart StartBrowser(const std::string& handler, const std::string& url,
                          std::chrono::milliseconds startWindow) {
    const std::string program = handler.empty() ? "xdg-open" : handler;
    // A path that begins with "-" must not be taken for an option.
    const std::string argument = url.starts_with('-') ? "./" + url : url;
    const Expected<pid_t> started = StartChildProcess({program, argument}, false);
    if (!started.ok()) {
        return {false, ErrorCodeText(started.failure().error())};
    }
    const pid_t pid = *started;
    auto end = std::make_shared<ChildEnd>();
    try {
        std::thread([pid, end] {
            const Expected<int> status = WaitForChildProcess(pid);
            const MutexLock lock(end->mutex);
            end->ended = true;
            end->status = status.ok() ? *status : -1;
            end->changed.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return {true, {}};  // no thread to watch it with: trust the start
    }
    const auto deadline = std::chrono::steady_clock::now() + startWindow;
    const MutexLock lock(end->mutex);
    while (!end->ended) {
        if (!end->mutex.WaitUntil(end->changed, deadline) && !end->ended) {
            return {true, {}};
        }
    }
    if (end->status != -1 && WIFEXITED(end->status) && WEXITSTATUS(end->status) == 0) {
        return {true, {}};
    }
    return {false, EndReason(program, handler.empty(), end->status)};
}

std::shared_ptr<BrowserChooser> InstalledChooser() {
    MutexLock lock(g_chooserMutex);
    return g_chooser;
}

}  // namespace

std::shared_ptr<BrowserChooser> SetBrowserChooser(std::shared_ptr<BrowserChooser> chooser) {
    MutexLock lock(g_chooserMutex);
    std::swap(g_chooser, chooser);
    return chooser;
}

bool OpenUrlAndWait(const std::string& url, std::chrono::milliseconds startWindow) {
    std::string handler = GetRegistryString(kApplicationKey, "URLHandler", HKEY_CURRENT_USER);
    bool picked = false;
    std::shared_ptr<BrowserChooser> chooser;  // the one that picked handler, when picked
    for (;;) {
        const BrowserStart start = StartBrowser(handler, url, startWindow);
        if (start.started) {
            // Stored only once it has worked, so that a pick that cannot show pages is asked
            // about again next time instead of failing first. It is used even when it
            // cannot be stored; the chooser that picked it hears of that.
            if (picked) {
                const Result stored =
                    SetRegistryString(kApplicationKey, "URLHandler", handler, HKEY_CURRENT_USER);
                if (!stored.ok()) {
                    chooser->PickNotStored(stored);
                }
            }
            return true;
        }
        const std::string how =
            handler.empty() ? "using your default browser" : "using \"" + handler + "\"";
        const std::string question = StringPrintf("Could not open \"%s\"\n%s\n\nReason: %s\n\n",
                                                  url.c_str(), how.c_str(), start.reason.c_str()) +
                                     "Do you want to locate a browser to display this URL?";
        if (ShowMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return false;
        }
        chooser = InstalledChooser();
        const std::string chosen = chooser ? chooser->ChooseBrowser() : std::string();
        if (chosen.empty()) {
            return false;
        }
        handler = chosen;
        picked = true;
    }
}

bool OpenUrl(const std::string& url) {
    try {
        std::thread([url] { OpenUrlAndWait(url); }).detach();
    } catch (const std::system_error&) {
        OpenUrlAndWait(url);
    }
    return true;
}
