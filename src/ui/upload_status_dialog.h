#pragma once

// "FTP Upload Status": the user picks one of the FTP profiles (or makes, edits or deletes
// one), starts the upload of the program's target folder, watches the two status lines,
// the time left and the progress bar, and stops it ("Stop!", then a wait of at most 32 seconds,
// which a stopped upload ends at once). A check box, off at first, asks the upload to delete
// afterwards what the site no longer has (the worker asks before it deletes). The
// profile list is loaded when the dialog opens; deletions are stored at once, and what
// else was changed here is saved, in one go, whichever way it closes.
//
// GUI thread only. The upload runs on a worker thread that knows the dialog only through
// a receiver; the dialog detaches it and drops the worker's queued messages when it
// closes, so a worker that outlives the dialog never reaches it.

#include <memory>
#include <string>

#include "ui/vq_dialog.h"
#include "upload/ftp_profiles.h"

namespace Ui {
class UploadStatusDialog;
}

class QtWorkerReceiver;

class CMavrenUploadStatusDialog : public CVQDialog {
    Q_OBJECT

  public:
    explicit CMavrenUploadStatusDialog(QWidget* parent = nullptr);
    ~CMavrenUploadStatusDialog() override;

    std::string localFolder;  // the folder to upload, set before the dialog runs

    // How long the close path waits for a stopped upload to end.
    static constexpr int kStopWaitMilliseconds = 32000;

  protected:
    bool OnInitDialog() override;
    // The cancel button, Escape and the close box: stops a running upload, then closes.
    void reject() override;
    void done(int result) override;
    void customEvent(QEvent* event) override;

  private:
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
    // The worker's timing line (without its "@"): time taken in line 2, time left beside.
    void ShowTiming(const std::string& text);
    void OnTransferOver();
    // True after telling the user that there is no selected profile.
    bool NoSelection(int slot) const;

    const std::unique_ptr<Ui::UploadStatusDialog> m_ui;
    FtpProfileList m_profiles;
    std::shared_ptr<QtWorkerReceiver> m_receiver;
};
