#include "ui/mavren_app.h"

#include <QApplication>
#include <QIcon>

#include "platform/app_folders.h"
#include "platform/paths.h"
#include "ui/desktop_backends.h"
#include "ui/file_type.h"
#include "ui/forget_request.h"
#include "ui/main_dialog.h"
#include "upload/internet_session.h"
#include "work/settings_failures.h"

std::string CommandLineProgramPath(const QStringList& arguments) {
    if (arguments.size() < 2) {
        return {};
    }
    const std::string first = arguments[1].toStdString();
    return PathExtension(first) == "MAV" ? first : std::string();
}

int CMavrenApp::InitInstance(const QStringList& arguments) {
    // Before any window reads a remembered place.
    HonourForgetRequest();
    InstallDesktopBackends();
    // A damaged settings file is named once here; the windows then go on with their
    // defaults, and their saves leave the file alone without a box each.
    CheckSettings();
    SetFoldersFromExecutable();
    const QIcon icon(QString::fromStdString(JoinPath(ExecutableFolder(), "mavren.png")));
    if (!icon.isNull()) {
        QApplication::setWindowIcon(icon);
    }
    // Every start, so that a moved program is found again. The running executable's own
    // path is named as it is: file names here are case-sensitive.
    RegisterFileType("Mavren.Program", ".mav", "Mavren Program", {}, 1);
    // libvips and its libraries load with the first picture of a run, not before the window.
    CreateSession();

    CMavrenMainDialog mainWindow;
    mainWindow.SetCommandLinePath(CommandLineProgramPath(arguments));
    mainWindow.exec();
    return 0;
}

void CMavrenApp::ExitInstance() {
    DeleteSession();
}
