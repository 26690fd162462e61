#include "ui/mavren_app.h"

#include <QApplication>
#include <QIcon>

#include "media/imaging.h"
#include "platform/app_folders.h"
#include "platform/file_type.h"
#include "platform/forget_request.h"
#include "platform/paths.h"
#include "ui/desktop_backends.h"
#include "ui/main_dialog.h"
#include "upload/internet_session.h"

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
    SetFoldersFromExecutable();
    const QIcon icon(QString::fromStdString(JoinPath(ExecutableFolder(), "mavren.png")));
    if (!icon.isNull()) {
        QApplication::setWindowIcon(icon);
    }
    // Every start, so that a moved program is found again. The running executable's own
    // path is named as it is: file names here are case-sensitive.
    RegisterFileType("Mavren.Program", ".mav", "Mavren Program", {}, 1);
    InitImaging();
    CreateSession();

    CMavrenMainDialog mainWindow;
    mainWindow.commandLinePath = CommandLineProgramPath(arguments);
    mainWindow.exec();
    return 0;
}

void CMavrenApp::ExitInstance() {
    DeleteSession();
}
