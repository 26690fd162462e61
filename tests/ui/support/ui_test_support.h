#pragma once

// Helpers of the window tests: a temporary home for the whole test program, scripted
// message boxes, and running a modal dialog while a function acts on it.
//
// Each test program ends with MAVREN_UI_TEST_MAIN(TestClass): it selects the offscreen
// platform unless another is set, points HOME and the XDG folders at a fresh temporary
// folder, and runs the QtTest class.

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "support/scripted_message_box.h"
#include "ui/modal_watcher.h"

class QWidget;

// HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME and XDG_RUNTIME_DIR inside a
// temporary folder for the object's lifetime; desktop session variables unset, and the
// session bus pointed nowhere.
class IsolatedHome {
  public:
    IsolatedHome();
    const QString& path() const { return m_path; }

  private:
    QTemporaryDir m_root;
    QString m_path;
};

// Removes every stored setting (window places, remembered folders, ActivePage).
void ForgetSettings();

// Installs a ScriptedMessageBox for its lifetime, restoring the previous backend after.
class ScriptedBoxes {
  public:
    ScriptedBoxes();
    ~ScriptedBoxes();
    ScriptedBoxes(const ScriptedBoxes&) = delete;
    ScriptedBoxes& operator=(const ScriptedBoxes&) = delete;

    ScriptedMessageBox* operator->() const { return m_boxes.get(); }

  private:
    std::shared_ptr<ScriptedMessageBox> m_boxes;
    std::shared_ptr<MessageBoxBackend> m_previous;
};

// Watches for the next modal window and runs act on it once it is up. A window act
// leaves open is rejected, so that a failed check inside act cannot leave the test
// waiting. Keep the watcher alive until the window has come and gone.
std::unique_ptr<ModalWatcher> OnNextModal(const std::function<void(QWidget*)>& act);

// In an open file or folder dialog: chooses path (a file, or a folder in a folder dialog)
// as typing its name would, and confirms. An empty path cancels.
void ChooseInFileDialog(QWidget* window, const QString& path);

// Runs open() (which shows a modal window and waits for it), and once that window is up
// calls act(window). A window act leaves open is closed with reject, so that a failed
// check inside act cannot leave the test waiting. False when no window opened.
bool WithModal(const std::function<void()>& open, const std::function<void(QWidget*)>& act);

// The same for a dialog object: its exec() result, or -1000 when it opened no window.
int ExecWith(QDialog& dialog, const std::function<void(QWidget*)>& act);

// The named child of a window, of type T; fails the current test when missing.
template <typename T>
T* Find(const QWidget* window, const char* name) {
    T* child = window->findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        QTest::qFail((std::string("no control named ") + name).c_str(), __FILE__, __LINE__);
    }
    return child;
}

// Drops the offscreen platform's notes that it cannot do what only a real desktop does.
// QtTest installs its own message handler when it starts, so call this from initTestCase.
void QuietPlatformNotes();

// The set-up of the tests of the program's main windows: once, the platform's notes
// quieted (QtTest installs its message handler as it starts, so not before) and the build
// folder as the executable folder; before each test, no stored settings. Derive the test
// class from it and leave initTestCase and init to it.
class ProgramWindowTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase();
    void init();
};

// The temporary home folder of the test program.
QString TestHome();

// A program that writes its first argument into the file record and ends at once: a
// browser for tests. Made in folder.
QString MakeRecordingBrowser(const QString& folder, const QString& record);

// Clicks one of the standard buttons of the window's "buttonBox".
void PressButton(QWidget* window, QDialogButtonBox::StandardButton which);

// Makes the property sheet show the page at index, as a click on its tab does.
void ShowSheetPage(QWidget* sheet, int index);

// The text of the file, or empty.
std::string ReadTextFile(const QString& path);

// Writes text into the file, creating folders on the way; false on failure.
bool WriteTextFile(const QString& path, const std::string& text);

#define MAVREN_UI_TEST_MAIN(TestClass)                       \
    int main(int argc, char** argv) {                        \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) { \
            qputenv("QT_QPA_PLATFORM", "offscreen");         \
        }                                                    \
        IsolatedHome home;                                   \
        QApplication application(argc, argv);                \
        TestClass test;                                      \
        return QTest::qExec(&test, argc, argv);              \
    }
