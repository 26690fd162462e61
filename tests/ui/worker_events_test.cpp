// Worker messages reaching a window: posted from another thread and handled on the GUI
// thread in order; nothing after the receiver is detached; queued ones dropped on request.

#include <QTest>
#include <thread>
#include <vector>

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
            onGuiThread.push_back(QThread::currentThread() ==
                                  QCoreApplication::instance()->thread());
        }
    }
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
            PostErrorText(receiver, "Cannot open 100% of it");
            PostWorkDone(receiver);
        });
        worker.join();
        QTRY_COMPARE(window.received.size(), size_t(4));
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
};

MAVREN_UI_TEST_MAIN(WorkerEventsTest)
#include "worker_events_test.moc"
