#include "ui/window_work.h"

#include <utility>

WindowWork::WindowWork(int stopWaitMilliseconds, std::function<void()> ended,
                       std::function<void()> close)
    : m_ended(std::move(ended)), m_close(std::move(close)) {
    m_closeWait.setSingleShot(true);
    m_closeWait.setInterval(stopWaitMilliseconds);
    QObject::connect(&m_closeWait, &QTimer::timeout, &m_closeWait, [this] {
        if (m_closing) {
            FinishClose();
        }
    });
}

WorkStart WindowWork::Start(std::shared_ptr<StopFlag> stop, std::function<void()> work) {
    if (m_running || m_worker.IsRunning()) {
        return WorkStart::Busy;
    }
    if (!m_worker.Start(std::move(work))) {
        return WorkStart::NoThread;
    }
    m_stop = std::move(stop);
    m_running = true;
    return WorkStart::Started;
}

void WindowWork::Stop() {
    if (m_stop) {
        m_stop->Request();
    }
}

bool WindowWork::Close() {
    if (m_closing) {
        return false;
    }
    if (!m_running) {
        m_close();
        return false;
    }
    // The close goes on when the run's end is heard.
    m_closing = true;
    Stop();
    m_closeWait.start();
    return true;
}

void WindowWork::WorkDone() {
    m_running = false;
    m_ended();
    if (m_closing) {
        FinishClose();
    }
}

void WindowWork::FinishClose() {
    m_closing = false;
    m_closeWait.stop();
    m_close();
}
