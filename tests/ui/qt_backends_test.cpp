// The Qt message boxes and browser chooser: buttons, icons, keys, and answers given on
// the GUI thread to questions asked from other threads.

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <memory>
#include <thread>

#include "platform/open_url.h"
#include "platform/registry.h"
#include "support/ui_test_support.h"
#include "ui/qt_browser_chooser.h"
#include "ui/qt_message_box.h"

namespace {

// Installs the Qt boxes and chooser for a test, restoring what was there after.
class QtBackends {
  public:
    QtBackends()
        : previousBoxes(SetMessageBoxBackend(std::make_shared<QtMessageBox>())),
          previousChooser(SetBrowserChooser(std::make_shared<QtBrowserChooser>())) {}
    ~QtBackends() {
        SetMessageBoxBackend(previousBoxes);
        SetBrowserChooser(previousChooser);
    }

  private:
    std::shared_ptr<MessageBoxBackend> previousBoxes;
    std::shared_ptr<BrowserChooser> previousChooser;
};

}  // namespace

class QtBackendsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { QuietPlatformNotes(); }
    void init() { ForgetSettings(); }

    void boxesAnswerAsWindowsBoxesDo_data() {
        QTest::addColumn<unsigned>("flags");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closedByKey");
        QTest::addColumn<int>("answer");
        const int yesNo = QMessageBox::Yes | QMessageBox::No;
        QTest::newRow("OK, Escape") << (MB_OK | MB_ICONSTOP) << int(QMessageBox::Critical)
                                    << int(QMessageBox::Ok) << int(Qt::Key_Escape) << true << IDOK;
        QTest::newRow("OK, Enter") << (MB_OK | MB_ICONINFORMATION) << int(QMessageBox::Information)
                                   << int(QMessageBox::Ok) << int(Qt::Key_Return) << true << IDOK;
        QTest::newRow("OK/Cancel, Escape")
            << (MB_OKCANCEL | MB_ICONEXCLAMATION) << int(QMessageBox::Warning)
            << int(QMessageBox::Ok | QMessageBox::Cancel) << int(Qt::Key_Escape) << true
            << IDCANCEL;
        QTest::newRow("Yes/No, Enter") << (MB_YESNO | MB_ICONQUESTION) << int(QMessageBox::Question)
                                       << yesNo << int(Qt::Key_Return) << true << IDYES;
        QTest::newRow("Yes/No offering No, Enter")
            << (MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) << int(QMessageBox::Warning) << yesNo
            << int(Qt::Key_Return) << true << IDNO;
        // Only the buttons answer a Yes/No box; the test then presses No.
        QTest::newRow("Yes/No, Escape") << unsigned(MB_YESNO) << int(QMessageBox::NoIcon) << yesNo
                                        << int(Qt::Key_Escape) << false << IDNO;
        QTest::newRow("Retry/Cancel, Enter")
            << (MB_RETRYCANCEL | MB_ICONEXCLAMATION) << int(QMessageBox::Warning)
            << int(QMessageBox::Retry | QMessageBox::Cancel) << int(Qt::Key_Return) << true
            << IDRETRY;
        QTest::newRow("Retry/Cancel, Escape")
            << (MB_RETRYCANCEL | MB_ICONEXCLAMATION) << int(QMessageBox::Warning)
            << int(QMessageBox::Retry | QMessageBox::Cancel) << int(Qt::Key_Escape) << true
            << IDCANCEL;
    }
    void boxesAnswerAsWindowsBoxesDo() {
        QFETCH(unsigned, flags);
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, key);
        QFETCH(bool, closedByKey);
        QFETCH(int, answer);
        QtBackends backends;
        const std::string text = "Line one <b>not bold</b>\n\nLine two";
        int result = 0;
        bool stayedOpen = false;
        const bool opened = WithModal([&] { result = ShowMessageBox(text, flags); },
                                      [&](QWidget* window) {
                                          auto* box = qobject_cast<QMessageBox*>(window);
                                          QVERIFY(box != nullptr);
                                          QCOMPARE(box->windowTitle(), QStringLiteral("Mavren"));
                                          QCOMPARE(box->text().toStdString(), text);
                                          QCOMPARE(box->textFormat(), Qt::PlainText);
                                          QCOMPARE(int(box->icon()), icon);
                                          QCOMPARE(int(box->standardButtons()), buttons);
                                          QTest::keyClick(box, Qt::Key(key));
                                          stayedOpen = box->isVisible();
                                          if (stayedOpen) {
                                              box->button(QMessageBox::No)->click();
                                          }
                                      });
        QVERIFY(opened);
        QCOMPARE(stayedOpen, !closedByKey);
        QCOMPARE(result, answer);
    }

    void workerWaitsForTheAnswer() {
        QtBackends backends;
        std::atomic<bool> finished = false;
        int answer = 0;
        bool finishedWhileShown = true;
        const auto watcher = OnNextModal([&](QWidget* window) {
            finishedWhileShown = finished;
            auto* box = qobject_cast<QMessageBox*>(window);
            QVERIFY(box != nullptr);
            box->button(QMessageBox::Retry)->click();
        });
        std::thread worker([&] {
            answer = ShowMessageBox("Cannot copy.", MB_RETRYCANCEL | MB_ICONEXCLAMATION);
            finished = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(finished, 10000);
        worker.join();
        QVERIFY(watcher->Fired());
        QVERIFY(!finishedWhileShown);
        QCOMPARE(answer, IDRETRY);
    }

    void chooserAnswersFromTheGuiThread() {
        const QString program = MakeRecordingBrowser(TestHome(), TestHome() + "/unused");
        std::atomic<bool> finished = false;
        std::string chosen;
        const auto watcher = OnNextModal([&](QWidget* window) {
            QCOMPARE(window->windowTitle(), QStringLiteral("Locate a Browser"));
            ChooseInFileDialog(window, program);
        });
        std::thread worker([&] {
            chosen = QtBrowserChooser().ChooseBrowser();
            finished = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(finished, 10000);
        worker.join();
        QCOMPARE(QString::fromStdString(chosen), program);
    }

    void cancelledChooserGivesNothing() {
        std::string chosen = "unchanged";
        const bool opened =
            WithModal([&] { chosen = QtBrowserChooser().ChooseBrowser(); },
                      [](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
        QVERIFY(opened);
        QVERIFY(chosen.empty());
    }

    // The whole way: the handler fails, the user says Yes, picks a browser, and the page
    // opens in it; the pick is remembered.
    void failedStartLetsUserPickBrowser() {
        QtBackends backends;
        const QString record = TestHome() + QStringLiteral("/opened-url");
        const QString program = MakeRecordingBrowser(TestHome(), record);
        QVERIFY(
            SetRegistryString(kApplicationKey, "URLHandler", TestHome().toStdString() + "/missing")
                .ok());
        std::unique_ptr<ModalWatcher> chooserWatcher;
        QString question;
        const auto questionWatcher = OnNextModal([&](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            QVERIFY(box != nullptr);
            question = box->text();
            chooserWatcher =
                OnNextModal([&](QWidget* chooser) { ChooseInFileDialog(chooser, program); });
            box->button(QMessageBox::Yes)->click();
        });
        OpenUrl("https://example.org/site/INDEX000.HTM");
        QTRY_COMPARE_WITH_TIMEOUT(ReadTextFile(record),
                                  std::string("https://example.org/site/INDEX000.HTM"), 15000);
        QVERIFY(question.endsWith(
            QStringLiteral("Do you want to locate a browser to display this URL?")));
        // Stored once the browser has ended well, which may come after it wrote the address.
        QTRY_COMPARE_WITH_TIMEOUT(
            QString::fromStdString(GetRegistryString(kApplicationKey, "URLHandler")), program,
            10000);
    }
};

MAVREN_UI_TEST_MAIN(QtBackendsTest)
#include "qt_backends_test.moc"
