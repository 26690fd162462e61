// Worker messages reaching a window: posted from another thread and handled on the GUI
// thread in order; nothing after the receiver is detached; queued ones dropped on request;
// failure boxes one at a time, with what follows them held back until they are closed.

#include <QTest>
#include <thread>
#include <vector>

#include "platform/message_box.h"
#include "support/scripted_message_box.h"
#include "support/ui_test_support.h"
#include "ui/worker_events.h"

namespace {

class Collector : public QObject {
  public:
    std::vector<WorkerMessage> received;
    std::vector<bool> onGuiThread;

  protected:
    void customEvent(QEvent* event) override {
        if (event->type() == WorkerEvent::EventType()) {
            received.push_back(static_cast<WorkerEvent*>(event)->Message());
            received.back().boxOpen.reset();  // seen: the event's end lets the worker on
            onGuiThread.push_back(QThread::currentThread() ==
                                  QCoreApplication::instance()->thread());
        }
    }
};

// A window that shows failure boxes through a WorkerBoxQueue, logging what it does.
class BoxWindow : public QObject {
  public:
    std::vector<std::string> log;

  protected:
    void customEvent(QEvent* event) override {
        m_boxes.Take(static_cast<WorkerEvent*>(event)->TakeMessage(),
                     [this](const WorkerMessage& message) { log.push_back(message.text); });
    }

  private:
    WorkerBoxQueue m_boxes;
};

// A box that, like a modal one, runs the window's events while it is open.
class NestedLoopBoxes : public MessageBoxBackend {
  public:
    explicit NestedLoopBoxes(BoxWindow* window) : window(window) {}
    int Show(const std::string& text, unsigned) override {
        window->log.push_back("open " + text);
        QCoreApplication::sendPostedEvents(window);
        window->log.push_back("closed " + text);
        return IDOK;
    }

  private:
    BoxWindow* window;
};

}  // namespace

class WorkerEventsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void messagesArriveInOrderOnTheGuiThread() {
        Collector window;
        auto receiver = std::make_shared<QtWorkerReceiver>(&window);
        std::thread worker([receiver] {
            PostStatusText(receiver, "Initializing ...");
            PostProgress(receiver, 40);
            PostErrorText(receiver, "Cannot open 100% of it");  // waits until handled
            PostWorkDone(receiver);
        });
        QTRY_COMPARE(window.received.size(), size_t(4));
        worker.join();
        QCOMPARE(window.received[0].message, WM_APP_STATUS_TEXT);
        QCOMPARE(window.received[0].text, std::string("Initializing ..."));
        QCOMPARE(window.received[1].wParam, 40);
        QCOMPARE(window.received[2].text, std::string("Cannot open 100% of it"));
        QCOMPARE(window.received[3].message, WM_APP_WORK_DONE);
        QCOMPARE(window.onGuiThread, std::vector<bool>(4, true));
    }

    void nothingArrivesAfterDetachOrDrop() {
        Collector window;
        auto receiver = std::make_shared<QtWorkerReceiver>(&window);
        PostStatusText(receiver, "queued");
        DropWorkerEvents(&window);
        receiver->Detach();
        std::thread([receiver] { PostWorkDone(receiver); }).join();
        // Anything posted is in the queue by now: deliver it.
        QCoreApplication::sendPostedEvents(&window);
        QVERIFY(window.received.empty());
    }

    void aFailurePostedOnTheGuiThreadIsShownAtOnce() {
        Collector window;
        auto boxes = std::make_shared<ScriptedMessageBox>();
        const auto previous = SetMessageBoxBackend(boxes);
        PostErrorText(std::make_shared<QtWorkerReceiver>(&window), "no thread");  // no wait
        SetMessageBoxBackend(previous);
        QCOMPARE(boxes->Texts(), std::vector<std::string>{"no thread"});
    }

    void boxesNeverStackAndWhatFollowsWaitsForThem() {
        BoxWindow window;
        const auto previous = SetMessageBoxBackend(std::make_shared<NestedLoopBoxes>(&window));
        QtWorkerReceiver receiver(&window);
        for (const char* text : {"first", "second"}) {
            receiver.Post(WorkerMessage{WM_APP_ERROR_TEXT, MB_OK, text, nullptr});
        }
        receiver.Post(WorkerMessage{WM_APP_WORK_DONE, 0, "done", nullptr});
        QCoreApplication::sendPostedEvents(&window);
        SetMessageBoxBackend(previous);
        QCOMPARE(window.log, (std::vector<std::string>{"open first", "closed first", "open second",
                                                       "closed second", "done"}));
    }
};

MAVREN_UI_TEST_MAIN(WorkerEventsTest)
#include "worker_events_test.moc"
