#include "ui/about_dialog.h"

#include <QFrame>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QUrl>

#include "generate/product.h"
#include "mavren_version.h"
#include "media/imaging.h"
#include "platform/app_folders.h"
#include "platform/open_url.h"
#include "platform/paths.h"
#include "ui/embossed_text.h"
#include "ui_about_dialog.h"

namespace {

const QString kVersionLine = QStringLiteral("Mavren ") + QString::fromLatin1(kMavrenVersion);
const QString kSecondLine = QStringLiteral("Web sites from your folders");

// Room under the picture for the caption.
constexpr int kCaptionHeight = 22;

}  // namespace

CMavrenAboutDialog::CMavrenAboutDialog(const AboutSettings& settings, QWidget* parent)
    : CVQDialog(parent),
      m_ui(std::make_unique<Ui::AboutDialog>()),
      m_settings(settings),
      m_pictureFrame(new QFrame(this)),
      m_textFont(QStringLiteral("Verdana"), 10) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    // Sized by its contents, wrapped texts included; the user cannot resize it anyway.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_pictureFrame->setObjectName(QStringLiteral("pictureFrame"));
    m_pictureFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    m_pictureFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
    const QString homePage =
        QString::fromUtf8(kProductHomePage.data(), static_cast<int>(kProductHomePage.size()));
    m_ui->homePageButton->setText(QUrl(homePage).host());
    m_ui->supportButton->setText(QString::fromLatin1(kSupportAddress));
    m_ui->licenceLabel->setText(QString::fromLatin1(kMavrenLicence));
    connect(m_ui->homePageButton, &QPushButton::clicked, this,
            [homePage] { OpenUrl(homePage.toStdString()); });
    connect(m_ui->supportButton, &QPushButton::clicked, this,
            [] { OpenUrl(std::string("mailto:") + kSupportAddress); });
    connect(m_ui->continueButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_timer, &QTimer::timeout, this, &CMavrenAboutDialog::OnTimer);
}

CMavrenAboutDialog::~CMavrenAboutDialog() = default;

QImage CMavrenAboutDialog::LoadPicture(const std::string& path) {
    const Image decoded = DecodeJpeg(path);
    const std::vector<unsigned char> rgb = decoded.Rgb();
    const int width = decoded.width();
    const int height = decoded.height();
    if (rgb.empty() || rgb.size() != static_cast<std::size_t>(width) * height * 3) {
        return {};
    }
    return QImage(rgb.data(), width, height, width * 3, QImage::Format_RGB888).copy();
}

bool CMavrenAboutDialog::OnInitDialog() {
    setWindowTitle(QStringLiteral("About Mavren"));
    SetTitleText(QStringLiteral("About Mavren"));
    // The picture decides the size of the box, so it is read before the box is placed.
    m_picture = LoadPicture(JoinPath(ExecutableFolder(), "splash1.jpg"));
    if (!m_picture.isNull()) {
        m_ui->pictureArea->setMinimumSize(m_picture.width() + 2,
                                          m_picture.height() + 2 + kCaptionHeight);
    }
    if (!CVQDialog::OnInitDialog()) {
        return false;
    }
    PlacePicture();
    if (m_settings.aboutMode) {
        m_caption = kVersionLine;
        m_timer.start(m_settings.captionPeriodMilliseconds);
    }
    return true;
}

void CMavrenAboutDialog::PlacePicture() {
    if (m_picture.isNull()) {
        m_pictureFrame->hide();
        m_textRect = rect().adjusted(10, 100, -10, -100);
        return;
    }
    const int top = m_ui->pictureArea->mapTo(this, QPoint(0, 0)).y();
    const QRect frame((width() - m_picture.width()) / 2, top, m_picture.width() + 2,
                      m_picture.height() + 2);
    m_pictureFrame->setGeometry(frame);
    m_pictureFrame->show();
    m_textRect = QRect(QPoint(frame.left(), frame.bottom() + 1 + 2),
                       QPoint(frame.right(), frame.bottom() + 1 + 20));
}

void CMavrenAboutDialog::resizeEvent(QResizeEvent* event) {
    CVQDialog::resizeEvent(event);
    PlacePicture();
}

void CMavrenAboutDialog::OnTimer() {
    m_showingSecondLine = !m_showingSecondLine;
    m_caption = m_showingSecondLine ? kSecondLine : kVersionLine;
    update(m_textRect);
}

void CMavrenAboutDialog::reject() {
    // Only "Continue" closes the box.
}

void CMavrenAboutDialog::paintEvent(QPaintEvent* event) {
    CVQDialog::paintEvent(event);
    QPainter painter(this);
    const QRect frame = m_pictureFrame->geometry();
    if (!m_picture.isNull() && event->rect().intersects(frame)) {
        painter.save();
        painter.setClipRect(frame);
        painter.drawImage(QPoint(frame.left() + (frame.width() - m_picture.width()) / 2,
                                 frame.top() + (frame.height() - m_picture.height()) / 2),
                          m_picture);
        painter.restore();
    }
    DrawEmbossedText(painter, m_textRect, m_caption, QColor(192, 0, 0), &m_textFont);
}
