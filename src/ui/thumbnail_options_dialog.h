#pragma once

// Thumbnail Options: smart generation and the thumbnail size, default (120) or custom
// (10 to 1000). The caller sets the members, runs the dialog and reads them back; the
// members change only when the user presses OK. GUI thread only.

#include <QButtonGroup>
#include <memory>

#include "ui/vq_dialog.h"

namespace Ui {
class ThumbnailOptionsDialog;
}

class CMavrenThumbnailOptionsDialog : public CVQDialog {
    Q_OBJECT

  public:
    explicit CMavrenThumbnailOptionsDialog(QWidget* parent = nullptr);
    ~CMavrenThumbnailOptionsDialog() override;

    int smart = 1;
    int sizeChoice = 0;  // 0 default, 1 custom
    unsigned customSize = 120;

  protected:
    bool OnInitDialog() override;
    void accept() override;

  private:
    void UpdateEnabling();

    const std::unique_ptr<Ui::ThumbnailOptionsDialog> m_ui;
    QButtonGroup m_sizeGroup;
};

// What the Index Options page hands to the dialog and takes back.
struct ThumbnailSettings {
    int smart = 1;
    int thumbnailSize = 120;
};

// Runs the dialog over parent on settings: the smart flag and the size come back from the
// dialog (120 unless "Custom:" was chosen) whenever it ran, which after Cancel gives back
// what went in.
void RunThumbnailOptions(QWidget* parent, ThumbnailSettings& settings);
