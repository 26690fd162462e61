// Thumbnail Options, Label Options, Link Options and Link Labels: what they show for the
// values handed in, their enabling and validation, and what comes back on OK and Cancel.

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "support/ui_test_support.h"
#include "ui/label_options_dialog.h"
#include "ui/link_options_dialog.h"
#include "ui/thumbnail_options_dialog.h"

namespace {

void Tick(QWidget* window, const char* name, bool ticked) {
    auto* box = Find<QAbstractButton>(window, name);
    if (box->isChecked() != ticked) {
        box->click();
    }
}

}  // namespace

class OptionDialogsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { QuietPlatformNotes(); }
    void init() { ForgetSettings(); }

    void thumbnailOptionsOpenOnTheSize_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("custom");
        QTest::newRow("default size") << 120 << false;
        QTest::newRow("custom size") << 200 << true;
        QTest::newRow("out of range size") << 5 << true;
    }
    void thumbnailOptionsOpenOnTheSize() {
        QFETCH(int, size);
        QFETCH(bool, custom);
        ThumbnailSettings settings{0, size};
        const bool opened = WithModal(
            [&] { RunThumbnailOptions(nullptr, settings); },
            [&](QWidget* window) {
                QCOMPARE(window->windowTitle(), QStringLiteral("Thumbnail Options"));
                QCOMPARE(Find<QCheckBox>(window, "smartCheckBox")->isChecked(), false);
                QCOMPARE(Find<QRadioButton>(window, "customSizeRadio")->isChecked(), custom);
                QCOMPARE(Find<QRadioButton>(window, "defaultSizeRadio")->isChecked(), !custom);
                auto* box = Find<QLineEdit>(window, "customSizeEdit");
                QCOMPARE(box->isEnabled(), custom);
                QCOMPARE(box->text(), QString::number(size));
                PressButton(window, QDialogButtonBox::Cancel);
            });
        QVERIFY(opened);
        QCOMPARE(settings.thumbnailSize, size);
        QCOMPARE(settings.smart, 0);
    }

    void thumbnailDefaultSizeIgnoresTheBox() {
        ScriptedBoxes boxes;
        ThumbnailSettings settings{1, 200};
        WithModal([&] { RunThumbnailOptions(nullptr, settings); },
                  [&](QWidget* window) {
                      Find<QRadioButton>(window, "defaultSizeRadio")->click();
                      auto* box = Find<QLineEdit>(window, "customSizeEdit");
                      QVERIFY(!box->isEnabled());
                      box->setText(QStringLiteral("not a number"));
                      Tick(window, "smartCheckBox", false);
                      PressButton(window, QDialogButtonBox::Ok);
                      QVERIFY(!window->isVisible());
                  });
        QCOMPARE(settings.thumbnailSize, 120);
        QCOMPARE(settings.smart, 0);
        QVERIFY(boxes->Texts().empty());
    }

    void thumbnailCustomSizeIsChecked_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("below") << "9" << false;
        QTest::newRow("lowest") << "10" << true;
        QTest::newRow("highest") << "1000" << true;
        QTest::newRow("above") << "1001" << false;
        QTest::newRow("not a number") << "12px" << false;
        QTest::newRow("empty") << "" << false;
    }
    void thumbnailCustomSizeIsChecked() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        ScriptedBoxes boxes;
        ThumbnailSettings settings{1, 120};
        WithModal([&] { RunThumbnailOptions(nullptr, settings); },
                  [&](QWidget* window) {
                      Find<QRadioButton>(window, "customSizeRadio")->click();
                      auto* box = Find<QLineEdit>(window, "customSizeEdit");
                      QVERIFY(box->isEnabled());
                      box->setText(typed);
                      PressButton(window, QDialogButtonBox::Ok);
                      QCOMPARE(window->isVisible(), !accepted);
                      if (!accepted) {
                          QCOMPARE(window->focusWidget(), box);
                          PressButton(window, QDialogButtonBox::Cancel);
                      }
                  });
        if (accepted) {
            QVERIFY(boxes->Texts().empty());
            QCOMPARE(settings.thumbnailSize, typed.toInt());
        } else {
            QCOMPARE(boxes->Texts(),
                     std::vector<std::string>{"Please enter an integer between 10 and 1000."});
            QCOMPARE(settings.thumbnailSize, 120);
        }
    }

    void labelCustomBoxFollowsTheChoice() {
        LabelSettings settings{0, "%F"};
        WithModal([&] { RunLabelOptions(nullptr, settings); },
                  [&](QWidget* window) {
                      QCOMPARE(window->windowTitle(), QStringLiteral("Label Options"));
                      auto* box = Find<QLineEdit>(window, "customLabelEdit");
                      QVERIFY(Find<QRadioButton>(window, "standardLabelRadio")->isChecked());
                      QVERIFY(!box->isEnabled());
                      QCOMPARE(box->text(), QStringLiteral("%F"));
                      Find<QRadioButton>(window, "customLabelRadio")->click();
                      QVERIFY(box->isEnabled());
                      QCOMPARE(window->focusWidget(), box);
                      Find<QRadioButton>(window, "descriptionFileRadio")->click();
                      QVERIFY(!box->isEnabled());
                      QCOMPARE(box->maxLength(), 255);
                      PressButton(window, QDialogButtonBox::Cancel);
                  });
    }

    void labelValuesComeBackOnlyOnOk_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void labelValuesComeBackOnlyOnOk() {
        QFETCH(bool, ok);
        LabelSettings settings{1, "before"};
        WithModal([&] { RunLabelOptions(nullptr, settings); },
                  [&](QWidget* window) {
                      QVERIFY(Find<QRadioButton>(window, "descriptionFileRadio")->isChecked());
                      Find<QRadioButton>(window, "customLabelRadio")->click();
                      Find<QLineEdit>(window, "customLabelEdit")->setText(QStringLiteral("%F %S"));
                      PressButton(window, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
                  });
        QCOMPARE(settings.labelType, ok ? 2 : 1);
        QCOMPARE(settings.customLabel, std::string(ok ? "%F %S" : "before"));
    }

    void linkOptionsShowAndTakeBackEveryValue() {
        LinkSettings settings;
        settings.showPrev = settings.showNext = settings.showIndex = 1;
        settings.showBegin = settings.showEnd = 1;
        settings.imageIsLink = 1;
        settings.imageLinkStyle = 1;
        settings.nextLabel = "Onward";
        settings.endLabel = "\xff raw bytes";
        WithModal([&] { RunLinkOptions(nullptr, settings); },
                  [&](QWidget* window) {
                      QCOMPARE(window->windowTitle(), QStringLiteral("Link Options"));
                      QVERIFY(Find<QRadioButton>(window, "imageLinkIndexRadio")->isChecked());
                      for (const char* name :
                           {"prevCheckBox", "nextCheckBox", "indexCheckBox", "beginningCheckBox",
                            "endCheckBox", "imageIsLinkCheckBox"}) {
                          QVERIFY2(Find<QCheckBox>(window, name)->isChecked(), name);
                          Tick(window, name, false);
                      }
                      Find<QRadioButton>(window, "imageLinkNextRadio")->click();
                      PressButton(window, QDialogButtonBox::Ok);
                  });
        QCOMPARE(settings.showPrev + settings.showNext + settings.showIndex + settings.showBegin +
                     settings.showEnd + settings.imageIsLink,
                 0);
        QCOMPARE(settings.imageLinkStyle, 0);
        QCOMPARE(settings.nextLabel, std::string("Onward"));
        QCOMPARE(settings.endLabel, std::string("\xff raw bytes"));
    }

    void linkLabelsAreEditedThroughLinkOptions_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("Link Options OK") << true;
        QTest::newRow("Link Options Cancel") << false;
    }
    void linkLabelsAreEditedThroughLinkOptions() {
        QFETCH(bool, ok);
        LinkSettings settings;
        settings.showNext = 1;
        settings.indexLabel = "Contents";
        settings.prevLabel = "Back";
        std::unique_ptr<ModalWatcher> labelsWatcher;
        WithModal([&] { RunLinkOptions(nullptr, settings); },
                  [&](QWidget* window) {
                      Tick(window, "nextCheckBox", false);
                      bool labelsShown = false;
                      labelsWatcher = OnNextModal([&](QWidget* labels) {
                          labelsShown = true;
                          QCOMPARE(labels->windowTitle(), QStringLiteral("Link Labels"));
                          auto* index = Find<QLineEdit>(labels, "indexLabelEdit");
                          QCOMPARE(index->text(), QStringLiteral("Contents"));
                          QCOMPARE(index->placeholderText(), QStringLiteral("Index"));
                          Find<QLineEdit>(labels, "nextLabelEdit")->setText(QStringLiteral("On"));
                          Find<QLineEdit>(labels, "prevLabelEdit")->clear();
                          PressButton(labels, QDialogButtonBox::Ok);
                      });
                      Find<QPushButton>(window, "editLinkLabelsButton")->click();
                      QVERIFY(labelsShown);
                      PressButton(window, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
                  });
        QCOMPARE(settings.showNext, ok ? 0 : 1);
        QCOMPARE(settings.nextLabel, std::string(ok ? "On" : ""));
        QCOMPARE(settings.prevLabel, std::string(ok ? "" : "Back"));
        QCOMPARE(settings.indexLabel, std::string("Contents"));
    }

    void cancelledLinkLabelsChangeNothing() {
        LinkSettings settings;
        settings.beginLabel = "First";
        std::unique_ptr<ModalWatcher> labelsWatcher;
        WithModal([&] { RunLinkOptions(nullptr, settings); },
                  [&](QWidget* window) {
                      labelsWatcher = OnNextModal([&](QWidget* labels) {
                          Find<QLineEdit>(labels, "beginLabelEdit")->setText(QStringLiteral("X"));
                          PressButton(labels, QDialogButtonBox::Cancel);
                      });
                      Find<QPushButton>(window, "editLinkLabelsButton")->click();
                      PressButton(window, QDialogButtonBox::Ok);
                  });
        QCOMPARE(settings.beginLabel, std::string("First"));
    }
};

MAVREN_UI_TEST_MAIN(OptionDialogsTest)
#include "option_dialogs_test.moc"
