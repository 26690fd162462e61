#include "ui/worker_events.h"

#include <QCoreApplication>

WorkerEvent::WorkerEvent(WorkerMessage message)
    : QEvent(EventType()), m_message(std::move(message)) {}

QEvent::Type WorkerEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void QtWorkerReceiver::Post(WorkerMessage message) {
    std::lock_guard lock(m_mutex);
    if (m_window != nullptr) {
        QCoreApplication::postEvent(m_window, new WorkerEvent(std::move(message)));
    }
}

void QtWorkerReceiver::Detach() {
    std::lock_guard lock(m_mutex);
    m_window = nullptr;
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
