// A window's work on a worker thread: closing while it runs waits for its end or the
// time-out and closes once; a start is refused while a run goes on or is still ending.

#include <QTest>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/worker_thread.h"
#include "support/ui_test_support.h"
#include "ui/window_work.h"

namespace {

// Lets a worker go on once the test says so.
class Gate {
  public:
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_opened.notify_all();
    }
    void Wait() {
        std::unique_lock lock(m_mutex);
        m_opened.wait(lock, [this] { return m_open; });
    }
    bool IsOpen() {
        std::lock_guard lock(m_mutex);
        return m_open;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_open = false;
};

// A window with its work, logging what the work tells it. Its runs post their end (as a
// worker's WM_APP_WORK_DONE reaches a window) to the GUI thread.
class Window : public QObject {
  public:
    explicit Window(int stopWaitMilliseconds)
        : work(
              stopWaitMilliseconds, [this] { log << "ended"; }, [this] { log << "closed"; }) {}

    void PostWorkDone() {
        QMetaObject::invokeMethod(
            this, [this] { work.WorkDone(); }, Qt::QueuedConnection);
    }

    WindowWork work;
    QStringList log;
};

// Lets the test's workers go when the test is over, a failed check included, and waits a
// while for their threads to end, so that none outlives what it uses.
class LetGoAtEnd {
  public:
    explicit LetGoAtEnd(std::shared_ptr<Gate> gate) : m_gate(std::move(gate)) {}
    LetGoAtEnd(const LetGoAtEnd&) = delete;
    LetGoAtEnd& operator=(const LetGoAtEnd&) = delete;
    ~LetGoAtEnd() {
        m_gate->Open();
        for (int i = 0; i < 5000 && RunningWorkerThreads() > 0; ++i) {
            QThread::msleep(1);
        }
    }

  private:
    std::shared_ptr<Gate> m_gate;
};

}  // namespace

class WindowWorkTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void closingWaitsForTheRunsEndOrTheTimeOut_data() {
        QTest::addColumn<bool>("running");  // a run goes on when the window is closed
        QTest::addColumn<bool>("endsWhenStopped");
        QTest::addColumn<int>("closes");  // how often the window is closed
        QTest::addColumn<int>("timeOut");
        QTest::addColumn<QStringList>("log");
        const QStringList endThenClose{"ended", "closed"};
        QTest::newRow("no run: at once") << false << false << 1 << 60000 << QStringList{"closed"};
        QTest::newRow("after the run's end") << true << true << 1 << 60000 << endThenClose;
        QTest::newRow("closed twice: once") << true << true << 2 << 60000 << endThenClose;
        QTest::newRow("a run that never ends: after the time-out")
            << true << false << 2 << 20 << QStringList{"closed"};
    }

    void closingWaitsForTheRunsEndOrTheTimeOut() {
        QFETCH(bool, running);
        QFETCH(bool, endsWhenStopped);
        QFETCH(int, closes);
        QFETCH(int, timeOut);
        QFETCH(QStringList, log);
        Window window(timeOut);
        const auto stop = std::make_shared<StopFlag>();
        const auto letGo = std::make_shared<Gate>();  // a run that never ends waits here
        const LetGoAtEnd atEnd(letGo);
        if (running) {
            const auto run = [&window, stop, letGo, endsWhenStopped] {
                while (!stop->IsRequested() && !letGo->IsOpen()) {
                    QThread::msleep(1);
                }
                if (endsWhenStopped) {
                    window.PostWorkDone();
                } else {
                    letGo->Wait();
                }
            };
            QCOMPARE(window.work.Start(stop, run), WorkStart::Started);
        }
        QCOMPARE(window.work.Close(), running);
        for (int i = 1; i < closes; ++i) {
            QVERIFY(!window.work.Close());
        }
        QCOMPARE(stop->IsRequested(), running);
        if (running) {
            QCOMPARE(window.log, QStringList());  // nothing closes before the end is heard
            QVERIFY(window.work.IsClosing());
        }
        QTRY_COMPARE(window.log, log);
        QTest::qWait(3 * std::min(timeOut, 100));  // nothing more comes after
        QCOMPARE(window.log, log);
        QVERIFY(!window.work.IsClosing());
        letGo->Open();
        QTRY_COMPARE(RunningWorkerThreads(), 0);
    }

    void aStartIsRefusedWhileARunGoesOnOrIsEnding_data() {
        QTest::addColumn<bool>("endHeard");      // the first run's WM_APP_WORK_DONE arrived
        QTest::addColumn<bool>("threadEnded");   // the first run's thread returned
        QTest::addColumn<bool>("startedAgain");  // a second start is taken
        QTest::newRow("running") << false << false << false;
        QTest::newRow("ending") << true << false << false;
        QTest::newRow("ended") << true << true << true;
    }

    void aStartIsRefusedWhileARunGoesOnOrIsEnding() {
        QFETCH(bool, endHeard);
        QFETCH(bool, threadEnded);
        QFETCH(bool, startedAgain);
        Window window(60000);
        const auto letGo = std::make_shared<Gate>();
        const LetGoAtEnd atEnd(letGo);
        const auto first = [&window, letGo] {
            window.PostWorkDone();
            letGo->Wait();
        };
        QCOMPARE(window.work.Start(nullptr, first), WorkStart::Started);
        if (endHeard) {
            QTRY_COMPARE(window.log, QStringList{"ended"});
            QVERIFY(!window.work.IsRunning());
        }
        std::atomic<int> secondRuns{0};
        const auto second = [&secondRuns] { ++secondRuns; };
        if (threadEnded) {
            letGo->Open();
            // Taken once the first thread has returned; tried until then, started once.
            WorkStart started = WorkStart::Busy;
            const auto startOnce = [&] {
                if (started != WorkStart::Started) {
                    started = window.work.Start(nullptr, second);
                }
                return started;
            };
            QTRY_COMPARE(startOnce(), WorkStart::Started);
        } else {
            QCOMPARE(window.work.Start(nullptr, second), WorkStart::Busy);
            letGo->Open();
        }
        QTRY_COMPARE(RunningWorkerThreads(), 0);
        QCOMPARE(secondRuns.load(), startedAgain ? 1 : 0);
    }
};

MAVREN_UI_TEST_MAIN(WindowWorkTest)
#include "window_work_test.moc"
