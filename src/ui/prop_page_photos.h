#pragma once

// The "Photos" page of the program property sheet: web-size copies of the pictures (their
// longest side and JPEG quality, and whether they keep the camera's data), whether the
// originals are published and whether without their place and serial numbers, captions
// from the camera, the order of the pictures, albums of the subfolders, and videos with the
// size of their web copies. The web-copy settings are usable only while web-size copies are
// on, the place removal only while originals are published, the video size only while
// videos are on; originals published as taken are pointed out, whether or not a
// photo carries a place (reading every photo would hold up the dialog). GUI thread only.

#include <QButtonGroup>
#include <memory>
#include <string>

#include "ui/prog_prop_page.h"

namespace Ui {
class PropPagePhotos;
}

// What the Photos page holds between the program and its controls.
struct PhotosPageSettings {
    int webSize = 0;  // longest side of web copies; 0 for none
    int webQuality = 82;
    int publishOriginals = 1;
    int originalsWithoutPlace = 0;
    int keepCameraData = 0;
    int cameraCaptions = 0;
    int order = 0;  // PhotoOrder
    int includeSubfolders = 0;
    int videos = 0;
    int videoSize = 720;  // tallest side of the videos' web copies: 480, 720 or 1080
};

// A picture list with the video patterns added (videos) or taken away; any other list as
// it is.
std::string PatternsWithVideos(const std::string& patterns, bool videos);

class CMavrenProgPropPagePhotos final : public CMavrenProgPropPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenProgPropPagePhotos)

  public:
    explicit CMavrenProgPropPagePhotos(QWidget* parent = nullptr);
    ~CMavrenProgPropPagePhotos() override;

    // The values as loaded from the program, then as the controls last gave them.
    const PhotosPageSettings& Settings() const { return m_settings; }

    // Once every page has stored its keys: a click on Videos adds the video patterns to
    // the program's picture list, or takes them away, so that the list shows the videos
    // the program makes pages of.
    void KeepPatternsInStep(Program& program) const;

  protected:
    void Exchange(ProgramExchange& exchange) override;
    void OnInitPage() override;
    bool ReadControls() override;
    QString HelpFileName() const override { return QStringLiteral("GEN0009.htm"); }

  private:
    void UpdateEnabling();
    void ShowVideoSizes();

    const std::unique_ptr<Ui::PropPagePhotos> m_ui;
    PhotosPageSettings m_settings;
    int m_loadedVideos = 0;
    QButtonGroup m_orderGroup;
};
