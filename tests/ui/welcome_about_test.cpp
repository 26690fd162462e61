// The Welcome dialog's results and keys, and the About box: picture, caption, links and
// the one way out.

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "platform/app_folders.h"
#include "platform/registry.h"
#include "support/program_fixture.h"
#include "support/ui_test_support.h"
#include "ui/about_dialog.h"
#include "ui/welcome_dialog.h"

namespace {

// The About box closes only with "Continue", also when a check inside act failed.
int RunAbout(CMavrenAboutDialog& about, const std::function<void(QWidget*)>& act) {
    return ExecWith(about, [&](QWidget* window) {
        act(window);
        if (window->isVisible()) {
            Find<QPushButton>(window, "continueButton")->click();
        }
    });
}

}  // namespace

class WelcomeAboutTest : public ProgramWindowTest {
    Q_OBJECT

  private Q_SLOTS:
    void welcomeResults_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");
        QTest::newRow("New") << "newButton" << kWelcomeNew;
        QTest::newRow("Open") << "openButton" << kWelcomeOpen;
        QTest::newRow("Open Last") << "openLastButton" << kWelcomeOpenLast;
        QTest::newRow("Escape") << "escape" << kWelcomeOpenLast;
    }

    void welcomeResults() {
        QFETCH(QString, action);
        QFETCH(int, result);
        QVERIFY(SetRegistryString(kApplicationKey, "LastOpenProgram", "/home/ann/gone.mav").ok());
        CMavrenWelcomeDialog welcome;
        const int ended = ExecWith(welcome, [&](QWidget* window) {
            QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
            QCOMPARE(GetTitleLabelText(window), QStringLiteral("Welcome to Mavren"));
            // Enter chooses nothing.
            QTest::keyClick(window, Qt::Key_Return);
            QVERIFY(window->isVisible());
            if (action == QLatin1String("escape")) {
                QTest::keyClick(window, Qt::Key_Escape);
            } else {
                Find<QPushButton>(window, action.toLatin1().constData())->click();
            }
        });
        QCOMPARE(ended, result);
        QVERIFY(GetRegistryString(kDontShowAgainKey, "Welcome").empty());
        QVERIFY(!GetRegistryString(kWindowPositionsKey, "Welcome").empty());
    }

    void openLastNeedsALastProgram() {
        CMavrenWelcomeDialog welcome;
        ExecWith(welcome, [](QWidget* window) {
            QVERIFY(!Find<QPushButton>(window, "openLastButton")->isEnabled());
        });
    }

    void aboutShowsThePictureAndAlternatesItsCaption() {
        CMavrenAboutDialog about({.aboutMode = true, .captionPeriodMilliseconds = 200});
        RunAbout(about, [&](QWidget* window) {
            QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
            QVERIFY(about.HasPicture());
            auto* frame = Find<QFrame>(window, "pictureFrame");
            QVERIFY(frame->isVisible());
            const QImage picture =
                CMavrenAboutDialog::LoadPicture(ExecutableFolder() + "splash1.jpg");
            QCOMPARE(frame->size(), picture.size() + QSize(2, 2));
            QCOMPARE(frame->x(), (window->width() - picture.width()) / 2);
            QCOMPARE(about.TextRect().top(), frame->geometry().bottom() + 3);
            // Sooner than the default period of two seconds would allow.
            QTRY_COMPARE_WITH_TIMEOUT(about.CaptionText(),
                                      QStringLiteral("Web sites from your folders"), 1000);
            QTRY_COMPARE_WITH_TIMEOUT(about.CaptionText(), QStringLiteral("Mavren 1.0"), 1000);
            Find<QPushButton>(window, "continueButton")->click();
        });
    }

    void aboutWithoutPictureDrawsItsCaptionInTheMiddle() {
        QTemporaryDir empty;
        SetExecutableFolder(empty.path().toStdString());
        CMavrenAboutDialog about({});
        RunAbout(about, [&](QWidget* window) {
            QVERIFY(!about.HasPicture());
            QVERIFY(!Find<QFrame>(window, "pictureFrame")->isVisible());
            QCOMPARE(about.TextRect(), window->rect().adjusted(10, 100, -10, -100));
            // Not in about mode: no caption, no timer.
            QCOMPARE(about.CaptionText(), QString());
            Find<QPushButton>(window, "continueButton")->click();
        });
        UseBuildResources();
    }

    void aboutClosesOnlyWithContinue() {
        CMavrenAboutDialog about({.aboutMode = true});
        const int result = RunAbout(about, [&](QWidget* window) {
            // The caption opens on the version, for the default period.
            QCOMPARE(about.CaptionText(), QStringLiteral("Mavren 1.0"));
            QVERIFY(Find<QLabel>(window, "licenceLabel")->text().startsWith("Free software"));
            QTest::keyClick(window, Qt::Key_Escape);
            QVERIFY(window->isVisible());
            window->close();
            QVERIFY(window->isVisible());
            QTest::keyClick(window, Qt::Key_Return);
        });
        QCOMPARE(result, int(QDialog::Accepted));
    }

    void aboutLinksOpenTheHomePageAndAMail_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("url");
        QTest::newRow("home page") << "homePageButton"
                                   << "https://mavren.example.org/";
        QTest::newRow("support") << "supportButton"
                                 << "mailto:support@mavren.example.org";
    }

    void aboutLinksOpenTheHomePageAndAMail() {
        QFETCH(QString, button);
        QFETCH(QString, url);
        const QString record = UseRecordingBrowser();
        CMavrenAboutDialog about({});
        RunAbout(about, [&](QWidget* window) {
            Find<QPushButton>(window, button.toLatin1().constData())->click();
            QVERIFY(window->isVisible());
            QTRY_COMPARE(QString::fromStdString(ReadTextFile(record)), url);
            Find<QPushButton>(window, "continueButton")->click();
        });
    }

  private:
    static QString GetTitleLabelText(QWidget* window) {
        return Find<QLabel>(window, "titleLabel")->text();
    }
};

MAVREN_UI_TEST_MAIN(WelcomeAboutTest)
#include "welcome_about_test.moc"
