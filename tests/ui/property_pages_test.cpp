// The property pages one by one: enabling rules of the Index, Content, HTML and Photos
// pages, the count boxes' validation, what the Photos and Misc pages store, the red boilerplate
// note, the file and folder pickers with their remembered folders, and Help.

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "document/program.h"
#include "platform/app_folders.h"
#include "platform/registry.h"
#include "support/ui_test_support.h"
#include "ui/prog_prop_sheet.h"

namespace {

enum Page { kGeneration = 0, kIndex = 1, kContent = 2, kMisc = 3, kHtml = 4, kPhotos = 5 };

// Opens the sheet on a default program changed by prepare, on page, and runs act there.
void OnPage(Page page, const std::function<void(Program&)>& prepare,
            const std::function<void(QWidget*)>& act, Program* result = nullptr) {
    Program program;
    program.ApplyDefaults();
    program.path = "/home/ann/Web/trip.mav";
    if (prepare) {
        prepare(program);
    }
    {
        CMavrenProgPropSheet sheet(program);
        sheet.SetActivePage(page);
        QVERIFY(ExecWith(sheet, act) != -1000);
    }
    if (result != nullptr) {
        for (const KeyDescriptor& key : kKeyTable) {
            result->SetText(key.id, program.GetText(key.id));
        }
    }
}

bool Enabled(QWidget* sheet, const char* name) {
    return Find<QWidget>(sheet, name)->isEnabled();
}

int CurrentPage(QWidget* sheet) {
    return Find<QTabWidget>(sheet, "pageTabs")->currentIndex();
}

// A click on a group box's own check box.
void ToggleGroup(QWidget* sheet, const char* name) {
    QTest::keyClick(Find<QGroupBox>(sheet, name), Qt::Key_Space);
}

// Clicks button and, in the file or folder dialog it opens, picks path (or cancels for
// an empty path); check sees the dialog first.
void PickInDialog(QWidget* sheet, const char* button, const QString& path,
                  const std::function<void(QFileDialog*)>& check = {}) {
    const auto watcher = OnNextModal([&](QWidget* window) {
        if (check) {
            auto* dialog = qobject_cast<QFileDialog*>(window);
            QVERIFY(dialog != nullptr);
            check(dialog);
        }
        ChooseInFileDialog(window, path);
    });
    Find<QAbstractButton>(sheet, button)->click();
    QVERIFY2(watcher->Fired(), button);
}

}  // namespace

class PropertyPagesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { QuietPlatformNotes(); }
    void init() { ForgetSettings(); }

    void indexPageOpensWithItsRules_data() {
        QTest::addColumn<int>("multiple");
        QTest::addColumn<int>("layout");
        QTest::addColumn<bool>("radios");
        QTest::addColumn<bool>("counts");
        QTest::newRow("one page") << 0 << 1 << false << false;
        QTest::newRow("typical window") << 1 << 0 << true << false;
        QTest::newRow("across by down") << 1 << 1 << true << true;
    }
    void indexPageOpensWithItsRules() {
        QFETCH(int, multiple);
        QFETCH(int, layout);
        QFETCH(bool, radios);
        QFETCH(bool, counts);
        OnPage(
            kIndex,
            [&](Program& program) {
                program.SetInt(ProgramKey::IndexGenerateMultiplePages, multiple);
                program.SetInt(ProgramKey::IndexThumbnailLayoutType, layout);
                program.SetInt(ProgramKey::GenerateThumbnails, 0);
            },
            [&](QWidget* sheet) {
                QVERIFY(!Enabled(sheet, "thumbnailOptionsButton"));
                QVERIFY(Enabled(sheet, "indexLabellingOptionsButton"));
                for (const char* name :
                     {"optimizeRadio", "displayRadio", "byLabel", "perPageLabel"}) {
                    QVERIFY2(Enabled(sheet, name) == radios, name);
                }
                QCOMPARE(Enabled(sheet, "acrossEdit"), counts);
                QCOMPARE(Enabled(sheet, "downEdit"), counts);
            });
    }

    void indexPageFollowsClicks() {
        OnPage(kIndex, {}, [](QWidget* sheet) {
            Find<QAbstractButton>(sheet, "generateThumbnailsCheckBox")->click();
            QVERIFY(!Enabled(sheet, "thumbnailOptionsButton"));
            Find<QAbstractButton>(sheet, "labelThumbnailsCheckBox")->click();
            QVERIFY(!Enabled(sheet, "indexLabellingOptionsButton"));
            Find<QAbstractButton>(sheet, "generateThumbnailsCheckBox")->click();
            QVERIFY(Enabled(sheet, "thumbnailOptionsButton"));

            Find<QRadioButton>(sheet, "displayRadio")->click();
            QVERIFY(Enabled(sheet, "acrossEdit") && Enabled(sheet, "downEdit"));
            QCOMPARE(sheet->focusWidget(), Find<QWidget>(sheet, "acrossEdit"));

            ToggleGroup(sheet, "multiplePagesGroupBox");
            QVERIFY(!Find<QGroupBox>(sheet, "multiplePagesGroupBox")->isChecked());
            for (const char* name : {"optimizeRadio", "displayRadio", "byLabel", "perPageLabel",
                                     "acrossEdit", "downEdit"}) {
                QVERIFY2(!Enabled(sheet, name), name);
            }
            ToggleGroup(sheet, "multiplePagesGroupBox");
            QVERIFY(Enabled(sheet, "optimizeRadio") && Enabled(sheet, "acrossEdit"));
            Find<QRadioButton>(sheet, "optimizeRadio")->click();
            QVERIFY(!Enabled(sheet, "acrossEdit") && !Enabled(sheet, "downEdit"));
            QVERIFY(Enabled(sheet, "byLabel"));
        });
    }

    void countBoxesAreChecked_data() {
        QTest::addColumn<QString>("across");
        QTest::addColumn<QString>("down");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("limits") << "1"
                                << "1000" << true;
        QTest::newRow("zero") << "0"
                              << "4" << false;
        QTest::newRow("too many down") << "4"
                                       << "1001" << false;
        QTest::newRow("not a number") << "four"
                                      << "4" << false;
    }
    void countBoxesAreChecked() {
        QFETCH(QString, across);
        QFETCH(QString, down);
        QFETCH(bool, accepted);
        ScriptedBoxes boxes;
        Program stored;
        OnPage(
            kIndex,
            [](Program& program) { program.SetInt(ProgramKey::IndexThumbnailLayoutType, 1); },
            [&](QWidget* sheet) {
                Find<QLineEdit>(sheet, "acrossEdit")->setText(across);
                Find<QLineEdit>(sheet, "downEdit")->setText(down);
                ShowSheetPage(sheet, kMisc);
                QCOMPARE(CurrentPage(sheet), accepted ? int(kMisc) : int(kIndex));
                if (accepted) {
                    PressButton(sheet, QDialogButtonBox::Ok);
                    return;
                }
                QCOMPARE(boxes->Texts(),
                         std::vector<std::string>{"Please enter an integer between 1 and 1000."});
                const char* wrong = across.toInt() >= 1 ? "downEdit" : "acrossEdit";
                QCOMPARE(sheet->focusWidget(), Find<QWidget>(sheet, wrong));
                // OK is refused the same way.
                PressButton(sheet, QDialogButtonBox::Ok);
                QVERIFY(sheet->isVisible());
                Find<QLineEdit>(sheet, wrong)->setText(QStringLiteral("7"));
                PressButton(sheet, QDialogButtonBox::Ok);
                QVERIFY(!sheet->isVisible());
            },
            &stored);
        const int expectedAcross = accepted ? across.toInt() : (across.toInt() >= 1 ? 4 : 7);
        const int expectedDown = accepted ? down.toInt() : (across.toInt() >= 1 ? 7 : 4);
        QCOMPARE(stored.GetInt(ProgramKey::IndexThumbnailsAcross), expectedAcross);
        QCOMPARE(stored.GetInt(ProgramKey::IndexThumbnailsDown), expectedDown);
    }

    void unreachableCountKeepsItsValue() {
        Program stored;
        OnPage(
            kIndex,
            [](Program& program) {
                program.SetInt(ProgramKey::IndexThumbnailLayoutType, 1);
                program.SetInt(ProgramKey::IndexThumbnailsAcross, 5);
            },
            [](QWidget* sheet) {
                Find<QLineEdit>(sheet, "acrossEdit")->setText(QStringLiteral("0"));
                Find<QRadioButton>(sheet, "optimizeRadio")->click();
                PressButton(sheet, QDialogButtonBox::Ok);
                QVERIFY(!sheet->isVisible());
            },
            &stored);
        QCOMPARE(stored.GetInt(ProgramKey::IndexThumbnailsAcross), 5);
        QCOMPARE(stored.GetInt(ProgramKey::IndexThumbnailLayoutType), 0);
    }

    void photosPageFollowsWebCopies_data() {
        QTest::addColumn<int>("stored");      // Photo-Web-Size in the program
        QTest::addColumn<int>("shown");       // in the size box
        QTest::addColumn<int>("afterClick");  // stored after a click on the check box and OK
        QTest::newRow("off") << 0 << 1600 << 1600;
        QTest::newRow("on") << 2400 << 2400 << 0;
    }
    void photosPageFollowsWebCopies() {
        QFETCH(int, stored);
        QFETCH(int, shown);
        QFETCH(int, afterClick);
        Program result;
        OnPage(
            kPhotos,
            [&](Program& program) {
                program.SetInt(ProgramKey::PhotoWebSize, stored);
                program.SetInt(ProgramKey::PhotoWebQuality, 5);  // out of range, unreachable
            },
            [&](QWidget* sheet) {
                const auto webSide = [sheet](bool on) {
                    for (const char* name :
                         {"webSizeSpinBox", "webQualitySpinBox", "keepCameraDataCheckBox"}) {
                        QVERIFY2(Enabled(sheet, name) == on, name);
                    }
                };
                auto* webCopies = Find<QAbstractButton>(sheet, "webCopiesCheckBox");
                QCOMPARE(webCopies->isChecked(), stored > 0);
                QCOMPARE(Find<QSpinBox>(sheet, "webSizeSpinBox")->value(), shown);
                webSide(stored > 0);
                QVERIFY(Enabled(sheet, "cameraCaptionsCheckBox"));
                QVERIFY(Enabled(sheet, "oldestFirstRadio"));
                // Without web copies a withheld original is still shown, as a clean copy.
                QVERIFY(Enabled(sheet, "publishOriginalsCheckBox"));
                webCopies->click();
                webSide(stored == 0);
                if (stored == 0) {
                    Find<QSpinBox>(sheet, "webQualitySpinBox")->setValue(90);
                }
                PressButton(sheet, QDialogButtonBox::Ok);
            },
            &result);
        QCOMPARE(result.GetInt(ProgramKey::PhotoWebSize), afterClick);
        // The quality box counts only while the user can reach it.
        QCOMPARE(result.GetInt(ProgramKey::PhotoWebQuality), stored == 0 ? 90 : 5);
    }

    void photosPageStoresEveryChoice() {
        Program result;
        OnPage(
            kPhotos, {},
            [](QWidget* sheet) {
                QVERIFY(Find<QRadioButton>(sheet, "byNameRadio")->isChecked());
                QVERIFY(Find<QAbstractButton>(sheet, "publishOriginalsCheckBox")->isChecked());
                Find<QAbstractButton>(sheet, "webCopiesCheckBox")->click();
                Find<QSpinBox>(sheet, "webSizeSpinBox")->setValue(2048);
                for (const char* name :
                     {"publishOriginalsCheckBox", "keepCameraDataCheckBox",
                      "cameraCaptionsCheckBox", "newestFirstRadio", "albumsCheckBox"}) {
                    Find<QAbstractButton>(sheet, name)->click();
                }
                PressButton(sheet, QDialogButtonBox::Ok);
            },
            &result);
        QCOMPARE(result.GetInt(ProgramKey::PhotoWebSize), 2048);
        QCOMPARE(result.GetInt(ProgramKey::PhotoWebQuality), 82);
        QCOMPARE(result.GetBool(ProgramKey::PhotoPublishOriginals), false);
        QCOMPARE(result.GetBool(ProgramKey::PhotoKeepCameraData), true);
        QCOMPARE(result.GetBool(ProgramKey::PhotoCameraCaptions), true);
        QCOMPARE(result.GetInt(ProgramKey::PhotoOrder), int(PhotoOrder::NewestFirst));
        QCOMPARE(result.GetBool(ProgramKey::IncludeSubfolders), true);
    }

    // Videos and the size of their web copies round trip, and a click on Videos keeps a
    // picture list in step; any other list, and a list nobody clicked for, stay as they are.
    void photosPageKeepsVideosAndTheirPatternsInStep_data() {
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<bool>("videos");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("click");    // on Videos
        QTest::addColumn<QString>("pick");  // in the size box, when enabled
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QString>("stored");  // patterns after OK
        QTest::addColumn<int>("storedSize");
        const QString photos = QStringLiteral("*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif");
        const QString videos = QStringLiteral(";*.mp4;*.mov;*.m4v;*.webm;*.3gp");
        const QStringList sizes{"480p", "720p", "1080p"};
        QTest::newRow("on") << photos << false << 720 << true << "1080p" << sizes << photos + videos
                            << 1080;
        QTest::newRow("off") << photos + videos << true << 480 << true << "" << sizes << photos
                             << 480;
        QTest::newRow("classic list") << "*.jpg;*.png;*.gif" << false << 720 << true << "480p"
                                      << sizes << "*.jpg;*.png;*.gif" + videos << 480;
        QTest::newRow("own pattern")
            << "*.JPG" << false << 720 << true << "" << sizes << "*.JPG" << 720;
        QTest::newRow("no click") << photos + videos << false << 720 << false << "" << sizes
                                  << photos + videos << 720;
        QTest::newRow("size set elsewhere")
            << photos << true << 600 << false << "" << QStringList{"480p", "600p", "720p", "1080p"}
            << photos << 600;
    }
    void photosPageKeepsVideosAndTheirPatternsInStep() {
        QFETCH(QString, patterns);
        QFETCH(bool, videos);
        QFETCH(int, size);
        QFETCH(bool, click);
        QFETCH(QString, pick);
        QFETCH(QStringList, offered);
        QFETCH(QString, stored);
        QFETCH(int, storedSize);
        Program result;
        OnPage(
            kPhotos,
            [&](Program& program) {
                program.SetString(ProgramKey::SourceFileExtension, patterns.toStdString());
                program.SetInt(ProgramKey::PhotoVideos, videos ? 1 : 0);
                program.SetInt(ProgramKey::PhotoVideoSize, size);
            },
            [&](QWidget* sheet) {
                auto* box = Find<QAbstractButton>(sheet, "videosCheckBox");
                auto* combo = Find<QComboBox>(sheet, "videoSizeCombo");
                QStringList shown;
                for (int i = 0; i < combo->count(); ++i) {
                    shown << combo->itemText(i);
                }
                QCOMPARE(shown, offered);
                QCOMPARE(combo->currentText(), QStringLiteral("%1p").arg(size));
                QCOMPARE(box->isChecked(), videos);
                QCOMPARE(combo->isEnabled(), videos);
                if (click) {
                    box->click();
                    QCOMPARE(combo->isEnabled(), !videos);
                }
                if (!pick.isEmpty()) {
                    combo->setCurrentText(pick);
                }
                PressButton(sheet, QDialogButtonBox::Ok);
            },
            &result);
        QCOMPARE(result.GetBool(ProgramKey::PhotoVideos), videos != click);
        QCOMPARE(result.GetInt(ProgramKey::PhotoVideoSize), storedSize);
        QCOMPARE(QString::fromStdString(result.GetText(ProgramKey::SourceFileExtension)), stored);
    }

    void photosPageTellsWhatPublishedOriginalsCarry() {
        Program result;
        OnPage(
            kPhotos, {},
            [](QWidget* sheet) {
                auto* publish = Find<QAbstractButton>(sheet, "publishOriginalsCheckBox");
                auto* withoutPlace = Find<QAbstractButton>(sheet, "originalsWithoutPlaceCheckBox");
                auto* warning = Find<QLabel>(sheet, "originalsPlaceLabel");
                QCOMPARE(warning->text(), QStringLiteral("Originals are published as taken, with "
                                                         "the place where they were taken"));
                // Published as taken: {publish, without place} -> {box enabled, warning}.
                const struct {
                    bool publish, withoutPlace, enabled, warned;
                } steps[] = {{true, false, true, true},
                             {true, true, true, false},
                             {false, true, false, false},
                             {true, false, true, true},
                             {true, true, true, false}};
                for (const auto& step : steps) {
                    publish->setChecked(step.publish);
                    withoutPlace->setChecked(step.withoutPlace);
                    QCOMPARE(withoutPlace->isEnabled(), step.enabled);
                    QCOMPARE(!warning->isHidden(), step.warned);
                }
                PressButton(sheet, QDialogButtonBox::Ok);
            },
            &result);
        QCOMPARE(result.GetBool(ProgramKey::PhotoPublishOriginals), true);
        QCOMPARE(result.GetBool(ProgramKey::PhotoOriginalsWithoutPlace), true);
    }

    void gifHandlingOffersFirstFrameThumbnails_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("radio");
        QTest::newRow("generic") << 0 << "genericGifRadio";
        QTest::newRow("first frame") << 3 << "firstFrameGifRadio";
    }
    void gifHandlingOffersFirstFrameThumbnails() {
        QFETCH(int, stored);
        QFETCH(QString, radio);
        Program result;
        OnPage(
            kMisc,
            [&](Program& program) { program.SetInt(ProgramKey::MiscGifThumbnailType, stored); },
            [&](QWidget* sheet) {
                QVERIFY(Find<QRadioButton>(sheet, radio.toLatin1().constData())->isChecked());
                // The other of the two, to see it stored.
                Find<QRadioButton>(sheet, stored == 3 ? "genericGifRadio" : "firstFrameGifRadio")
                    ->click();
                PressButton(sheet, QDialogButtonBox::Ok);
            },
            &result);
        QCOMPARE(result.GetInt(ProgramKey::MiscGifThumbnailType), stored == 3 ? 0 : 3);
    }

    void contentTypeEnablesItsControls_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<bool>("pattern");
        QTest::addColumn<bool>("guess");
        QTest::newRow("images") << "imagesRadio" << false << false;
        QTest::newRow("text") << "textRadio" << false << true;
        QTest::newRow("html") << "htmlRadio" << false << false;
        QTest::newRow("pattern") << "patternRadio" << true << false;
    }
    void contentTypeEnablesItsControls() {
        QFETCH(QString, radio);
        QFETCH(bool, pattern);
        QFETCH(bool, guess);
        OnPage(kContent, {}, [&](QWidget* sheet) {
            Find<QRadioButton>(sheet, radio.toLatin1().constData())->click();
            QCOMPARE(Enabled(sheet, "patternEdit"), pattern);
            QCOMPARE(Enabled(sheet, "guessParagraphsCheckBox"), guess);
        });
    }

    void contentCheckBoxesEnableTheirButtons() {
        OnPage(
            kContent,
            [](Program& program) {
                program.SetInt(ProgramKey::ContentShowLabels, 0);
                program.SetInt(ProgramKey::ContentShowLinks, 1);
            },
            [](QWidget* sheet) {
                QVERIFY(!Enabled(sheet, "contentLabellingOptionsButton"));
                QVERIFY(Enabled(sheet, "linkOptionsButton"));
                Find<QAbstractButton>(sheet, "showLabelsCheckBox")->click();
                Find<QAbstractButton>(sheet, "showLinksCheckBox")->click();
                QVERIFY(Enabled(sheet, "contentLabellingOptionsButton"));
                QVERIFY(!Enabled(sheet, "linkOptionsButton"));
            });
    }

    void backgroundControlsFollowTheChoice() {
        Program stored;
        OnPage(
            kHtml,
            [](Program& program) {
                program.SetInt(ProgramKey::HtmlBackgroundStyle, 0);
                program.SetString(ProgramKey::HtmlBackgroundImage, "sky.jpg");
            },
            [](QWidget* sheet) {
                const auto imageSide = [sheet](bool on) {
                    for (const char* name :
                         {"backgroundImageEdit", "backgroundImageBrowseButton", "fixedCheckBox"}) {
                        QVERIFY2(Enabled(sheet, name) == on, name);
                    }
                };
                imageSide(true);
                QVERIFY(!Enabled(sheet, "backgroundColorBox"));
                Find<QRadioButton>(sheet, "backgroundColorRadio")->click();
                imageSide(false);
                QVERIFY(Enabled(sheet, "backgroundColorBox"));

                ToggleGroup(sheet, "backgroundGroupBox");
                imageSide(false);
                QVERIFY(!Enabled(sheet, "backgroundColorBox"));
                QVERIFY(!Enabled(sheet, "backgroundImageRadio"));
                QVERIFY(!Find<QRadioButton>(sheet, "backgroundColorRadio")->isChecked());

                // Ticked again: both buttons usable, neither selected, the rest as it was.
                ToggleGroup(sheet, "backgroundGroupBox");
                QVERIFY(Enabled(sheet, "backgroundImageRadio"));
                QVERIFY(Enabled(sheet, "backgroundColorRadio"));
                QVERIFY(!Find<QRadioButton>(sheet, "backgroundImageRadio")->isChecked());
                QVERIFY(!Find<QRadioButton>(sheet, "backgroundColorRadio")->isChecked());
                imageSide(false);
                QVERIFY(!Enabled(sheet, "backgroundColorBox"));
                PressButton(sheet, QDialogButtonBox::Ok);
            },
            &stored);
        // Ticked with neither kind chosen: no image, and no colour.
        QCOMPARE(stored.GetInt(ProgramKey::HtmlBackgroundStyle), -1);
        QVERIFY(stored.GetText(ProgramKey::HtmlBackgroundImage).empty());
    }

    void boilerplateNoteShowsWhenAPageHasOne_data() {
        QTest::addColumn<QString>("indexBoilerplate");
        QTest::addColumn<QString>("typedOnContent");
        QTest::addColumn<bool>("visible");
        QTest::newRow("none") << ""
                              << "" << false;
        QTest::newRow("index page's") << "/b/frame.htm"
                                      << "" << true;
        QTest::newRow("typed on the content page") << ""
                                                   << "/b/content.htm" << true;
    }
    void boilerplateNoteShowsWhenAPageHasOne() {
        QFETCH(QString, indexBoilerplate);
        QFETCH(QString, typedOnContent);
        QFETCH(bool, visible);
        OnPage(
            kContent,
            [&](Program& program) {
                program.SetString(ProgramKey::IndexBoilerplate, indexBoilerplate.toStdString());
            },
            [&](QWidget* sheet) {
                Find<QLineEdit>(sheet, "contentBoilerplateEdit")->setText(typedOnContent);
                ShowSheetPage(sheet, kHtml);
                const auto* note = Find<QLabel>(sheet, "boilerplateNoteLabel");
                QCOMPARE(note->isVisible(), visible);
                QCOMPARE(note->text(),
                         QStringLiteral("HTML settings will be overridden by the boilerplate file "
                                        "specified for index or content pages"));
            });
    }

    void boilerplatePickerChecksTheFile_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("taken");
        QTest::newRow("boilerplate") << "<HTML><BODY><MAVREN-BOILERPLATE></BODY></HTML>" << true;
        QTest::newRow("plain page") << "<HTML><BODY>nothing</BODY></HTML>" << false;
    }
    void boilerplatePickerChecksTheFile() {
        QFETCH(QString, content);
        QFETCH(bool, taken);
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("frames/frame.htm"));
        QVERIFY(WriteTextFile(file, content.toStdString()));
        const QString remembered = folder.filePath(QStringLiteral("remembered"));
        QDir().mkpath(remembered);
        QVERIFY(SetRegistryString(kApplicationKey, "LastBoilerplateDir", remembered.toStdString())
                    .ok());
        OnPage(kIndex, {}, [&](QWidget* sheet) {
            PickInDialog(sheet, "indexBoilerplateBrowseButton", file, [&](QFileDialog* dialog) {
                QCOMPARE(dialog->directory().absolutePath(), remembered);
                QCOMPARE(dialog->nameFilters().front(),
                         QStringLiteral("HTML Files (*.htm *.html)"));
            });
            QCOMPARE(Find<QLineEdit>(sheet, "indexBoilerplateEdit")->text(),
                     taken ? file : QString());
        });
        QCOMPARE(boxes->Texts().size(), taken ? size_t(0) : size_t(1));
        QCOMPARE(QString::fromStdString(GetRegistryString(kApplicationKey, "LastBoilerplateDir")),
                 taken ? folder.filePath(QStringLiteral("frames")) : remembered);
    }

    void backgroundImagePickerOffersPng() {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("sky.png"));
        QVERIFY(WriteTextFile(file, "x"));
        OnPage(
            kHtml, [](Program& program) { program.SetInt(ProgramKey::HtmlBackgroundStyle, 0); },
            [&](QWidget* sheet) {
                PickInDialog(sheet, "backgroundImageBrowseButton", file, [](QFileDialog* dialog) {
                    QCOMPARE(dialog->nameFilters().front(),
                             QStringLiteral("Image Files (*.jpg *.png *.gif)"));
                });
                QCOMPARE(Find<QLineEdit>(sheet, "backgroundImageEdit")->text(), file);
            });
    }

    void boilerplatePickerStartsAtTheCurrentFile() {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("frame.htm"));
        QVERIFY(WriteTextFile(file, "<MAVREN-BOILERPLATE>"));
        OnPage(
            kContent,
            [&](Program& program) {
                program.SetString(ProgramKey::ContentBoilerplate, file.toStdString());
            },
            [&](QWidget* sheet) {
                PickInDialog(sheet, "contentBoilerplateBrowseButton", {}, [&](QFileDialog* dialog) {
                    QCOMPARE(dialog->directory().absolutePath(), folder.path());
                });
                QCOMPARE(Find<QLineEdit>(sheet, "contentBoilerplateEdit")->text(), file);
            });
    }

    void boilerplatePickerStartsAmongTheThemesWhenNothingWasPicked() {
        ScriptedBoxes boxes;
        SetExecutableFolder(MAVREN_BINARY_DIR);
        const QString themes = QStringLiteral(MAVREN_BINARY_DIR "/themes");
        const QString file = themes + QStringLiteral("/gallery/index.htm");
        OnPage(kIndex, {}, [&](QWidget* sheet) {
            PickInDialog(sheet, "indexBoilerplateBrowseButton", file, [&](QFileDialog* dialog) {
                QCOMPARE(dialog->directory().absolutePath(), themes);
            });
            QCOMPARE(Find<QLineEdit>(sheet, "indexBoilerplateEdit")->text(), file);
        });
        QVERIFY(boxes->Texts().empty());
    }

    void folderPickerStartsAtTheRememberedFolder() {
        QTemporaryDir folder;
        const QString start = folder.filePath(QStringLiteral("photos"));
        const QString chosen = folder.filePath(QStringLiteral("photos/2024"));
        QDir().mkpath(chosen);
        QVERIFY(WriteTextFile(start + QStringLiteral("/a.jpg"), "x"));
        QVERIFY(SetRegistryString(kApplicationKey, "LastSourceDir", start.toStdString()).ok());
        Program stored;
        OnPage(
            kGeneration, [](Program& program) { program.SetString(ProgramKey::SourceDir, "/old"); },
            [&](QWidget* sheet) {
                Find<QLineEdit>(sheet, "targetDirEdit")->setText(QStringLiteral("/typed/target"));
                PickInDialog(sheet, "sourceDirBrowseButton", chosen, [&](QFileDialog* dialog) {
                    QCOMPARE(dialog->windowTitle(), QStringLiteral("Locate the Source Directory"));
                    QCOMPARE(dialog->directory().absolutePath(), start);
                    QCOMPARE(Find<QLabel>(dialog, "folderPreviewLabel")->text(),
                             QStringLiteral("a.jpg"));
                });
                QCOMPARE(Find<QLineEdit>(sheet, "sourceDirEdit")->text(), chosen);
                // Typing in the other box is not lost.
                QCOMPARE(Find<QLineEdit>(sheet, "targetDirEdit")->text(),
                         QStringLiteral("/typed/target"));
                PressButton(sheet, QDialogButtonBox::Ok);
            },
            &stored);
        QCOMPARE(QString::fromStdString(stored.GetText(ProgramKey::SourceDir)), chosen);
        QCOMPARE(stored.GetText(ProgramKey::TargetDir), std::string("/typed/target"));
        QCOMPARE(QString::fromStdString(GetRegistryString(kApplicationKey, "LastSourceDir")),
                 chosen);
    }

    void cancelledFolderPickerChangesNothing() {
        QVERIFY(SetRegistryString(kApplicationKey, "LastGifDir", "/nowhere").ok());
        OnPage(
            kMisc,
            [](Program& program) { program.SetString(ProgramKey::MiscGifThumbnailDir, "/g"); },
            [](QWidget* sheet) {
                PickInDialog(sheet, "gifDirBrowseButton", {}, [](QFileDialog* dialog) {
                    QCOMPARE(dialog->windowTitle(),
                             QStringLiteral("Locate the GIF Thumbnail Directory"));
                });
                QCOMPARE(Find<QLineEdit>(sheet, "gifDirEdit")->text(), QStringLiteral("/g"));
            });
        QCOMPARE(GetRegistryString(kApplicationKey, "LastGifDir"), std::string("/nowhere"));
    }

    void helpOpensThePageHelpFile_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("file");
        QTest::newRow("generation") << int(kGeneration) << "GEN0002.htm";
        QTest::newRow("index") << int(kIndex) << "GEN0004.htm";
        QTest::newRow("content") << int(kContent) << "GEN0001.htm";
        QTest::newRow("misc") << int(kMisc) << "GEN0007.htm";
        QTest::newRow("html") << int(kHtml) << "GEN0003.htm";
        QTest::newRow("photos") << int(kPhotos) << "GEN0009.htm";
    }
    void helpOpensThePageHelpFile() {
        QFETCH(int, page);
        QFETCH(QString, file);
        const QString record = TestHome() + QStringLiteral("/help-opened");
        QFile::remove(record);
        QVERIFY(SetRegistryString(kApplicationKey, "URLHandler",
                                  MakeRecordingBrowser(TestHome(), record).toStdString())
                    .ok());
        SetExecutableFolder(TestHome().toStdString() + "/app");
        OnPage(Page(page), {}, [](QWidget* sheet) { PressButton(sheet, QDialogButtonBox::Help); });
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(ReadTextFile(record)),
                                  TestHome() + QStringLiteral("/app/Help/") + file, 10000);
    }
};

MAVREN_UI_TEST_MAIN(PropertyPagesTest)
#include "property_pages_test.moc"
