#include "ui/main_dialog.h"

#include <QAction>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QUrl>
#include <algorithm>

#include "document/program.h"
#include "generate/generation_summary.h"
#include "generate/generation_worker.h"
#include "generate/program_summary.h"
#include "generate/site_start_page.h"
#include "platform/app_folders.h"
#include "platform/message_box.h"
#include "platform/open_url.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "ui/embossed_text.h"
#include "ui/welcome_dialog.h"
#include "ui/worker_events.h"
#include "ui_main_dialog.h"
#include "work/settings_failures.h"
#include "work/worker_messages.h"

namespace {

const QString kStopCaption = QStringLiteral("Stop!");
const QString kGenerateCaption = QStringLiteral("Generate");
const char* const kNoProgramText = "No program loaded";

// The status text with a zero-width space after every 20 characters of a run without
// blanks, so that a long file name wraps in the status box instead of running past it.
QString WrappableText(const QString& text) {
    constexpr int kLongestRun = 20;
    QString wrappable;
    int run = 0;
    for (const QChar c : text) {
        wrappable += c;
        run = c.isSpace() ? 0 : run + 1;
        if (run == kLongestRun) {
            wrappable += QChar(0x200B);
            run = 0;
        }
    }
    return wrappable;
}

}  // namespace

CMavrenMainDialog::CMavrenMainDialog(QWidget* parent)
    : CVQDialog(parent),
      m_ui(std::make_unique<Ui::MainDialog>()),
      m_program(std::make_shared<Program>()),
      m_receiver(std::make_shared<QtWorkerReceiver>(this)),
      m_work(
          kStopWaitMilliseconds, [this] { OnRunEnded(); }, [this] { FinishClose(); }),
      m_titleFont(QStringLiteral("Arial"), 40) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The header keeps its height while the status line and the progress bar are hidden.
    for (QWidget* running :
         {static_cast<QWidget*>(m_ui->statusLabel), static_cast<QWidget*>(m_ui->progressBar)}) {
        QSizePolicy policy = running->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        running->setSizePolicy(policy);
        running->hide();
    }
    m_ui->progressBar->setRange(0, 100);
    // The line of the last run keeps its room too, so that the window does not grow when
    // it appears; two lines, as the summary line wraps in a window of the smallest width.
    QLabel* result = m_ui->runResultLabel;
    QSizePolicy resultPolicy = result->sizePolicy();
    resultPolicy.setRetainSizeWhenHidden(true);
    result->setSizePolicy(resultPolicy);
    result->setMinimumHeight(2 * result->fontMetrics().lineSpacing());
    result->hide();
    connect(result, &QLabel::linkActivated, this, [this] { OnTest(); });
    // Room for two lines of status, so that a long text wraps instead of being cut and the
    // header keeps its height; a longer one still makes room for itself.
    QLabel* status = m_ui->statusLabel;
    status->setMinimumHeight(2 * status->fontMetrics().lineSpacing() + 2 * status->frameWidth() +
                             2 * status->margin());
    ConnectCommands();
}

CMavrenMainDialog::~CMavrenMainDialog() {
    m_receiver->Detach();
}

void CMavrenMainDialog::ConnectCommands() {
    const auto on = [this](QPushButton* button, void (CMavrenMainDialog::*command)()) {
        connect(button, &QPushButton::clicked, this, command);
    };
    on(m_ui->generateButton, &CMavrenMainDialog::OnGenerate);
    on(m_ui->testButton, &CMavrenMainDialog::OnTest);
    on(m_ui->editButton, &CMavrenMainDialog::OnEdit);
    on(m_ui->uploadButton, &CMavrenMainDialog::OnUpload);
    on(m_ui->aboutButton, &CMavrenMainDialog::OnAbout);
    on(m_ui->newButton, &CMavrenMainDialog::OnNew);
    on(m_ui->openButton, &CMavrenMainDialog::OnOpen);
    on(m_ui->exitButton, &CMavrenMainDialog::OnExit);
    connect(m_ui->helpButton, &QPushButton::clicked, this,
            [] { OpenUrl(HelpFolder() + "GEN0000.htm"); });
    // Window managers keep their window menus to themselves; the same item is offered on
    // the window's own context menu.
    auto* about = new QAction(QStringLiteral("&About Mavren ..."), this);
    about->setObjectName(QStringLiteral("aboutAction"));
    connect(about, &QAction::triggered, this, &CMavrenMainDialog::OnAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

bool CMavrenMainDialog::OnInitDialog() {
    setWindowTitle(QStringLiteral("Mavren"));
    SetPlacementName(QStringLiteral("Mavren"));
    if (!CVQDialog::OnInitDialog()) {
        return false;
    }
    const QIcon icon(QString::fromStdString(JoinPath(ExecutableFolder(), "mavren.png")));
    if (!icon.isNull()) {
        setWindowIcon(icon);
    }

    if (!m_commandLinePath.empty()) {
        LoadProgramFile(m_commandLinePath);
        return true;
    }
    PendingCommand pending = PendingCommand::None;
    {
        CMavrenWelcomeDialog welcome(this);
        const int choice = welcome.exec();
        if (choice == kWelcomeNew) {
            pending = PendingCommand::New;
        } else if (choice == kWelcomeOpen) {
            pending = PendingCommand::Open;
        }
    }
    Refresh();
    if (pending != PendingCommand::None) {
        m_nameText = kNoProgramText;
        SetUiState(UiState::NoProgram);
        Refresh();
        RunPendingCommand(pending);
    } else {
        LoadProgramFile(GetRegistryString(kApplicationKey, "LastOpenProgram"));
    }
    return true;
}

void CMavrenMainDialog::RunPendingCommand(PendingCommand command) {
    if (command == PendingCommand::New) {
        OnNew();
    } else if (command == PendingCommand::Open) {
        OnOpen();
    }
}

bool CMavrenMainDialog::LoadProgramFile(const std::string& path) {
    bool loaded = false;
    if (!path.empty()) {
        // Not under the lock, which no save elsewhere should wait for while a question
        // about the file is open; a file replaced during the load may not be the one read,
        // so the next save asks.
        const ProgramFileStamp before = StampProgramFile(path);
        loaded = m_program->Load(path).ok();
        const ProgramFileStamp after = StampProgramFile(path);
        m_fileStamp = before == after ? after : ProgramFileStamp();
    }
    if (!loaded) {
        m_nameText = kNoProgramText;
        SetUiState(UiState::NoProgram);
        Refresh();
        return false;
    }
    setWindowTitle(QString::fromStdString(path));
    m_nameText = path;
    m_summaryText = ProgramSummary(*m_program);
    // The last run's line belongs to the program it generated.
    m_ui->runResultLabel->hide();
    SetUiState(UiState::Loaded);
    Refresh();
    return true;
}

void CMavrenMainDialog::SetUiState(UiState state) {
    const bool running = state == UiState::Running;
    const bool loaded = state == UiState::Loaded;
    m_ui->statusLabel->setVisible(running);
    if (!loaded) {
        m_ui->runResultLabel->hide();  // the line of the last run only while none goes on
    }
    m_ui->progressBar->setVisible(running);
    m_ui->generateButton->setEnabled(state != UiState::NoProgram);
    m_ui->generateButton->setText(running ? kStopCaption : kGenerateCaption);
    m_ui->generateButton->setToolTip(
        running ? QStringLiteral("Stop making the site; the pages made so far stay")
                : QStringLiteral("Make the site from your photos, or bring it up to date"));
    for (QPushButton* editing : {m_ui->editButton, m_ui->openButton, m_ui->newButton}) {
        editing->setEnabled(!running);
    }
    if (state == UiState::NoProgram) {
        m_ui->editButton->setEnabled(false);
    }
    const bool generated = loaded && m_program->HasBeenGenerated();
    m_ui->testButton->setEnabled(generated);
    m_ui->uploadButton->setEnabled(generated);
}

void CMavrenMainDialog::Refresh() {
    m_ui->summaryEdit->setPlainText(QString::fromStdString(m_summaryText));
    m_ui->programNameLabel->setText(QString::fromStdString(m_nameText));
}

void CMavrenMainDialog::SaveProgramFile() {
    const std::string path = m_program->path;
    bool changedOnDisk = false;
    Result saved = Result::Ok();
    {
        const ProgramFileLock lock(path);
        const ProgramFileStamp onDisk = StampProgramFile(path);
        changedOnDisk = onDisk.exists && !(onDisk == m_fileStamp);
        if (!changedOnDisk) {
            saved = SaveAndStamp();
        }
    }
    if (!changedOnDisk) {
        ReportUnlessSaved(saved);
        return;
    }
    // Asked without the lock, so that no save elsewhere waits for the answer.
    if (ShowMessageBox("The program file \"" + path +
                           "\" has been changed on disk since Mavren last read or saved "
                           "it.\n\nDo you want to overwrite it with the settings shown here? "
                           "The changes on disk will be lost.",
                       MB_YESNO | MB_ICONQUESTION) == IDYES) {
        WriteProgramFile();
    }
}

void CMavrenMainDialog::WriteProgramFile() {
    Result saved = Result::Ok();
    {
        const ProgramFileLock lock(m_program->path);
        saved = SaveAndStamp();
    }
    ReportUnlessSaved(saved);
}

Result CMavrenMainDialog::SaveAndStamp() {
    Result saved = m_program->Save(m_program->path);
    if (saved.ok()) {
        m_fileStamp = StampProgramFile(m_program->path);
    }
    return saved;
}

void CMavrenMainDialog::ReportUnlessSaved(const Result& saved) {
    // Losing the user's settings without a word would be worse than a box.
    if (!saved.ok()) {
        ShowMessageBox(saved.text(), MB_OK | MB_ICONSTOP);
    }
}

void CMavrenMainDialog::SaveRunOutcome() {
    if (m_program->GetDate(ProgramKey::LastGenerated) == m_generatedAtStart) {
        return;  // a run that ended after a message recorded nothing
    }
    const std::string& path = m_program->path;
    Result saved = Result::Ok();
    {
        const ProgramFileLock lock(path);
        // A file changed elsewhere since it was read here keeps its old stamp, so that
        // the next whole save still asks before overwriting that change.
        const bool unchanged = StampProgramFile(path) == m_fileStamp;
        saved = m_program->SaveLastGenerated(path);
        if (saved.ok() && unchanged) {
            m_fileStamp = StampProgramFile(path);
        }
    }
    ReportUnlessSaved(saved);
}

void CMavrenMainDialog::OnGenerate() {
    // A running program is not checked again: Stop must always stop.
    if (m_work.IsRunning()) {
        m_ui->progressBar->setValue(0);
        m_work.Stop();
        return;
    }
    if (const Result valid = m_program->Validate(); !valid.ok()) {
        ShowMessageBox(
            "Cannot generate!\n\nThis is not a valid Mavren program because:\n\n" + valid.text(),
            MB_OK | MB_ICONSTOP);
        return;
    }
    m_ui->progressBar->setValue(0);
    StartRun();
}

void CMavrenMainDialog::StartRun() {
    m_generatedAtStart = m_program->GetDate(ProgramKey::LastGenerated);
    SetUiState(UiState::Running);
    setCursor(Qt::BusyCursor);
    // The worker shares the program and the summary, so they stay valid if the window goes
    // first.
    const std::shared_ptr<Program> program = m_program;
    m_runSummary = std::make_shared<GenerationSummary>();
    GenerationRequest request{1, program.get(), {}};
    request.options.window = m_receiver;
    request.options.summary = m_runSummary.get();
    // Refused too while the thread of the last run is still ending.
    if (m_work.Start(request.options.stop, [program, summary = m_runSummary, request] {
            GenerationWorker(request);
        }) != WorkStart::Started) {
        ShowMessageBox("Cannot complete generation.\n\nReason: no thread could be started.",
                       MB_OK | MB_ICONSTOP);
        OnRunEnded();
    }
}

void CMavrenMainDialog::OnRunEnded() {
    SetUiState(UiState::Loaded);
    unsetCursor();
    SaveRunOutcome();
    ShowRunResult();
    // The run has stamped Last-Generated; a summary still saying "Never" would mislead.
    m_summaryText = ProgramSummary(*m_program);
    Refresh();
}

void CMavrenMainDialog::ShowRunResult() {
    // Only a finished run stamps a new Last-Generated, and only it fills the summary.
    const OleDate generated = m_program->GetDate(ProgramKey::LastGenerated);
    if (m_runSummary == nullptr || generated == 0 || generated == m_generatedAtStart) {
        return;
    }
    const QString startPage = QString::fromStdString(SiteStartPage(*m_program));
    QLabel* result = m_ui->runResultLabel;
    result->setText(QString::fromStdString(SummaryLine(*m_runSummary)).toHtmlEscaped() +
                    QStringLiteral(". <a href=\"%1\">Open the site</a>")
                        .arg(QUrl::fromLocalFile(startPage).toString(QUrl::FullyEncoded)));
    result->setToolTip(startPage);
    FitRunResult();
    result->show();
}

void CMavrenMainDialog::FitRunResult() {
    QLabel* result = m_ui->runResultLabel;
    const int twoLines = 2 * result->fontMetrics().lineSpacing();
    result->setMinimumHeight(std::max(twoLines, result->heightForWidth(result->width())));
}

void CMavrenMainDialog::resizeEvent(QResizeEvent* event) {
    CVQDialog::resizeEvent(event);
    FitRunResult();  // the layout has given the line its new width by now
}

void CMavrenMainDialog::customEvent(QEvent* event) {
    if (event->type() != WorkerEvent::EventType()) {
        CVQDialog::customEvent(event);
        return;
    }
    m_workerBoxes.Take(static_cast<WorkerEvent*>(event)->TakeMessage(),
                       [this](const WorkerMessage& message) { HandleWorkerMessage(message); });
}

void CMavrenMainDialog::HandleWorkerMessage(const WorkerMessage& message) {
    switch (message.message) {
        case WM_APP_PROGRESS:
            m_ui->progressBar->setValue(message.wParam);
            break;
        case WM_APP_STATUS_TEXT:
            m_ui->statusLabel->setText(WrappableText(PaddedStatusText(message.text)));
            break;
        case WM_APP_WORK_DONE:
            m_work.WorkDone();
            break;
        default:
            break;
    }
}

void CMavrenMainDialog::accept() {}

void CMavrenMainDialog::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    CVQDialog::keyPressEvent(event);
}

void CMavrenMainDialog::OnExit() {
    done(QDialog::Accepted);
}

void CMavrenMainDialog::done(int result) {
    m_closeResult = result;
    // A close during a run goes on when the run's end arrives, which also saves what it
    // recorded.
    m_work.Close();
}

void CMavrenMainDialog::FinishClose() {
    // A run left behind reaches the window no more.
    m_receiver->Detach();
    DropWorkerEvents(this);
    TellSettingsWriteFailure(
        SetRegistryString(kApplicationKey, "LastOpenProgram", m_program->path));
    CVQDialog::done(m_closeResult);
}

void CMavrenMainDialog::paintEvent(QPaintEvent* event) {
    CVQDialog::paintEvent(event);
    QPainter painter(this);
    const QRect title(m_ui->titleArea->mapTo(this, QPoint(0, 0)), m_ui->titleArea->size());
    DrawEmbossedText(painter, title, QStringLiteral("Mavren"), QColor(192, 0, 0), &m_titleFont);
}
