#include "cli/console_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <utility>

namespace {

constexpr int kBarWidth = 20;
// Redrawing for every posted message would only flicker: one frame per 40 ms at most.
constexpr auto kRedrawInterval = std::chrono::milliseconds(40);

int TerminalWidth(std::FILE* out) {
    struct winsize size {};
    if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

}  // namespace

ConsoleProgress::ConsoleProgress(ConsoleStyle style, std::FILE* out) : style(style), out(out) {}

void ConsoleProgress::Post(WorkerMessage message) {
    {
        std::lock_guard lock(queueMutex);
        queue.push_back(std::move(message));
    }
    posted.notify_one();
}

void ConsoleProgress::ShowUntilWorkDone() {
    for (;;) {
        WorkerMessage message;
        {
            std::unique_lock lock(queueMutex);
            posted.wait(lock, [this] { return !queue.empty(); });
            message = std::move(queue.front());
            queue.pop_front();
        }
        if (message.message == WM_APP_WORK_DONE) {
            std::lock_guard screen(screenMutex);
            if (drawn) {
                // The last status ("Finished.") stays on the screen as a line of its own.
                Clear();
                std::fprintf(out, "%s\n", status.c_str());
                std::fflush(out);
            }
            return;
        }
        std::lock_guard screen(screenMutex);
        Show(message);
    }
}

void ConsoleProgress::Show(const WorkerMessage& message) {
    switch (message.message) {
        case WM_APP_PROGRESS:
            percent = message.wParam;
            if (style == ConsoleStyle::Bar) {
                Draw();
            }
            break;
        case WM_APP_STATUS_TEXT:
        case WM_APP_ERROR_TEXT:
            status = message.text;
            if (style == ConsoleStyle::Bar) {
                Draw();
            } else if (style == ConsoleStyle::Lines) {
                std::fprintf(out, "%s\n", status.c_str());
                std::fflush(out);
            }
            break;
        default:
            break;
    }
}

void ConsoleProgress::Draw() {
    const int filled = (percent < 0 ? 0 : percent > 100 ? 100 : percent) * kBarWidth / 100;
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] ";
    char number[8];
    std::snprintf(number, sizeof number, "%3d%% ", percent);
    line += number;
    line += status;
    const auto width = static_cast<std::size_t>(TerminalWidth(out) - 1);
    if (line.size() > width) {
        std::size_t cut = width;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;  // not in the middle of a UTF-8 character
        }
        line.resize(cut);
    }
    const auto now = std::chrono::steady_clock::now();
    if (drawn && (line == lastLine || now < lastDraw + kRedrawInterval)) {
        return;
    }
    std::fprintf(out, "\r\x1b[K%s", line.c_str());
    std::fflush(out);
    drawn = true;
    lastLine = line;
    lastDraw = now;
}

void ConsoleProgress::Clear() {
    if (drawn) {
        std::fputs("\r\x1b[K", out);
        std::fflush(out);
        drawn = false;
    }
}

void ConsoleProgress::Suspend() {
    screenMutex.lock();
    Clear();
}

void ConsoleProgress::Resume() {
    screenMutex.unlock();
}

ConsoleMessageBox::ConsoleMessageBox(std::shared_ptr<MessageBoxBackend> inner,
                                     ConsoleProgress& display)
    : inner(std::move(inner)), display(display) {}

int ConsoleMessageBox::Show(const std::string& text, unsigned flags) {
    display.Suspend();
    const int answer = inner ? inner->Show(text, flags) : NegativeAnswer(flags);
    display.Resume();
    return answer;
}
