// The main window's commands that open other windows or files: Test, Edit, Upload,
// About, New and Open.

#include <QApplication>
#include <filesystem>
#include <system_error>

#include "document/default_program.h"
#include "document/new_program_defaults.h"
#include "document/program.h"
#include "document/target_folder.h"
#include "generate/generation_run.h"
#include "generate/program_summary.h"
#include "generate/site_start_page.h"
#include "generate/source_kind.h"
#include "generate/themes.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/open_url.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "ui/about_dialog.h"
#include "ui/main_dialog.h"
#include "ui/prog_prop_sheet.h"
#include "ui/prop_page_content_opts.h"
#include "ui/upload_status_dialog.h"
#include "ui/vq_file_dialog.h"
#include "ui/wizard_sheet.h"
#include "work/settings_failures.h"

namespace {

std::string TemporaryFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : folder.string();
}

}  // namespace

void CMavrenMainDialog::OnTest() {
    // The open program's own site, wherever and whenever it was generated: after opening
    // another program, the site of the one generated before would be the wrong one.
    const std::string startPage = SiteStartPage(*m_program);
    if (!CheckRequiredFile(startPage).ok()) {
        ShowMessageBox("Nothing to test!", MB_OK | MB_ICONSTOP);
        return;
    }
    if (m_program->EditedSinceGenerated() &&
        ShowMessageBox("Warning\n\nThe program has been edited since it was last generated.\n\n"
                       "Do you want to test the previously generated output?",
                       MB_YESNO) != IDYES) {
        return;
    }
    OpenUrl(startPage);
}

void CMavrenMainDialog::OnEdit() {
    if (QApplication::keyboardModifiers() & Qt::ControlModifier) {
        // The program as its file has it, for a look; the program's own file stays.
        const std::string path = JoinPath(TemporaryFolder(), "Mavren.txt");
        if (const Result saved = m_program->Save(path); saved.ok()) {
            OpenUrl(path);
        } else {
            ShowMessageBox(saved.text(), MB_OK | MB_ICONSTOP);
        }
        return;
    }
    {
        CMavrenProgPropSheet sheet(*m_program, this);
        // Cancel leaves the program as it was, so its file stays as it is too.
        if (sheet.exec() != QDialog::Accepted) {
            return;
        }
    }
    SaveProgramFile();
    m_summaryText = ProgramSummary(*m_program);
    Refresh();
}

void CMavrenMainDialog::OnUpload() {
    CMavrenUploadStatusDialog dialog(this);
    dialog.SetLocalFolder(m_program->GetText(ProgramKey::TargetDir));
    dialog.SetOnlySite(UploadsOnlySite(*m_program));
    dialog.exec();
}

void CMavrenMainDialog::OnAbout() {
    CMavrenAboutDialog about({.aboutMode = true}, this);
    about.exec();
}

void CMavrenMainDialog::OnNew() {
    WizardAnswers answers;
    {
        CMavrenWizardSheet wizard(this);
        if (wizard.exec() != QDialog::Accepted) {
            return;
        }
        answers = wizard.Answers();
    }
    if (const Result loaded = LoadDefaultProgram(*m_program); !loaded.ok()) {
        ShowMessageBox(loaded.text(), MB_OK | MB_ICONEXCLAMATION);
    }
    const PictureProgramChoices pictureChoices = {
        answers.webCopies != 0, static_cast<PhotoOrder>(answers.photoOrder), answers.albums != 0,
        answers.publishOriginals != 0};
    ApplyNewProgramDefaults(
        *m_program, {answers.sourceFolder, answers.targetFolder,
                     PatternOfSourceType(answers.fileType, {}, std::string(kPhotoVideoPatterns)),
                     answers.fileType == 0, pictureChoices});
    m_program->path = JoinPath(answers.programFolder, answers.programName);
    WriteProgramFile();
    // A theme that cannot be copied, or one refused at its question, copies nothing; the
    // program keeps the classic pages.
    if (!answers.theme.empty()) {
        if (const Result themed = ApplyTheme(*m_program, m_program->path, answers.theme);
            themed.ok()) {
            WriteProgramFile();
        } else if (!themed.text().empty()) {
            ShowMessageBox(themed.text(), MB_OK | MB_ICONSTOP);
        }
    }
    LoadProgramFile(m_program->path);
}

void CMavrenMainDialog::OnOpen() {
    CVQFileDialog dialog(true, QStringLiteral("Mavren Files (*.mav)|*.mav|All Files (*.*)|*.*||"),
                         this);
    const std::string folder = GetRegistryString(kApplicationKey, "LastProgDir");
    if (!folder.empty()) {
        dialog.setDirectory(QString::fromStdString(folder));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const std::string path = dialog.selectedFiles().front().toStdString();
    LoadProgramFile(path);
    TellSettingsWriteFailure(SetRegistryString(kApplicationKey, "LastProgDir", PathFolder(path)));
}
