#include "cli/console_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "platform/format.h"

namespace {

constexpr int kBarCells = 20;
// Redrawing for every message of a fast job would make the terminal the bottleneck.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// text cut to at most size bytes, never inside a UTF-8 sequence.
std::string CutToWidth(const std::string& text, std::size_t size) {
    if (text.size() <= size) {
        return text;
    }
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) {
        --size;
    }
    return text.substr(0, size);
}

int TerminalWidth(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

}  // namespace

ConsoleProgress::ConsoleProgress(std::FILE* stream, bool terminal, int width)
    : stream(stream), terminal(terminal), width(std::max(width, 20)) {}

void ConsoleProgress::SetPercent(int value) {
    const MutexLock lock(mutex);
    percent = std::clamp(value, 0, 100);
    Draw(false);
}

void ConsoleProgress::SetStatus(const std::string& text) {
    const MutexLock lock(mutex);
    status = text;
    if (!terminal && !finished) {
        std::fprintf(stream, "%s\n", text.c_str());
        std::fflush(stream);
    }
    Draw(false);
}

void ConsoleProgress::SetTiming(const std::string& text) {
    const MutexLock lock(mutex);
    timing = text;
    Draw(false);
}

void ConsoleProgress::Suspend() {
    const MutexLock lock(mutex);
    Clear();
    suspended = true;
}

void ConsoleProgress::Resume() {
    const MutexLock lock(mutex);
    suspended = false;
    Draw(true);
}

void ConsoleProgress::Finish() {
    const MutexLock lock(mutex);
    if (finished) {
        return;
    }
    if (drawn) {
        // The bar stays where it ended, without the texts that follow on lines of their own.
        std::fprintf(stream, "\r%s\x1b[K\n",
                     CutToWidth(Bar(), static_cast<std::size_t>(width - 1)).c_str());
        drawn = false;
    }
    finished = true;
    if (terminal && !status.empty()) {
        std::fprintf(stream, "%s\n", status.c_str());
    }
    if (!timing.empty()) {
        std::fprintf(stream, "%s\n", timing.c_str());
    }
    std::fflush(stream);
}

std::string ConsoleProgress::Bar() const {
    const int filled = percent * kBarCells / 100;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kBarCells - filled), '.') + "] " +
           StringPrintf("%3d%%", percent);
}

std::string ConsoleProgress::BarLine() const {
    const MutexLock lock(mutex);
    return Line();
}

std::string ConsoleProgress::Line() const {
    std::string line = Bar();
    if (!status.empty()) {
        line += "  " + status;
    }
    if (!timing.empty()) {
        line += "  (" + timing + ")";
    }
    return CutToWidth(line, static_cast<std::size_t>(width - 1));
}

void ConsoleProgress::Draw(bool force) {
    if (!terminal || suspended || finished) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!force && drawn && now - lastDraw < kRedrawInterval) {
        return;
    }
    lastDraw = now;
    drawn = true;
    std::fprintf(stream, "\r%s\x1b[K", Line().c_str());
    std::fflush(stream);
}

void ConsoleProgress::Clear() {
    if (terminal && drawn) {
        std::fputs("\r\x1b[K", stream);
        std::fflush(stream);
        drawn = false;
    }
}

void ConsoleProgressReceiver::Post(WorkerMessage message) {
    switch (message.message) {
        case WM_APP_PROGRESS:
            progress->SetPercent(message.wParam);
            break;
        case WM_APP_STATUS_TEXT:
            progress->SetStatus(message.text);
            break;
        case WM_APP_TIMING_TEXT:
            progress->SetTiming(message.text);
            break;
        case WM_APP_ERROR_TEXT:
            ShowMessageBox(message.text, static_cast<unsigned>(message.wParam));
            break;
        default:
            break;
    }
}

int ConsoleProgressBoxes::Show(const std::string& text, unsigned flags) {
    progress->Suspend();
    int answer = NegativeAnswer(flags);
    if (boxes) {
        answer = boxes->Show(text, flags);
    } else {
        std::fprintf(stderr, "%s\n", text.c_str());  // as boxes go without a backend
    }
    progress->Resume();
    return answer;
}

QuestionAnswerer ConsoleProgressBoxes::Answerer() const {
    return boxes ? boxes->Answerer() : QuestionAnswerer::NoOne;
}

void QuietProgressReceiver::Post(WorkerMessage message) {
    if (message.message == WM_APP_ERROR_TEXT) {
        ShowMessageBox(message.text, static_cast<unsigned>(message.wParam));
    }
}

ConsoleJobDisplay::ConsoleJobDisplay(bool quiet)
    : progress(std::make_shared<ConsoleProgress>(stderr, ::isatty(STDERR_FILENO) != 0,
                                                 TerminalWidth(STDERR_FILENO))) {
    if (quiet) {
        receiver = std::make_shared<QuietProgressReceiver>();
    } else {
        receiver = std::make_shared<ConsoleProgressReceiver>(progress);
    }
    previousBoxes = SetMessageBoxBackend(nullptr);
    SetMessageBoxBackend(std::make_shared<ConsoleProgressBoxes>(progress, previousBoxes));
}

ConsoleJobDisplay::~ConsoleJobDisplay() {
    progress->Finish();
    SetMessageBoxBackend(previousBoxes);
}
