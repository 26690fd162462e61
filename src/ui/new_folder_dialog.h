#pragma once

// New Folder: creates one folder, typed as a name inside the current folder or as an
// absolute path, and on success ends with OK holding the full path of the new folder.
// Problems are told in a stop box and the dialog stays open. GUI thread only.

#include <memory>
#include <string>

#include "ui/vq_dialog.h"

namespace Ui {
class NewFolderDialog;
}

// Where the dialog starts, and the folder it made.
struct NewFolderSettings {
    std::string currentFolder;  // shown; the home folder when empty
    std::string newFolder;      // typed; after success the full path created
};

class CMavrenNewFolderDialog final : public CVQDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenNewFolderDialog)

  public:
    explicit CMavrenNewFolderDialog(const NewFolderSettings& settings, QWidget* parent = nullptr);
    ~CMavrenNewFolderDialog() override;

    // After OK, newFolder holds the full path of the folder created.
    const NewFolderSettings& Settings() const { return m_settings; }

  protected:
    bool OnInitDialog() override;
    void accept() override;

  private:
    const std::unique_ptr<Ui::NewFolderDialog> m_ui;
    NewFolderSettings m_settings;
};
