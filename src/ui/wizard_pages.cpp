#include "ui/wizard_pages.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFileInfo>
#include <QWizard>
#include <algorithm>
#include <cerrno>

#include "document/new_program_place.h"
#include "document/program.h"
#include "generate/source_kind.h"
#include "generate/subfolder_albums.h"
#include "generate/themes.h"
#include "platform/file_descriptor.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "ui/control_values.h"
#include "ui/new_folder_dialog.h"
#include "ui/pickers.h"
#include "ui/program_name_suggestion.h"
#include "ui/wizard_picture.h"
#include "ui_wizard_program_page.h"
#include "ui_wizard_source_page.h"
#include "ui_wizard_target_page.h"

namespace {

constexpr const char* kContinueQuestion = "\n\nDo you want to continue creating this program?";

// The parts every page shares: the picture and the title font.
template <typename Form>
void SetUpPage(QWizardPage* page, Form& form) {
    form.setupUi(page);
    form.pictureLabel->setPixmap(WizardPicture());
    QFont title(QStringLiteral("Arial"));
    title.setPointSize(20);
    form.titleLabel->setFont(title);
}

// Creates the file path (it must not exist yet) and deletes it again. 0, or the errno.
int TryCreateFile(const std::string& path) {
    UniqueFd created(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!created.valid()) {
        return errno;
    }
    created = UniqueFd();  // closed: only its making was in question
    ::unlink(path.c_str());
    return 0;
}

}  // namespace

bool AskToContinue(QWizard* wizard, const char* missing) {
    if (ShowMessageBox(std::string(missing) + kContinueQuestion, MB_YESNO | MB_ICONQUESTION) ==
        IDYES) {
        return true;
    }
    if (wizard != nullptr) {
        wizard->reject();
    }
    return false;
}

QString WizardTitle(const std::string& subject) {
    const QString title = QStringLiteral("Mavren Wizard");
    return subject.empty() ? title : title + QStringLiteral(": ") + QString::fromStdString(subject);
}

// Page 0: source files.

CMavrenWizardPage0::CMavrenWizardPage0(WizardAnswers& answers, QWidget* parent)
    : QWizardPage(parent), m_answers(answers), m_ui(std::make_unique<Ui::WizardSourcePage>()) {
    SetUpPage(this, *m_ui);
    setObjectName(QStringLiteral("wizardSourcePage"));
    m_typeGroup.addButton(m_ui->imagesRadio, 0);
    m_typeGroup.addButton(m_ui->textRadio, 1);
    m_typeGroup.addButton(m_ui->htmlRadio, 2);
    connect(&m_typeGroup, &QButtonGroup::idToggled, this, [this] { UpdateEnabling(); });
    connect(m_ui->publishOriginalsCheckBox, &QCheckBox::toggled, this,
            [this] { UpdateEnabling(); });
    connect(m_ui->sourceFolderBrowseButton, &QToolButton::clicked, this, [this] {
        ReadControls();
        if (PickFolderFrom(this, kSourceFolderPick, m_answers.sourceFolder)) {
            LookAtSourceFolder();
            ShowAnswers();
        }
    });
    connect(m_ui->sourceFolderEdit, &QLineEdit::editingFinished, this, [this] {
        ReadControls();
        LookAtSourceFolder();
        ShowAnswers();
    });
}

CMavrenWizardPage0::~CMavrenWizardPage0() = default;

void CMavrenWizardPage0::initializePage() {
    ShowAnswers();
}

bool CMavrenWizardPage0::validatePage() {
    ReadControls();
    if (!m_answers.sourceFolder.empty()) {
        LookAtSourceFolder();
        ShowAnswers();
        // Albums the user did not ask for are shown before the wizard goes on.
        const bool stay = m_noteUnseen;
        m_noteUnseen = false;
        return !stay;
    }
    AskToContinue(wizard(), "A source folder is required.");
    return false;
}

void CMavrenWizardPage0::ReadControls() {
    ReadText(m_ui->sourceFolderEdit, m_answers.sourceFolder);
    m_answers.fileType = RadioSelection(&m_typeGroup);
    m_answers.webCopies = CheckValue(m_ui->webCopiesCheckBox);
    m_answers.photoOrder = m_ui->orderCombo->currentIndex();
    m_answers.albums = CheckValue(m_ui->albumsCheckBox);
    m_answers.publishOriginals = CheckValue(m_ui->publishOriginalsCheckBox);
}

void CMavrenWizardPage0::ShowAnswers() {
    ShowText(m_ui->sourceFolderEdit, m_answers.sourceFolder);
    SetRadioSelection(&m_typeGroup, m_answers.fileType);
    SetCheckValue(m_ui->webCopiesCheckBox, m_answers.webCopies);
    m_ui->orderCombo->setCurrentIndex(m_answers.photoOrder);
    SetCheckValue(m_ui->albumsCheckBox, m_answers.albums);
    SetCheckValue(m_ui->publishOriginalsCheckBox, m_answers.publishOriginals);
    UpdateEnabling();
}

// A folder of pictures that holds none of its own but whose subfolders do is a folder of
// albums: they go on, once per folder, with a note saying why. Albums turned on for one
// folder go off again when the folder changes. Videos found beside the pictures are
// counted in a note too, shown once per folder, since making their web copies takes time.
void CMavrenWizardPage0::LookAtSourceFolder() {
    if (m_answers.fileType != 0 || m_answers.sourceFolder == m_lookedAt) {
        return;
    }
    m_lookedAt = m_answers.sourceFolder;
    if (m_albumsByUs) {
        m_albumsByUs = false;
        m_answers.albums = 0;
    }
    m_ui->albumsNoteLabel->clear();
    Program probe;
    probe.SetString(ProgramKey::SourceDir, m_answers.sourceFolder);
    probe.SetString(ProgramKey::SourceFileExtension, std::string(kPhotoVideoPatterns));
    probe.SetInt(ProgramKey::PhotoVideos, 1);
    std::string note;
    if (m_answers.albums == 0) {
        if (const SubfolderPictures found = PicturesOnlyInSubfolders(probe); found.pictures > 0) {
            m_answers.albums = 1;
            m_albumsByUs = true;
            note = AlbumsTurnedOnNote(found);
        }
    }
    probe.SetInt(ProgramKey::IncludeSubfolders, m_answers.albums);
    if (const std::string videos = FoundVideosNote(CountFolderMedia(probe)); !videos.empty()) {
        note += (note.empty() ? "" : "\n") + videos;
    }
    if (!note.empty()) {
        m_noteUnseen = true;
        m_ui->albumsNoteLabel->setText(QString::fromStdString(note));
    }
}

// The picture choices mean nothing to text and HTML programs.
void CMavrenWizardPage0::UpdateEnabling() {
    const bool pictures = RadioSelection(&m_typeGroup) == 0;
    m_ui->webCopiesCheckBox->setEnabled(pictures);
    m_ui->orderLabel->setEnabled(pictures);
    m_ui->orderCombo->setEnabled(pictures);
    m_ui->albumsCheckBox->setEnabled(pictures);
    m_ui->publishOriginalsCheckBox->setEnabled(pictures);
    m_ui->originalsPlaceLabel->setVisible(pictures && m_ui->publishOriginalsCheckBox->isChecked());
}

// Page 1: target folder.

CMavrenWizardPage1::CMavrenWizardPage1(WizardAnswers& answers, QWidget* parent)
    : QWizardPage(parent), m_answers(answers), m_ui(std::make_unique<Ui::WizardTargetPage>()) {
    SetUpPage(this, *m_ui);
    setObjectName(QStringLiteral("wizardTargetPage"));
    connect(m_ui->targetFolderBrowseButton, &QToolButton::clicked, this, [this] {
        ReadControls();
        if (PickFolderFrom(this, kTargetFolderPick, m_answers.targetFolder)) {
            ShowText(m_ui->targetFolderEdit, m_answers.targetFolder);
        }
    });
    connect(m_ui->newFolderButton, &QPushButton::clicked, this, [this] {
        ReadControls();
        // The site folder offered is made only at Next: until then new folders go beside it.
        std::string current = m_answers.targetFolder;
        if (current == m_suggested && !QFileInfo(QString::fromStdString(current)).isDir()) {
            current = PathFolder(current);
        }
        CMavrenNewFolderDialog dialog({current, {}}, this);
        if (dialog.exec() == QDialog::Accepted) {
            m_answers.targetFolder = dialog.Settings().newFolder;
            ShowText(m_ui->targetFolderEdit, m_answers.targetFolder);
        }
    });
}

CMavrenWizardPage1::~CMavrenWizardPage1() = default;

void CMavrenWizardPage1::initializePage() {
    if (m_shown) {
        return;
    }
    // Later changes on page 0 do not reach this page.
    m_shown = true;
    m_suggested = DefaultSiteFolder(m_answers.sourceFolder);
    m_answers.targetFolder = m_suggested;
    m_caption = WizardTitle(m_answers.programName);
    ShowText(m_ui->targetFolderEdit, m_answers.targetFolder);
}

bool CMavrenWizardPage1::validatePage() {
    ReadControls();
    // Made with every missing folder above it, after one question, as `mavren-cli new`
    // makes it: the site may go where nothing exists yet. The folder offered is made
    // without asking, as the place the wizard chose.
    if (!m_answers.targetFolder.empty() &&
        EnsureDirectoryPath(m_answers.targetFolder, m_answers.targetFolder == m_suggested).ok()) {
        return true;
    }
    AskToContinue(wizard(), "A destination folder is required.");
    return false;
}

void CMavrenWizardPage1::ReadControls() {
    ReadText(m_ui->targetFolderEdit, m_answers.targetFolder);
}

// Page 2: the program file.

CMavrenWizardPage2::CMavrenWizardPage2(WizardAnswers& answers, QWidget* parent)
    : QWizardPage(parent), m_answers(answers), m_ui(std::make_unique<Ui::WizardProgramPage>()) {
    SetUpPage(this, *m_ui);
    setObjectName(QStringLiteral("wizardProgramPage"));
    connect(m_ui->programFolderEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_ui->programNameEdit->setEnabled(!text.isEmpty()); });
    connect(m_ui->programFolderBrowseButton, &QToolButton::clicked, this, [this] {
        ReadControls();
        if (PickFolderFrom(this, kProgramFolderPick, m_answers.programFolder)) {
            ShowAnswers();
        }
    });
    // The classic pages first, then each installed theme by its description; the answers
    // choose the one shown at first.
    m_ui->themeCombo->addItem(QStringLiteral("None: the classic pages"), QString());
    for (const Theme& theme : InstalledThemes()) {
        const std::string& text = theme.description.empty() ? theme.name : theme.description;
        m_ui->themeCombo->addItem(QString::fromStdString(text), QString::fromStdString(theme.name));
    }
}

CMavrenWizardPage2::~CMavrenWizardPage2() = default;

void CMavrenWizardPage2::initializePage() {
    if (m_shown) {
        return;
    }
    m_shown = true;
    m_answers.programFolder = NewProgramFolder(m_answers.sourceFolder);
    m_answers.programName = SuggestProgramName(m_answers.sourceFolder);
    ShowAnswers();
    m_focusPending = true;
}

void CMavrenWizardPage2::OnShown() {
    if (m_focusPending) {
        m_focusPending = false;
        FocusFirstMissing();
    }
}

bool CMavrenWizardPage2::validatePage() {
    ReadControls();
    if (m_answers.programName.empty() || m_answers.programFolder.empty()) {
        AskToContinue(wizard(), "A directory and program name are required.");
        FocusFirstMissing();
        return false;
    }
    if (!EnsureDirectory(m_answers.programFolder, false).ok()) {
        m_ui->programFolderEdit->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (PathExtension(m_answers.programName) != "MAV") {
        m_answers.programName += ".mav";
        ShowText(m_ui->programNameEdit, m_answers.programName);
    }
    const std::string path = JoinPath(m_answers.programFolder, m_answers.programName);
    if (CheckRequiredFile(path).ok()) {
        ShowMessageBox(StringPrintf("A file called \"%s\" already exists.\n\n"
                                    "Please choose a different name.",
                                    m_answers.programName.c_str()),
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    // The name is tried in the folder now, so that the program can be written after Finish.
    if (TryCreateFile(path) != 0) {
        ShowMessageBox(StringPrintf("Cannot create a file called '%s' in\ndirectory '%s'.\n\n"
                                    "Please choose a different name or directory.",
                                    m_answers.programName.c_str(), m_answers.programFolder.c_str()),
                       MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

void CMavrenWizardPage2::ReadControls() {
    ReadText(m_ui->programFolderEdit, m_answers.programFolder);
    ReadText(m_ui->programNameEdit, m_answers.programName);
    m_answers.theme = m_ui->themeCombo->currentData().toString().toStdString();
}

void CMavrenWizardPage2::ShowAnswers() {
    ShowText(m_ui->programFolderEdit, m_answers.programFolder);
    ShowText(m_ui->programNameEdit, m_answers.programName);
    m_ui->programNameEdit->setEnabled(!m_answers.programFolder.empty());
    m_ui->themeCombo->setCurrentIndex(
        std::max(0, m_ui->themeCombo->findData(QString::fromStdString(m_answers.theme))));
}

void CMavrenWizardPage2::FocusFirstMissing() {
    if (m_answers.programFolder.empty()) {
        m_ui->programFolderEdit->setFocus(Qt::OtherFocusReason);
    } else {
        m_ui->programNameEdit->setFocus(Qt::OtherFocusReason);
    }
}
