// Start-up: the command-line rule, the Welcome dialog and its choices, "Dont Show Again",
// the Forget request, the file type registration, and Test before any run.

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWizard>

#include "platform/registry.h"
#include "platform/registry_store.h"
#include "support/program_fixture.h"
#include "support/ui_test_support.h"
#include "ui/main_dialog.h"
#include "ui/mavren_app.h"

namespace {

// What the windows of one start looked like, in the order they opened.
struct StartRecord {
    QStringList windows;  // object names
    QString programName;  // the main window's program box
    QString title;        // the main window's title
};

// Starts the tool with arguments. handle acts in every window before the main window
// (the Welcome dialog, what it leads to); every window is recorded and the main window is
// closed once it is up.
StartRecord Start(const QStringList& arguments, const std::function<void(QWidget*)>& handle) {
    StartRecord record;
    // Kept to the end: a watcher is still running its action when the next one is made.
    std::vector<std::unique_ptr<ModalWatcher>> watchers;
    std::function<void(QWidget*)> act;
    act = [&](QWidget* window) {
        record.windows << window->objectName();
        if (qobject_cast<CMavrenMainDialog*>(window) != nullptr) {
            record.programName = Find<QLabel>(window, "programNameLabel")->text();
            record.title = window->windowTitle();
            static_cast<QDialog*>(window)->reject();
            return;
        }
        // The window after this one, once this one is gone.
        watchers.push_back(OnNextModal(act));
        if (handle) {
            handle(window);
        }
    };
    watchers.push_back(OnNextModal(act));
    CMavrenApp app;
    app.InitInstance(arguments);
    app.ExitInstance();
    return record;
}

const QString kWelcome = QStringLiteral("WelcomeDialog");
const QString kMain = QStringLiteral("MainDialog");

}  // namespace

class StartupTest : public ProgramWindowTest {
    Q_OBJECT

  private Q_SLOTS:
    // First: no run has happened in this process yet.
    void testBeforeAnyRunHasNothingToTest() {
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        const std::string path = SaveProgram(folder.filePath("old.mav"), folder.path(),
                                             folder.path(), "01/02/20 10:00:00");
        const QString record = UseRecordingBrowser();
        CMavrenMainDialog window;
        window.SetCommandLinePath(path);
        ExecWith(window, [](QWidget* shown) {
            QVERIFY(Find<QPushButton>(shown, "testButton")->isEnabled());
            Find<QPushButton>(shown, "testButton")->click();
        });
        QCOMPARE(boxes->Texts(), std::vector<std::string>({"Nothing to test!"}));
        QCOMPARE(boxes->Boxes()[0].flags, MB_OK | MB_ICONSTOP);
        // Nothing signals a browser that was not started: a wrongly started one gets the
        // time to record itself.
        QTest::qWait(200);
        QVERIFY(!QFileInfo::exists(record));
    }

    void commandLineRule_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("program");
        QTest::newRow("upper-case extension")
            << QStringList{"mavren", "/home/ann/Sites/Cats.MAV"} << "/home/ann/Sites/Cats.MAV";
        QTest::newRow("lower-case") << QStringList{"mavren", "a.mav", "b.mav"} << "a.mav";
        QTest::newRow("mixed case") << QStringList{"mavren", "Trip.Mav"} << "Trip.Mav";
        QTest::newRow("other extension") << QStringList{"mavren", "notes.txt"} << "";
        QTest::newRow("longer extension") << QStringList{"mavren", "a.mavx"} << "";
        QTest::newRow("no extension") << QStringList{"mavren", "mav"} << "";
        QTest::newRow("only the second") << QStringList{"mavren", "-x", "a.mav"} << "";
        QTest::newRow("none") << QStringList{"mavren"} << "";
    }

    void commandLineRule() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, program);
        QCOMPARE(QString::fromStdString(CommandLineProgramPath(arguments)), program);
    }

    void programOnTheCommandLineOpensWithoutWelcome() {
        QTemporaryDir folder;
        const QString path = folder.filePath("Cats.MAV");
        SaveProgram(path, folder.path(), folder.path());
        const StartRecord record = Start({"mavren", path}, {});
        QCOMPARE(record.windows, QStringList{kMain});
        QCOMPARE(record.title, path);
        QCOMPARE(GetRegistryString(kApplicationKey, "LastOpenProgram"), path.toStdString());
    }

    void otherArgumentShowsWelcomeAndEscapeLeavesNoProgram() {
        bool openLastEnabled = true;
        const StartRecord record = Start({"mavren", "notes.txt"}, [&](QWidget* welcome) {
            openLastEnabled = Find<QPushButton>(welcome, "openLastButton")->isEnabled();
            QTest::keyClick(welcome, Qt::Key_Escape);
        });
        QCOMPARE(record.windows, (QStringList{kWelcome, kMain}));
        QVERIFY(!openLastEnabled);
        QCOMPARE(record.programName, QStringLiteral("No program loaded"));
    }

    void openLastReopensTheLastProgram() {
        QTemporaryDir folder;
        const QString path = folder.filePath("last.mav");
        SaveProgram(path, folder.path(), folder.path());
        QVERIFY(SetRegistryString(kApplicationKey, "LastOpenProgram", path.toStdString()).ok());
        const StartRecord record = Start({"mavren"}, [](QWidget* welcome) {
            Find<QPushButton>(welcome, "openLastButton")->click();
        });
        QCOMPARE(record.windows, (QStringList{kWelcome, kMain}));
        QCOMPARE(record.title, path);
    }

    void dontShowAgainReopensTheLastProgramDirectly() {
        QTemporaryDir folder;
        const QString path = folder.filePath("last.mav");
        SaveProgram(path, folder.path(), folder.path());
        QVERIFY(SetRegistryString(kApplicationKey, "LastOpenProgram", path.toStdString()).ok());
        QVERIFY(CreateRegistryKeyPath(kDontShowAgainKey).ok());
        QVERIFY(SetRegistryString(kDontShowAgainKey, "Welcome", "1").ok());
        const StartRecord record = Start({"mavren"}, {});
        QCOMPARE(record.windows, QStringList{kMain});
        QCOMPARE(record.title, path);
    }

    void tickingTheBoxKeepsTheWelcomeAway() {
        Start({"mavren"}, [](QWidget* welcome) {
            Find<QCheckBox>(welcome, "dontAskAgainCheckBox")->setChecked(true);
            QTest::keyClick(welcome, Qt::Key_Escape);
        });
        QCOMPARE(GetRegistryString(kDontShowAgainKey, "Welcome"), std::string("1"));
        QCOMPARE(Start({"mavren"}, {}).windows, QStringList{kMain});
    }

    void forgetBringsTheWelcomeBack() {
        QVERIFY(CreateRegistryKeyPath(kDontShowAgainKey).ok());
        QVERIFY(SetRegistryString(kDontShowAgainKey, "Welcome", "1").ok());
        QVERIFY(CreateRegistryKeyPath(kWindowPositionsKey).ok());
        QVERIFY(SetRegistryString(kWindowPositionsKey, "Wizard", "1;2;300;400;1;0;1024;96").ok());
        QVERIFY(SetRegistryString(kWindowPositionsKey, "Forget", "yes").ok());
        const StartRecord record =
            Start({"mavren"}, [](QWidget* welcome) { QTest::keyClick(welcome, Qt::Key_Escape); });
        QCOMPARE(record.windows, (QStringList{kWelcome, kMain}));
        QVERIFY(GetRegistryString(kWindowPositionsKey, "Forget").empty());
        QVERIFY(GetRegistryString(kWindowPositionsKey, "Wizard").empty());
        // Positions saved by this start are kept by the next one.
        QVERIFY(!GetRegistryString(kWindowPositionsKey, "Mavren").empty());
    }

    void welcomeNewShowsTheWizardBeforeTheMainWindow() {
        const StartRecord record = Start({"mavren"}, [](QWidget* window) {
            if (window->objectName() == kWelcome) {
                Find<QPushButton>(window, "newButton")->click();
            } else {
                static_cast<QDialog*>(window)->reject();
            }
        });
        QCOMPARE(record.windows, (QStringList{kWelcome, "newProgramWizard", kMain}));
        QCOMPARE(record.programName, QStringLiteral("No program loaded"));
    }

    void welcomeOpenShowsTheFileDialog() {
        QTemporaryDir folder;
        const QString path = folder.filePath("picked.mav");
        SaveProgram(path, folder.path(), folder.path());
        const StartRecord record = Start({"mavren"}, [&](QWidget* window) {
            if (window->objectName() == kWelcome) {
                Find<QPushButton>(window, "openButton")->click();
            } else {
                ChooseInFileDialog(window, path);
            }
        });
        QCOMPARE(record.windows, (QStringList{kWelcome, "fileDialog", kMain}));
        QCOMPARE(record.title, path);
    }

    void aDamagedSettingsFileIsNamedOnceAndLeftAsItIs() {
        const QString path = QString::fromStdString(RegistryStorePath());
        const std::string text = "[Software\\Orvashi\\Mavren 1.0]\n\"LastOpenProgram\"=\"/a.mav\n";
        QVERIFY(WriteTextFile(path, text));
        QTemporaryDir folder;
        const QString program = folder.filePath("a.mav");
        SaveProgram(program, folder.path(), folder.path());
        QStringList told;
        const StartRecord record = Start({"mavren", program}, [&](QWidget* window) {
            if (auto* box = qobject_cast<QMessageBox*>(window)) {
                told << box->text();
                box->accept();
            }
        });
        // The box, then the main window, whose saves on closing say nothing more.
        QCOMPARE(record.windows.size(), 2);
        QCOMPARE(record.title, program);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].contains(path + "' cannot be read, line 2: the closing double quote is "
                                         "missing"),
                 qPrintable(told[0]));
        QCOMPARE(ReadTextFile(path), text);
    }

    void startRegistersTheProgramFileType() {
        QTemporaryDir folder;
        const QString path = folder.filePath("a.mav");
        SaveProgram(path, folder.path(), folder.path());
        // No package installed the type for everyone, so it goes to the user's data folder.
        QTemporaryDir system;
        const QByteArray systemFolders = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_DIRS", system.path().toLocal8Bit());
        Start({"mavren", path}, {});
        if (systemFolders.isNull()) {
            qunsetenv("XDG_DATA_DIRS");
        } else {
            qputenv("XDG_DATA_DIRS", systemFolders);
        }
        const QString data = qEnvironmentVariable("XDG_DATA_HOME");
        const std::string package = ReadTextFile(data + "/mime/packages/mavren-program.xml");
        QVERIFY(!package.empty());
        QCOMPARE(package, ReadTextFile(MAVREN_SOURCE_DIR "/resources/mavren-program.xml"));
        const std::string entry = ReadTextFile(data + "/applications/mavren.desktop");
        QVERIFY(entry.find("MimeType=application/x-mavren-program;") != std::string::npos);
    }
};

MAVREN_UI_TEST_MAIN(StartupTest)
#include "startup_test.moc"
