#include "support/ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <cstdlib>

#include "platform/registry_store.h"
#include "support/program_fixture.h"

IsolatedHome::IsolatedHome() {
    m_path = m_root.path();
    const auto set = [this](const char* name, const QString& relative) {
        const QString folder = relative.isEmpty() ? m_path : m_path + QLatin1Char('/') + relative;
        QDir().mkpath(folder);
        ::setenv(name, QFile::encodeName(folder).constData(), 1);
    };
    set("HOME", {});
    set("XDG_CONFIG_HOME", QStringLiteral(".config"));
    set("XDG_DATA_HOME", QStringLiteral(".local/share"));
    set("XDG_CACHE_HOME", QStringLiteral(".cache"));
    set("XDG_RUNTIME_DIR", QStringLiteral("runtime"));
    QFile::setPermissions(m_path + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // No session bus, so no secret store: every machine alike, and no desktop service
    // started on the tests' behalf.
    ::setenv("DBUS_SESSION_BUS_ADDRESS",
             QFile::encodeName(QStringLiteral("unix:path=") + m_path + QStringLiteral("/no-bus"))
                 .constData(),
             1);
    for (const char* name :
         {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "DISPLAY", "WAYLAND_DISPLAY", "BROWSER"}) {
        ::unsetenv(name);
    }
}

void ForgetSettings() {
    QFile::remove(QString::fromStdString(RegistryStorePath()));
}

ScriptedBoxes::ScriptedBoxes()
    : m_boxes(std::make_shared<ScriptedMessageBox>()), m_previous(SetMessageBoxBackend(m_boxes)) {}

ScriptedBoxes::~ScriptedBoxes() {
    SetMessageBoxBackend(m_previous);
}

std::unique_ptr<ModalWatcher> OnNextModal(const std::function<void(QWidget*)>& act) {
    return std::make_unique<ModalWatcher>([act](QWidget* window) {
        const QPointer<QWidget> guard(window);
        act(window);
        if (auto* dialog = qobject_cast<QDialog*>(guard.data()); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    });
}

void ChooseInFileDialog(QWidget* window, const QString& path) {
    auto* dialog = qobject_cast<QFileDialog*>(window);
    if (dialog == nullptr) {
        QTest::qFail("not a file dialog", __FILE__, __LINE__);
        return;
    }
    if (path.isEmpty()) {
        dialog->reject();
        return;
    }
    // Typed into the name box, as the dialog's own selection depends on where the focus is.
    const QFileInfo info(path);
    dialog->setDirectory(info.absolutePath());
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr) {
        QTest::qFail("the file dialog has no name box", __FILE__, __LINE__);
        return;
    }
    name->setText(info.fileName());
    static_cast<QDialog*>(dialog)->accept();
}

bool WithModal(const std::function<void()>& open, const std::function<void(QWidget*)>& act) {
    const auto watcher = OnNextModal(act);
    open();
    return watcher->Fired();
}

int ExecWith(QDialog& dialog, const std::function<void(QWidget*)>& act) {
    int result = -1000;
    bool opened = WithModal([&] { result = dialog.exec(); }, act);
    return opened ? result : -1000;
}

void QuietPlatformNotes() {
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.contains(QLatin1String("does not support propagateSizeHints"))) {
                return;
            }
            if (previous != nullptr) {
                previous(type, context, message);
            }
        });
}

void ProgramWindowTest::initTestCase() {
    QuietPlatformNotes();
    UseBuildResources();
}

void ProgramWindowTest::init() {
    ForgetSettings();
}

void PressButton(QWidget* window, QDialogButtonBox::StandardButton which) {
    if (auto* box = Find<QDialogButtonBox>(window, "buttonBox")) {
        box->button(which)->click();
    }
}

void ShowSheetPage(QWidget* sheet, int index) {
    if (auto* tabs = Find<QTabWidget>(sheet, "pageTabs")) {
        tabs->setCurrentIndex(index);
    }
}

QString TestHome() {
    return qEnvironmentVariable("HOME");
}

QString MakeRecordingBrowser(const QString& folder, const QString& record) {
    const QString path = folder + QStringLiteral("/recording-browser");
    WriteTextFile(path, "#!/bin/sh\nprintf '%s' \"$1\" > '" + record.toStdString() + "'\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

std::string ReadTextFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

bool WriteTextFile(const QString& path, const std::string& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}
