#include "platform/message_box.h"

#include <cstdarg>
#include <cstdio>

#include "platform/mutex.h"

namespace {

Mutex g_backendMutex;
std::shared_ptr<MessageBoxBackend> g_backend GUARDED_BY(g_backendMutex);

std::shared_ptr<MessageBoxBackend> InstalledBackend() {
    MutexLock lock(g_backendMutex);
    return g_backend;
}

}  // namespace

std::shared_ptr<MessageBoxBackend> SetMessageBoxBackend(
    std::shared_ptr<MessageBoxBackend> backend) {
    MutexLock lock(g_backendMutex);
    std::swap(g_backend, backend);
    return backend;
}

int NegativeAnswer(unsigned flags) {
    switch (flags & MB_BUTTON_MASK) {
        case MB_OK:
            return IDOK;
        case MB_YESNO:
            return IDNO;
        default:
            return IDCANCEL;
    }
}

int PositiveAnswer(unsigned flags) {
    switch (flags & MB_BUTTON_MASK) {
        case MB_YESNO:
            return IDYES;
        case MB_RETRYCANCEL:
            return IDRETRY;
        default:
            return IDOK;
    }
}

QuestionAnswerer CurrentAnswerer() {
    const std::shared_ptr<MessageBoxBackend> backend = InstalledBackend();
    return backend ? backend->Answerer() : QuestionAnswerer::NoOne;
}

int ShowMessageBox(const std::string& text, unsigned flags) {
    const std::shared_ptr<MessageBoxBackend> backend = InstalledBackend();
    if (backend) {
        return backend->Show(text, flags);
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    return NegativeAnswer(flags);
}

std::string MessageBoxText(const char* format, ...) {
    constexpr std::size_t kBufferSize = 10240;
    constexpr std::size_t kShownWhenTooLong = 1024;
    std::string text(kBufferSize, '\0');
    va_list args;
    va_start(args, format);
    const int needed = std::vsnprintf(text.data(), kBufferSize, format, args);
    va_end(args);
    if (needed < 0) {
        text.clear();
    } else if (static_cast<std::size_t>(needed) >= kBufferSize) {
        text.resize(kShownWhenTooLong);
    } else {
        text.resize(static_cast<std::size_t>(needed));
    }
    return text;
}
