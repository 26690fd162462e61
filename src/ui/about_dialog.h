#pragma once

// The About box: a frameless window with the picture "splash1.jpg" from the executable's
// folder (left out when it cannot be read), a caption under it that alternates every two
// seconds between "Mavren" with the program's version ("Mavren 1.0") and a second line,
// and buttons for the home page, a mail to support, and "Continue", the only way to close
// it (Escape and the close command do nothing). Dragged by any point that is not a
// control. GUI thread only.

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QTimer>
#include <memory>

#include "ui/vq_dialog.h"

namespace Ui {
class AboutDialog;
}

class QFrame;

// Where the product's support mail goes.
inline constexpr const char* kSupportAddress = "support@mavren.example.org";

// How the box opens.
struct AboutSettings {
    // The caption shows the version and alternates.
    bool aboutMode = false;
    // How long each caption line shows.
    int captionPeriodMilliseconds = 2000;
};

class CMavrenAboutDialog final : public CVQDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenAboutDialog)

  public:
    explicit CMavrenAboutDialog(const AboutSettings& settings, QWidget* parent = nullptr);
    ~CMavrenAboutDialog() override;

    QString CaptionText() const { return m_caption; }
    bool HasPicture() const { return !m_picture.isNull(); }
    QRect TextRect() const { return m_textRect; }

    // The picture the box shows, or a null image when the file cannot be decoded.
    static QImage LoadPicture(const std::string& path);

  protected:
    bool OnInitDialog() override;
    void reject() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void PlacePicture();
    void OnTimer();

    const std::unique_ptr<Ui::AboutDialog> m_ui;
    const AboutSettings m_settings;
    QFrame* m_pictureFrame;
    QImage m_picture;
    QFont m_textFont;
    QString m_caption;
    QRect m_textRect;
    QTimer m_timer;
    bool m_showingSecondLine = false;
};
