// mavren-dialogs: opens each of Mavren's dialogs for a look, on a program file or on a
// program with the default settings; with --screenshots FOLDER renders them all to PNG
// files instead.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <functional>

#include "document/program.h"
#include "platform/app_folders.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "screenshots.h"
#include "ui/desktop_backends.h"
#include "ui/folder_browser.h"
#include "ui/label_options_dialog.h"
#include "ui/link_options_dialog.h"
#include "ui/new_folder_dialog.h"
#include "ui/prog_prop_sheet.h"
#include "ui/thumbnail_options_dialog.h"
#include "ui/wizard_sheet.h"

namespace {

void AddButton(QWidget* window, const QString& text, const std::function<void()>& open) {
    auto* button = new QPushButton(text, window);
    window->layout()->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, window, open);
}

}  // namespace

int main(int argc, char** argv) {
    const bool screenshots = argc == 3 && std::strcmp(argv[1], "--screenshots") == 0;
    const QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/mavren-screenshots-XXXXXX"));
    if (screenshots && !UseScratchHome(scratch)) {
        std::fprintf(stderr, "mavren-dialogs: cannot make a temporary folder\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mavren"));
    SetFoldersFromExecutable();
    const QStringList arguments = QApplication::arguments();
    if (screenshots) {
        InstallDesktopBackends();
        return RenderScreenshots(arguments[2]);
    }
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments[1].startsWith('-'))) {
        QTextStream(stderr) << "Usage: mavren-dialogs [PROGRAM.mav]\n"
                               "       mavren-dialogs --screenshots FOLDER\n";
        return 2;
    }
    InstallDesktopBackends();

    Program program;
    program.ApplyDefaults();
    if (arguments.size() == 2) {
        const std::string path = arguments[1].toStdString();
        if (PathExtension(path) != "MAV") {
            ShowMessageBox("Not a Mavren program: " + path, MB_OK | MB_ICONSTOP);
            return 1;
        }
        if (const Result loaded = program.Load(path); !loaded.ok()) {
            ShowMessageBox(loaded.text(), MB_OK | MB_ICONSTOP);
            return 1;
        }
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Mavren dialogs"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(
        program.path.empty() ? QStringLiteral("A program with the default settings (not saved)")
                             : QStringLiteral("Program: ") + QString::fromStdString(program.path) +
                                   QStringLiteral(" (saved when the sheet closes)"),
        &window));
    AddButton(&window, QStringLiteral("Edit Program ..."), [&] {
        CMavrenProgPropSheet sheet(program, &window);
        sheet.exec();
        if (!program.path.empty()) {
            if (const Result saved = program.Save(program.path); !saved.ok()) {
                ShowMessageBox(saved.text(), MB_OK | MB_ICONSTOP);
            }
        }
    });
    AddButton(&window, QStringLiteral("New Program Wizard ..."), [&] {
        CMavrenWizardSheet wizard(&window);
        if (wizard.exec() == QDialog::Accepted) {
            const WizardAnswers& answers = wizard.Answers();
            QTextStream(stdout) << "source " << QString::fromStdString(answers.sourceFolder)
                                << " type " << answers.fileType << " target "
                                << QString::fromStdString(answers.targetFolder) << " program "
                                << QString::fromStdString(
                                       JoinPath(answers.programFolder, answers.programName))
                                << "\n";
        }
    });
    AddButton(&window, QStringLiteral("Thumbnail Options ..."), [&] {
        CMavrenThumbnailOptionsDialog dialog({}, &window);
        dialog.exec();
    });
    AddButton(&window, QStringLiteral("Label Options ..."), [&] {
        CMavrenLabelOptionsDialog dialog({}, &window);
        dialog.exec();
    });
    AddButton(&window, QStringLiteral("Link Options ..."), [&] {
        CMavrenLinkOptionsDialog dialog({}, &window);
        dialog.exec();
    });
    AddButton(&window, QStringLiteral("New Folder ..."), [&] {
        CMavrenNewFolderDialog dialog({}, &window);
        dialog.exec();
    });
    AddButton(&window, QStringLiteral("Folder Picker ..."), [&] {
        FolderBrowser browser;
        browser.SetTitle("Locate the Source Directory");
        if (browser.Browse(&window, {}, "*.jpg;*.png;*.gif")) {
            QTextStream(stdout) << QString::fromStdString(browser.GetPath()) << "\n";
        }
    });
    window.show();
    return application.exec();
}
