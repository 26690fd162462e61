#include "ui/worker_events.h"

#include <QCoreApplication>
#include <QThread>

#include "platform/message_box.h"

WorkerEvent::WorkerEvent(WorkerMessage message)
    : QEvent(EventType()), m_message(std::move(message)) {}

QEvent::Type WorkerEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void QtWorkerReceiver::Post(WorkerMessage message) {
    MutexLock lock(m_mutex);
    if (m_window != nullptr && message.message == WM_APP_ERROR_TEXT &&
        QThread::currentThread() == m_window->thread()) {
        // Its poster waits until the box is closed: queued, it would wait for itself.
        lock.Unlock();
        ShowMessageBox(message.text, static_cast<unsigned>(message.wParam));
        return;
    }
    if (m_window != nullptr) {
        QCoreApplication::postEvent(m_window, new WorkerEvent(std::move(message)));
    }
}

void QtWorkerReceiver::Detach() {
    const MutexLock lock(m_mutex);
    m_window = nullptr;
}

void WorkerBoxQueue::Take(WorkerMessage message, const Handler& handle) {
    m_waiting.push_back(std::move(message));
    if (m_boxOpen) {
        return;  // the loop below, further up the stack, takes it once the box is closed
    }
    while (!m_waiting.empty()) {
        const WorkerMessage next = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (next.message != WM_APP_ERROR_TEXT) {
            handle(next);
            continue;
        }
        m_boxOpen = true;
        ShowMessageBox(next.text, static_cast<unsigned>(next.wParam));
        m_boxOpen = false;
    }
}

void DropWorkerEvents(QObject* window) {
    QCoreApplication::removePostedEvents(window, WorkerEvent::EventType());
}

QString PaddedStatusText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    // Counted in bytes, as the text's own length is.
    const int padding = 100 - static_cast<int>(text.size());
    if (padding > 0) {
        shown += QString(padding, QLatin1Char(' '));
    }
    return shown;
}
