#include "ui/upload_status_dialog.h"

#include <QComboBox>
#include <string_view>

#include "generate/html_files.h"
#include "platform/format.h"
#include "platform/message_box.h"
#include "ui/ftp_profile_dialog.h"
#include "ui/worker_events.h"
#include "ui_upload_status_dialog.h"
#include "upload/upload_worker.h"
#include "work/settings_failures.h"

namespace {

const QString kStopCaption = QStringLiteral("Stop!");

constexpr int kLongestShownText = 255;

// Between the time taken and the time left in the worker's timing line.
constexpr const char* kTimeLeftSeparator = " - ";

// What a connection went through (a retry, a file going on where it stopped, a server that
// took fewer connections): kept in a list below the status lines, where the next line
// does not wipe it out.
bool IsConnectionNotice(const std::string& text) {
    for (const char* start : {"Trying \"", "Going on with \"", "The server refused another"}) {
        if (text.rfind(start, 0) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

CMavrenUploadStatusDialog::CMavrenUploadStatusDialog(QWidget* parent)
    : CVQDialog(parent),
      m_ui(std::make_unique<Ui::UploadStatusDialog>()),
      m_receiver(std::make_shared<QtWorkerReceiver>(this)),
      m_work(
          kStopWaitMilliseconds, [this] { OnTransferOver(); }, [this] { FinishReject(); }) {
    m_ui->setupUi(this);
    m_ui->progressBar->setRange(0, 100);
    m_ui->statusLine1Edit->setMaxLength(kLongestShownText);
    m_ui->statusLine2Edit->setMaxLength(kLongestShownText);
    m_ui->profileCombo->setCompleter(nullptr);
    connect(m_ui->profileCombo, &QComboBox::activated, this, [this] { Refresh(); });
    connect(m_ui->newButton, &QPushButton::clicked, this, [this] { NewProfile(); });
    connect(m_ui->editButton, &QPushButton::clicked, this, [this] { EditProfile(); });
    connect(m_ui->deleteButton, &QPushButton::clicked, this, [this] { DeleteProfile(); });
    connect(m_ui->startButton, &QPushButton::clicked, this, [this] { StartUpload(); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CMavrenUploadStatusDialog::~CMavrenUploadStatusDialog() {
    m_receiver->Detach();
}

bool CMavrenUploadStatusDialog::OnInitDialog() {
    if (!CVQDialog::OnInitDialog()) {
        return false;
    }
    std::string lastProfile;
    const int loaded = LoadFtpProfiles(m_profiles, lastProfile);
    if (const std::string leftOut = LeftOutProfilesText(m_profiles); !leftOut.empty()) {
        ShowMessageBox(leftOut, MB_OK | MB_ICONEXCLAMATION);
    }
    if (loaded == 0) {
        // A settings file that cannot be read may well hold profiles: no offer of a first
        // one, only the word on the damage (once per process).
        if (!CheckSettings()) {
            Refresh();
        } else if (ShowMessageBox(
                       "No FTP profiles found.\n\n"
                       "An FTP profile tells Mavren how to connect to a server so that it "
                       "can upload files.\n\n"
                       "Would you like to create one now?",
                       MB_YESNO) == IDYES) {
            NewProfile();
        } else {
            Refresh();
        }
        return true;
    }
    for (int slot = 0; slot < m_profiles.count; ++slot) {
        AddEntry(m_profiles.profiles[static_cast<std::size_t>(slot)].name, slot);
    }
    // The first entry that begins with the name, as a list's prefix search finds it.
    int selected = 0;
    const QString last = QString::fromStdString(lastProfile);
    for (int i = 0; i < m_ui->profileCombo->count(); ++i) {
        if (m_ui->profileCombo->itemText(i).startsWith(last, Qt::CaseInsensitive)) {
            selected = i;
            break;
        }
    }
    m_ui->profileCombo->setCurrentIndex(selected);
    Refresh();
    return true;
}

int CMavrenUploadStatusDialog::SelectedSlot() const {
    const QComboBox* combo = m_ui->profileCombo;
    const QString typed = combo->currentText();
    int index = combo->currentIndex();
    if (index < 0 || combo->itemText(index) != typed) {
        index = combo->findText(typed, Qt::MatchFixedString);
    }
    return index < 0 ? -1 : combo->itemData(index).toInt();
}

int CMavrenUploadStatusDialog::AddEntry(const std::string& name, int slot) {
    QComboBox* combo = m_ui->profileCombo;
    const QString text = QString::fromStdString(name);
    int index = 0;
    while (index < combo->count()) {
        const QString other = combo->itemText(index);
        const int order = QString::compare(other, text, Qt::CaseInsensitive);
        if (order > 0 || (order == 0 && other > text)) {
            break;
        }
        ++index;
    }
    combo->insertItem(index, text, slot);
    return index;
}

void CMavrenUploadStatusDialog::Refresh() {
    const int slot = SelectedSlot();
    const FtpProfile shown =
        slot < 0 ? FtpProfile{} : m_profiles.profiles[static_cast<std::size_t>(slot)];
    const auto show = [](QLabel* label, const std::string& text) {
        label->setText(QString::fromStdString(text).left(kLongestShownText));
    };
    show(m_ui->hostValue, shown.host);
    show(m_ui->usernameValue, shown.username);
    show(m_ui->directoryValue, shown.directory);
    if (m_profiles.count == 0) {
        SetStatusLine(1, QStringLiteral("Press \"New ...\" to create an FTP profile"));
        m_ui->startButton->setEnabled(false);
    } else {
        SetStatusLine(1, QStringLiteral("Waiting ... press \"Start\" to begin"));
        m_ui->startButton->setEnabled(true);
    }
}

bool CMavrenUploadStatusDialog::NoSelection(int slot) const {
    if (slot >= 0) {
        return false;
    }
    ShowMessageBox("Select an item first", MB_OK | MB_ICONSTOP);
    return true;
}

void CMavrenUploadStatusDialog::NewProfile() {
    if (m_profiles.count >= MaxFtpProfiles) {
        ShowMessageBox(TooManyFtpProfilesText(), MB_OK | MB_ICONSTOP);
    } else {
        CMavrenFtpProfileDialog dialog(this);
        if (dialog.exec() == QDialog::Accepted) {
            const int slot = m_profiles.Add(dialog.Profile());
            m_ui->profileCombo->setCurrentIndex(AddEntry(dialog.Profile().name, slot));
        }
    }
    Refresh();
}

void CMavrenUploadStatusDialog::EditProfile() {
    const int slot = SelectedSlot();
    if (NoSelection(slot)) {
        return;
    }
    CMavrenFtpProfileDialog dialog(m_profiles.profiles[static_cast<std::size_t>(slot)], this);
    if (dialog.exec() == QDialog::Accepted) {
        m_profiles.Change(slot, dialog.Profile());
        QComboBox* combo = m_ui->profileCombo;
        combo->removeItem(combo->findData(slot));
        combo->setCurrentIndex(AddEntry(dialog.Profile().name, slot));
    }
    Refresh();
}

void CMavrenUploadStatusDialog::DeleteProfile() {
    const int slot = SelectedSlot();
    if (NoSelection(slot)) {
        return;
    }
    const std::string& name = m_profiles.profiles[static_cast<std::size_t>(slot)].name;
    if (ShowMessageBox(StringPrintf("Are you sure you want to delete\nthe FTP profile called '%s'?",
                                    name.c_str()),
                       MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    QComboBox* combo = m_ui->profileCombo;
    combo->removeItem(combo->findData(slot));
    // The last profile moves into the freed slot; its entry follows it.
    const int moved = DeleteFtpProfile(m_profiles, slot);
    if (const int entry = combo->findData(moved); entry >= 0 && moved != slot) {
        combo->setItemData(entry, slot);
    }
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    if (combo->count() == 0) {
        combo->setEditText(QString());
    }
    Refresh();
}

void CMavrenUploadStatusDialog::StartUpload() {
    const int slot = SelectedSlot();
    if (NoSelection(slot)) {
        return;
    }
    UploadJob job = MakeUploadJob(m_profiles.profiles[static_cast<std::size_t>(slot)],
                                  m_localFolder, m_receiver);
    job.deleteExtra = m_ui->deleteExtraCheck->isChecked();
    if (m_onlySite) {
        job.onlySite = &CarriesGeneratorMark;
    }
    // Here the user sees the list and decides; No is the answer offered.
    job.askAboveLimit = true;
    // However it ends, the upload tells the dialog that its work is done.
    const auto work = [job] { RunUpload(job); };
    // The worker's messages wait in the queue until the lines below are set.
    const WorkStart started = m_work.Start(job.stop, work);
    if (started == WorkStart::Busy) {
        ShowMessageBox("The last upload is still ending.\n\nPlease try again in a moment.",
                       MB_OK | MB_ICONSTOP);
        return;
    }
    m_ui->timeLeftValue->clear();
    m_ui->noticesList->clear();
    m_ui->noticesList->hide();
    if (started == WorkStart::NoThread) {
        ShowMessageBox("Cannot start the upload.", MB_OK | MB_ICONSTOP);
        OnTransferOver();
        return;
    }
    m_ui->startButton->setEnabled(false);
    m_ui->startButton->hide();
    m_ui->cancelButton->setText(kStopCaption);
    setCursor(Qt::BusyCursor);
}

void CMavrenUploadStatusDialog::SetStatusLine(int line, const QString& text) {
    QLineEdit* box = line == 1 ? m_ui->statusLine1Edit : m_ui->statusLine2Edit;
    box->setText(text);
    // The beginning of the line, not the padding at its end.
    box->setCursorPosition(0);
}

void CMavrenUploadStatusDialog::ShowTiming(const std::string& text) {
    // "5,300 bytes in 12 seconds - 30 seconds remaining": the time left gets a label of
    // its own, where a long line cannot push it out of sight. The closing summary has
    // no time left, and clears it.
    const std::size_t dash = text.rfind(kTimeLeftSeparator);
    if (dash == std::string::npos) {
        SetStatusLine(2, PaddedStatusText(text));
        m_ui->timeLeftValue->clear();
        return;
    }
    SetStatusLine(2, PaddedStatusText(text.substr(0, dash)));
    m_ui->timeLeftValue->setText(
        QString::fromStdString(text.substr(dash + std::string_view(kTimeLeftSeparator).size())));
}

void CMavrenUploadStatusDialog::OnTransferOver() {
    m_ui->startButton->setEnabled(true);
    m_ui->startButton->show();
    unsetCursor();
    m_ui->cancelButton->setText(QStringLiteral("Close"));
}

void CMavrenUploadStatusDialog::customEvent(QEvent* event) {
    if (event->type() != WorkerEvent::EventType()) {
        CVQDialog::customEvent(event);
        return;
    }
    WorkerMessage message = static_cast<WorkerEvent*>(event)->TakeMessage();
    // A closing dialog shows only that it waits, and then that it exits.
    if (m_work.IsClosing() && message.message != WM_APP_WORK_DONE) {
        return;
    }
    m_workerBoxes.Take(std::move(message),
                       [this](const WorkerMessage& next) { HandleWorkerMessage(next); });
}

void CMavrenUploadStatusDialog::HandleWorkerMessage(const WorkerMessage& message) {
    switch (message.message) {
        case WM_APP_PROGRESS:
            m_ui->progressBar->setValue(message.wParam);
            break;
        case WM_APP_STATUS_TEXT:
            SetStatusLine(1, PaddedStatusText(message.text));
            if (IsConnectionNotice(message.text)) {
                m_ui->noticesList->show();
                m_ui->noticesList->appendPlainText(QString::fromStdString(message.text));
            }
            break;
        case WM_APP_TIMING_TEXT:
            ShowTiming(message.text);
            break;
        case WM_APP_WORK_DONE:
            m_work.WorkDone();
            break;
        default:
            break;
    }
}

void CMavrenUploadStatusDialog::reject() {
    unsetCursor();
    // A close during an upload goes on when the upload's end arrives.
    if (m_work.Close()) {
        SetStatusLine(1, QStringLiteral("Waiting for FTP client to exit ..."));
    }
}

void CMavrenUploadStatusDialog::FinishReject() {
    SetStatusLine(1, QStringLiteral("Exiting ..."));
    CVQDialog::reject();
}

void CMavrenUploadStatusDialog::done(int result) {
    // Nothing the worker still sends may reach the dialog from here on.
    m_receiver->Detach();
    DropWorkerEvents(this);
    // Only what was changed here is written; changes other copies made meanwhile stay.
    std::string refused;
    std::string note;
    TellSettingsWriteFailure(SaveFtpProfiles(m_profiles, SelectedSlot(), &refused, &note));
    if (!refused.empty()) {
        ShowMessageBox("These changes to the FTP profiles could not be saved:\n\n" + refused,
                       MB_OK | MB_ICONEXCLAMATION);
    }
    if (!note.empty()) {
        ShowMessageBox(note, MB_OK | MB_ICONINFORMATION);
    }
    CVQDialog::done(result);
}
