#pragma once

// Thumbnail Options: smart generation and the thumbnail size, default (120) or custom
// (10 to 1000). The caller hands in the settings, runs the dialog and reads them back;
// they change only when the user presses OK. GUI thread only.

#include <QButtonGroup>
#include <memory>

#include "ui/vq_dialog.h"

namespace Ui {
class ThumbnailOptionsDialog;
}

// What the Index Options page hands to the dialog and takes back.
struct ThumbnailSettings {
    int smart = 1;
    int thumbnailSize = 120;
};

class CMavrenThumbnailOptionsDialog final : public CVQDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenThumbnailOptionsDialog)

  public:
    // The size shows as custom unless it is the default one.
    explicit CMavrenThumbnailOptionsDialog(const ThumbnailSettings& settings,
                                           QWidget* parent = nullptr);
    ~CMavrenThumbnailOptionsDialog() override;

    // The settings as handed in, or as the user set them after OK (120 unless "Custom:"
    // was chosen).
    const ThumbnailSettings& Settings() const { return m_settings; }

  protected:
    bool OnInitDialog() override;
    void accept() override;

  private:
    void UpdateEnabling();

    const std::unique_ptr<Ui::ThumbnailOptionsDialog> m_ui;
    QButtonGroup m_sizeGroup;
    ThumbnailSettings m_settings;
};

// Runs the dialog over parent on settings: the smart flag and the size come back from the
// dialog whenever it ran, which after Cancel gives back what went in.
void RunThumbnailOptions(QWidget* parent, ThumbnailSettings& settings);
