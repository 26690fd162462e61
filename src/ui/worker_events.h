#pragma once

// Carrying a worker's messages to a window: the receiver a worker posts to turns each
// message into an event queued for the window, handled later on the GUI thread. The
// window detaches the receiver before it goes away; from then on a worker that still
// holds the receiver posts into nothing, so it can never reach the window again.
// Post and Detach are safe from any thread; posting never blocks for long, but for an error
// box posted on the window's own thread, which is shown at once.

#include <QEvent>
#include <QString>
#include <deque>
#include <functional>
#include <string>

#include "platform/mutex.h"
#include "work/worker_messages.h"

class QObject;

// One worker message as a queued event; the event owns the message's text.
class WorkerEvent : public QEvent {
  public:
    explicit WorkerEvent(WorkerMessage message);
    static QEvent::Type EventType();

    const WorkerMessage& Message() const { return m_message; }
    // Moves the message out: an error box's worker then waits on the taker's copy alone.
    WorkerMessage TakeMessage() { return std::move(m_message); }

  private:
    WorkerMessage m_message;
};

class QtWorkerReceiver : public WorkerMessageReceiver {
  public:
    explicit QtWorkerReceiver(QObject* window) : m_window(window) {}

    void Post(WorkerMessage message) override;

    // No message is posted to the window after this returns.
    void Detach();

  private:
    Mutex m_mutex;
    QObject* m_window GUARDED_BY(m_mutex);
};

// Shows a worker's failure boxes one at a time: a message that arrives while a box is open
// waits, with every message behind it, until the box is closed. Boxes never stack, and a
// run's end is handled after its last box has been read, as when the worker waited for it.
// For the GUI thread only.
class WorkerBoxQueue {
  public:
    using Handler = std::function<void(const WorkerMessage&)>;

    // Shows message's box now (through the installed backend), hands any other message to
    // handle, or keeps it for later while a box is open.
    void Take(WorkerMessage message, const Handler& handle);

  private:
    bool m_boxOpen = false;
    std::deque<WorkerMessage> m_waiting;
};

// The worker messages still queued for window, dropped with their texts unseen.
void DropWorkerEvents(QObject* window);

// A status line as the status boxes show it: left-aligned and padded with blanks to at
// least 100 characters, so that a shorter line covers a longer one before it.
QString PaddedStatusText(const std::string& text);
