#include "ui/qt_browser_chooser.h"

#include <QApplication>
#include <QDir>

#include "ui/gui_thread.h"
#include "ui/vq_file_dialog.h"
#include "work/settings_failures.h"

std::string ChooseBrowserProgram() {
    CVQFileDialog dialog(true, QStringLiteral("Programs (*)|*|"),
                         QApplication::activeModalWidget());
    dialog.setObjectName(QStringLiteral("browserChooserDialog"));
    dialog.setWindowTitle(QStringLiteral("Locate a Browser"));
    dialog.setDirectory(QDir(QStringLiteral("/usr/bin")).exists() ? QStringLiteral("/usr/bin")
                                                                  : QDir::homePath());
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front().toStdString();
}

std::string QtBrowserChooser::ChooseBrowser() {
    return CallOnGuiThread([] { return ChooseBrowserProgram(); }, std::string());
}

void QtBrowserChooser::PickNotStored(const Result& stored) {
    TellSettingsWriteFailure(stored);
}
