#pragma once

// "FTP Upload Status": the user picks one of the FTP profiles (or makes, edits or deletes
// one), starts the upload of the program's target folder, watches the two status lines,
// the time left and the progress bar, and stops it ("Stop!", which closes the dialog once
// the upload has ended, or after 32 seconds without it; the upload is then left behind). A
// check box, off at first, asks the upload to delete
// afterwards what the site no longer has (the worker asks before it deletes). The
// profile list is loaded when the dialog opens; deletions are stored at once, and what
// else was changed here is saved, in one go, whichever way it closes.
//
// GUI thread only; it never waits for the worker. The upload runs on a worker thread that
// knows the dialog only through a receiver and shares only the job (with its stop flag);
// the dialog detaches the receiver and drops the worker's queued messages when it closes,
// so a worker that outlives the dialog never reaches it.

#include <memory>
#include <string>

#include "ui/vq_dialog.h"
#include "ui/window_work.h"
#include "ui/worker_events.h"
#include "upload/ftp_profiles.h"

namespace Ui {
class UploadStatusDialog;
}

class CMavrenUploadStatusDialog final : public CVQDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenUploadStatusDialog)

  public:
    explicit CMavrenUploadStatusDialog(QWidget* parent = nullptr);
    ~CMavrenUploadStatusDialog() override;

    // The folder to upload; set before the dialog runs.
    void SetLocalFolder(const std::string& folder) { m_localFolder = folder; }
    // Whether only the site's files go, not the rest of the folder (document/target_folder.h).
    void SetOnlySite(bool onlySite) { m_onlySite = onlySite; }

  protected:
    bool OnInitDialog() override;
    // The cancel button, Escape and the close box: asks a running upload to stop and
    // closes when it has ended; closes at once when none runs.
    void reject() override;
    void done(int result) override;
    void customEvent(QEvent* event) override;

  private:
    // A worker message other than a failure box (m_workerBoxes shows those).
    void HandleWorkerMessage(const WorkerMessage& message);
    // The profile slot of the selected entry, or -1 (also when the typed text names no
    // entry).
    int SelectedSlot() const;
    // Adds an entry at its sorted place and returns its index.
    int AddEntry(const std::string& name, int slot);
    void Refresh();
    void NewProfile();
    void EditProfile();
    void DeleteProfile();
    void StartUpload();
    void SetStatusLine(int line, const QString& text);
    // The worker's timing line: time taken in line 2, time left beside.
    void ShowTiming(const std::string& text);
    void OnTransferOver();
    void FinishReject();
    // True after telling the user that there is no selected profile.
    bool NoSelection(int slot) const;

    // How long a close waits for a stopped upload before it leaves the upload behind.
    static constexpr int kStopWaitMilliseconds = 32000;

    const std::unique_ptr<Ui::UploadStatusDialog> m_ui;
    std::string m_localFolder;
    bool m_onlySite = false;
    FtpProfileList m_profiles;
    std::shared_ptr<QtWorkerReceiver> m_receiver;
    WorkerBoxQueue m_workerBoxes;
    WindowWork m_work;
};
