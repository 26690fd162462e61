// The program property sheet as a whole: its pages, what it loads from and stores into
// the program (with the exceptions), Cancel after edits on several pages, the remembered
// active page, and the option dialogs' values as the pages hand them over.

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "document/program.h"
#include "platform/registry.h"
#include "support/ui_test_support.h"
#include "ui/prog_prop_sheet.h"

namespace {

enum Page { kGeneration = 0, kIndex = 1, kContent = 2, kMisc = 3, kHtml = 4, kPhotos = 5 };

// A program as the main window has it: read from its file, so every text is present.
void NewProgram(Program& program) {
    QTemporaryDir folder;
    const std::string file = folder.filePath(QStringLiteral("trip.mav")).toStdString();
    program.ApplyDefaults();
    QVERIFY(program.Save(file).ok());
    QVERIFY(program.Load(file).ok());
    program.path = "/home/ann/Web/trip.mav";
}

// Opens the sheet on program, runs act in it (which closes it or leaves it to be
// cancelled), and fails the test when it did not open.
void RunSheet(Program& program, const std::function<void(QWidget*)>& act) {
    CMavrenProgPropSheet sheet(program);
    QVERIFY(ExecWith(sheet, act) != -1000);
}

// Clicks the button that opens an option dialog and runs act in that dialog.
void InOptionDialog(QWidget* sheet, const char* button, const std::function<void(QWidget*)>& act) {
    const auto watcher = OnNextModal(act);
    Find<QPushButton>(sheet, button)->click();
    QVERIFY2(watcher->Fired(), button);
}

}  // namespace

class PropertySheetTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { QuietPlatformNotes(); }
    void init() { ForgetSettings(); }

    void sheetHasSixPagesAndFixedButtons() {
        Program program;
        NewProgram(program);
        RunSheet(program, [](QWidget* sheet) {
            QCOMPARE(sheet->windowTitle(), QStringLiteral("Mavren: /home/ann/Web/trip.mav"));
            auto* tabs = Find<QTabWidget>(sheet, "pageTabs");
            QStringList titles;
            for (int i = 0; i < tabs->count(); ++i) {
                titles << tabs->tabText(i);
            }
            QCOMPARE(titles, (QStringList{"Generation", "Index Options", "Content Options", "Misc",
                                          "HTML Options", "Photos"}));
            auto* buttons = Find<QDialogButtonBox>(sheet, "buttonBox");
            QVERIFY(!buttons->button(QDialogButtonBox::Apply)->isEnabled());
            QVERIFY(buttons->button(QDialogButtonBox::Help) != nullptr);
        });
    }

    void untouchedSheetChangesNothing() {
        Program program;
        NewProgram(program);
        // Away from its standard value: a box that did not show it would store a change.
        program.SetInt(ProgramKey::IncludeSubfolders, 1);
        program.modified = 1.0;
        RunSheet(program, [](QWidget* sheet) {
            for (Page page : {kIndex, kContent, kMisc, kHtml, kPhotos, kGeneration}) {
                ShowSheetPage(sheet, page);
            }
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(program.modified, 1.0);
    }

    void countsOutsideTheRangeBecomeThree() {
        Program program;
        NewProgram(program);
        program.SetInt(ProgramKey::IndexThumbnailsAcross, 0);
        program.SetInt(ProgramKey::IndexThumbnailsDown, 1001);
        program.SetInt(ProgramKey::IndexThumbnailLayoutType, 1);
        RunSheet(program, [](QWidget* sheet) {
            ShowSheetPage(sheet, kIndex);
            QCOMPARE(Find<QLineEdit>(sheet, "acrossEdit")->text(), QStringLiteral("3"));
            QCOMPARE(Find<QLineEdit>(sheet, "downEdit")->text(), QStringLiteral("3"));
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(program.GetInt(ProgramKey::IndexThumbnailsAcross), 3);
        QCOMPARE(program.GetInt(ProgramKey::IndexThumbnailsDown), 3);
    }

    void sourcePatternChoosesTheType_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("images") << "*.jpg;*.png;*.gif"
                                << "imagesRadio"
                                << "";
        QTest::newRow("images with .jpeg") << "*.jpg;*.jpeg;*.png;*.gif"
                                           << "imagesRadio"
                                           << "";
        QTest::newRow("images with .heic") << "*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif"
                                           << "imagesRadio"
                                           << "";
        QTest::newRow("with videos") << "*.jpg;*.png;*.gif;*.mp4;*.mov;*.m4v;*.webm;*.3gp"
                                     << "imagesRadio"
                                     << "";
        QTest::newRow("videos alone") << "*.mp4;*.mov;*.m4v;*.webm;*.3gp"
                                      << "patternRadio"
                                      << "*.mp4;*.mov;*.m4v;*.webm;*.3gp";
        QTest::newRow("text") << "*.txt"
                              << "textRadio"
                              << "";
        QTest::newRow("html") << "*.htm;*.html"
                              << "htmlRadio"
                              << "";
        QTest::newRow("upper case") << "*.JPG"
                                    << "patternRadio"
                                    << "*.JPG";
        QTest::newRow("other order") << "*.gif;*.jpg;*.png"
                                     << "patternRadio"
                                     << "*.gif;*.jpg;*.png";
        QTest::newRow("empty") << ""
                               << "patternRadio"
                               << "";
    }
    void sourcePatternChoosesTheType() {
        QFETCH(QString, stored);
        QFETCH(QString, radio);
        QFETCH(QString, pattern);
        Program program;
        NewProgram(program);
        program.SetString(ProgramKey::SourceFileExtension, stored.toStdString());
        RunSheet(program, [&](QWidget* sheet) {
            ShowSheetPage(sheet, kContent);
            QVERIFY(Find<QRadioButton>(sheet, radio.toLatin1().constData())->isChecked());
            QCOMPARE(Find<QLineEdit>(sheet, "patternEdit")->text(), pattern);
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(QString::fromStdString(program.GetText(ProgramKey::SourceFileExtension)), stored);
    }

    void sourceTypeStoresItsPattern_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("stored");
        QTest::newRow("images") << "imagesRadio"
                                << "*.jpg;*.jpeg;*.png;*.gif";
        QTest::newRow("text") << "textRadio"
                              << "*.txt";
        QTest::newRow("html") << "htmlRadio"
                              << "*.htm;*.html";
        QTest::newRow("pattern as typed") << "patternRadio"
                                          << "*.GIF; *.bmp";
    }
    void sourceTypeStoresItsPattern() {
        QFETCH(QString, radio);
        QFETCH(QString, stored);
        Program program;
        NewProgram(program);
        program.SetString(ProgramKey::SourceFileExtension, "*.JPG");
        RunSheet(program, [&](QWidget* sheet) {
            ShowSheetPage(sheet, kContent);
            Find<QLineEdit>(sheet, "patternEdit")->setText(QStringLiteral("*.GIF; *.bmp"));
            Find<QRadioButton>(sheet, radio.toLatin1().constData())->click();
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(QString::fromStdString(program.GetText(ProgramKey::SourceFileExtension)), stored);
    }

    void noBackgroundHidesAndClearsItsValues() {
        Program program;
        NewProgram(program);
        program.SetInt(ProgramKey::HtmlBackgroundStyle, -1);
        program.SetString(ProgramKey::HtmlBackgroundImage, "sky.jpg");
        program.SetInt(ProgramKey::HtmlBackgroundFixed, 1);
        program.SetString(ProgramKey::HtmlBackgroundColor, "Navy");
        RunSheet(program, [](QWidget* sheet) {
            ShowSheetPage(sheet, kHtml);
            QVERIFY(!Find<QGroupBox>(sheet, "backgroundGroupBox")->isChecked());
            QVERIFY(!Find<QRadioButton>(sheet, "backgroundImageRadio")->isChecked());
            QVERIFY(!Find<QRadioButton>(sheet, "backgroundColorRadio")->isChecked());
            QVERIFY(Find<QLineEdit>(sheet, "backgroundImageEdit")->text().isEmpty());
            QCOMPARE(Find<QComboBox>(sheet, "backgroundColorBox")->currentText(),
                     QStringLiteral("(none)"));
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(program.GetInt(ProgramKey::HtmlBackgroundStyle), -1);
        QVERIFY(program.GetText(ProgramKey::HtmlBackgroundImage).empty());
        QCOMPARE(program.GetInt(ProgramKey::HtmlBackgroundFixed), 0);
        QVERIFY(program.GetText(ProgramKey::HtmlBackgroundColor).empty());
    }

    void backgroundIsShownAndStored_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("choose");  // the radio the user picks
        QTest::addColumn<int>("storedStyle");
        QTest::addColumn<QString>("storedImage");
        QTest::addColumn<int>("storedFixed");
        QTest::addColumn<QString>("storedColor");
        QTest::newRow("image kept") << 0 << "" << 0 << "sky.jpg" << 1 << "";
        QTest::newRow("colour kept") << 1 << "" << 1 << "" << 1 << "Navy";
        QTest::newRow("image to colour") << 0 << "backgroundColorRadio" << 1 << "" << 1 << "Navy";
        QTest::newRow("colour to image")
            << 1 << "backgroundImageRadio" << 0 << "sky.jpg" << 1 << "";
    }
    void backgroundIsShownAndStored() {
        QFETCH(int, style);
        QFETCH(QString, choose);
        QFETCH(int, storedStyle);
        QFETCH(QString, storedImage);
        QFETCH(int, storedFixed);
        QFETCH(QString, storedColor);
        Program program;
        NewProgram(program);
        program.SetInt(ProgramKey::HtmlBackgroundStyle, style);
        program.SetString(ProgramKey::HtmlBackgroundImage, "sky.jpg");
        program.SetInt(ProgramKey::HtmlBackgroundFixed, 1);
        program.SetString(ProgramKey::HtmlBackgroundColor, "navy");
        RunSheet(program, [&](QWidget* sheet) {
            ShowSheetPage(sheet, kHtml);
            QVERIFY(Find<QGroupBox>(sheet, "backgroundGroupBox")->isChecked());
            QCOMPARE(Find<QLineEdit>(sheet, "backgroundImageEdit")->text(),
                     QStringLiteral("sky.jpg"));
            // The list's own search: "navy" selects the item "Navy".
            QCOMPARE(Find<QComboBox>(sheet, "backgroundColorBox")->currentText(),
                     QStringLiteral("Navy"));
            if (!choose.isEmpty()) {
                Find<QRadioButton>(sheet, choose.toLatin1().constData())->click();
            }
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(program.GetInt(ProgramKey::HtmlBackgroundStyle), storedStyle);
        QCOMPARE(QString::fromStdString(program.GetText(ProgramKey::HtmlBackgroundImage)),
                 storedImage);
        QCOMPARE(program.GetInt(ProgramKey::HtmlBackgroundFixed), storedFixed);
        QCOMPARE(QString::fromStdString(program.GetText(ProgramKey::HtmlBackgroundColor)),
                 storedColor);
    }

    void colourBoxesStoreWhatTheyShow_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");  // empty: leave the box alone
        QTest::addColumn<QString>("result");
        QTest::newRow("empty is none") << ""
                                       << "(none)"
                                       << ""
                                       << "";
        QTest::newRow("name") << "Teal"
                              << "Teal"
                              << ""
                              << "Teal";
        QTest::newRow("start of a name") << "gr"
                                         << "Gray"
                                         << ""
                                         << "Gray";
        QTest::newRow("number kept") << "#FF8000"
                                     << "#FF8000"
                                     << ""
                                     << "#FF8000";
        QTest::newRow("typed number") << "Red"
                                      << "Red"
                                      << "#00ff7f"
                                      << "#00ff7f";
        QTest::newRow("none chosen") << "Red"
                                     << "Red"
                                     << "(none)"
                                     << "";
    }
    void colourBoxesStoreWhatTheyShow() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        Program program;
        NewProgram(program);
        program.SetString(ProgramKey::HtmlLinkColor, stored.toStdString());
        RunSheet(program, [&](QWidget* sheet) {
            ShowSheetPage(sheet, kHtml);
            auto* box = Find<QComboBox>(sheet, "linkColorBox");
            QCOMPARE(box->count(), 17);
            QCOMPARE(box->itemText(0), QStringLiteral("(none)"));
            QCOMPARE(box->itemData(0).toInt(), -1);
            QCOMPARE(box->itemData(box->findText(QStringLiteral("Olive"))).toInt(), 0x808000);
            QCOMPARE(box->currentText(), shown);
            if (!typed.isEmpty()) {
                box->setEditText(typed);
            }
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(QString::fromStdString(program.GetText(ProgramKey::HtmlLinkColor)), result);
    }

    void cancelLeavesTheProgramAsItWas_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }
    void cancelLeavesTheProgramAsItWas() {
        QFETCH(bool, escape);
        Program program;
        NewProgram(program);
        program.SetString(ProgramKey::SourceDir, "/home/ann/old");
        program.modified = 1.0;
        RunSheet(program, [&](QWidget* sheet) {
            Find<QLineEdit>(sheet, "sourceDirEdit")->setText(QStringLiteral("/home/ann/new"));
            ShowSheetPage(sheet, kIndex);
            InOptionDialog(sheet, "thumbnailOptionsButton", [](QWidget* dialog) {
                Find<QRadioButton>(dialog, "customSizeRadio")->click();
                Find<QLineEdit>(dialog, "customSizeEdit")->setText(QStringLiteral("300"));
                PressButton(dialog, QDialogButtonBox::Ok);
            });
            Find<QLineEdit>(sheet, "indexPageTitleEdit")->setText(QStringLiteral("Dropped"));
            ShowSheetPage(sheet, kMisc);
            if (escape) {
                QTest::keyClick(sheet, Qt::Key_Escape);
            } else {
                PressButton(sheet, QDialogButtonBox::Cancel);
            }
        });
        QCOMPARE(program.GetText(ProgramKey::SourceDir), std::string("/home/ann/old"));
        QCOMPARE(program.GetInt(ProgramKey::ThumbnailSize), 120);
        QCOMPARE(program.GetText(ProgramKey::IndexPageTitle), std::string("Files from %P"));
        QCOMPARE(program.modified, 1.0);
    }

    void okStoresThePageShowing() {
        Program program;
        NewProgram(program);
        RunSheet(program, [](QWidget* sheet) {
            ShowSheetPage(sheet, kMisc);
            Find<QRadioButton>(sheet, "gifFolderRadio")->click();
            Find<QLineEdit>(sheet, "gifDirEdit")->setText(QStringLiteral("/home/ann/gifs"));
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(program.GetInt(ProgramKey::MiscGifThumbnailType), 2);
        QCOMPARE(program.GetText(ProgramKey::MiscGifThumbnailDir), std::string("/home/ann/gifs"));
    }

    void textThatIsNotUtf8PassesThrough() {
        Program program;
        NewProgram(program);
        const std::string latin1Title = "Bilder aus K\xf6ln";
        program.SetString(ProgramKey::IndexPageTitle, latin1Title);
        RunSheet(program, [](QWidget* sheet) {
            ShowSheetPage(sheet, kIndex);
            ShowSheetPage(sheet, kGeneration);
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(program.GetText(ProgramKey::IndexPageTitle), latin1Title);
    }

    void sheetReopensOnTheLastActivePage() {
        Program program;
        NewProgram(program);
        RunSheet(program, [](QWidget* sheet) {
            ShowSheetPage(sheet, kMisc);
            PressButton(sheet, QDialogButtonBox::Cancel);
        });
        QCOMPARE(GetRegistryInt(kApplicationKey, "ActivePage"), 3);
        RunSheet(program, [](QWidget* sheet) {
            QCOMPARE(Find<QTabWidget>(sheet, "pageTabs")->currentIndex(), int(kMisc));
        });
        QVERIFY(SetRegistryInt(kApplicationKey, "ActivePage", 9).ok());
        RunSheet(program, [](QWidget* sheet) {
            QCOMPARE(Find<QTabWidget>(sheet, "pageTabs")->currentIndex(), int(kGeneration));
        });
    }

    void thumbnailOptionsHandOver_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("stored");
        QTest::newRow("default chosen") << 250 << "defaultSizeRadio"
                                        << "" << true << 120;
        QTest::newRow("custom chosen") << 120 << "customSizeRadio"
                                       << "300" << true << 300;
        QTest::newRow("cancelled") << 250 << "defaultSizeRadio"
                                   << "" << false << 250;
    }
    void thumbnailOptionsHandOver() {
        QFETCH(int, size);
        QFETCH(QString, radio);
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(int, stored);
        Program program;
        NewProgram(program);
        program.SetInt(ProgramKey::ThumbnailSize, size);
        RunSheet(program, [&](QWidget* sheet) {
            ShowSheetPage(sheet, kIndex);
            InOptionDialog(sheet, "thumbnailOptionsButton", [&](QWidget* dialog) {
                Find<QRadioButton>(dialog, radio.toLatin1().constData())->click();
                if (!typed.isEmpty()) {
                    Find<QLineEdit>(dialog, "customSizeEdit")->setText(typed);
                }
                Find<QAbstractButton>(dialog, "smartCheckBox")->click();
                PressButton(dialog, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
            });
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        QCOMPARE(program.GetInt(ProgramKey::ThumbnailSize), stored);
        QCOMPARE(program.GetInt(ProgramKey::SmartThumbnailGeneration), ok ? 0 : 1);
    }

    void labelOptionsHandOverOnlyOnOk_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("ok");
        QTest::newRow("index, OK") << int(kIndex) << true;
        QTest::newRow("index, Cancel") << int(kIndex) << false;
        QTest::newRow("content, OK") << int(kContent) << true;
        QTest::newRow("content, Cancel") << int(kContent) << false;
    }
    void labelOptionsHandOverOnlyOnOk() {
        QFETCH(int, page);
        QFETCH(bool, ok);
        Program program;
        NewProgram(program);
        program.SetInt(ProgramKey::ContentShowLabels, 1);
        program.SetInt(ProgramKey::IndexThumbnailLabelType, 1);
        program.SetInt(ProgramKey::ContentLabelType, 1);
        RunSheet(program, [&](QWidget* sheet) {
            ShowSheetPage(sheet, Page(page));
            const char* button =
                page == kIndex ? "indexLabellingOptionsButton" : "contentLabellingOptionsButton";
            InOptionDialog(sheet, button, [&](QWidget* dialog) {
                QVERIFY(Find<QRadioButton>(dialog, "descriptionFileRadio")->isChecked());
                Find<QRadioButton>(dialog, "customLabelRadio")->click();
                Find<QLineEdit>(dialog, "customLabelEdit")->setText(QStringLiteral("%F"));
                PressButton(dialog, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
            });
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        const bool index = page == kIndex;
        const ProgramKey type =
            index ? ProgramKey::IndexThumbnailLabelType : ProgramKey::ContentLabelType;
        const ProgramKey custom =
            index ? ProgramKey::IndexThumbnailCustomLabel : ProgramKey::ContentCustomLabel;
        QCOMPARE(program.GetInt(type), ok ? 2 : 1);
        QCOMPARE(program.GetText(custom), std::string(ok ? "%F" : ""));
        // The other page's pair is not touched.
        QCOMPARE(program.GetInt(index ? ProgramKey::ContentLabelType
                                      : ProgramKey::IndexThumbnailLabelType),
                 1);
    }

    void linkOptionsHandOver() {
        Program program;
        NewProgram(program);
        program.SetInt(ProgramKey::ContentShowLinks, 1);
        program.SetString(ProgramKey::ContentLinkNextLabel, "Onward");
        RunSheet(program, [](QWidget* sheet) {
            ShowSheetPage(sheet, kContent);
            InOptionDialog(sheet, "linkOptionsButton", [](QWidget* dialog) {
                for (const char* name : {"prevCheckBox", "nextCheckBox", "indexCheckBox"}) {
                    QVERIFY(Find<QAbstractButton>(dialog, name)->isChecked());
                    Find<QAbstractButton>(dialog, name)->click();
                }
                Find<QAbstractButton>(dialog, "imageIsLinkCheckBox")->click();
                Find<QAbstractButton>(dialog, "imageLinkIndexRadio")->click();
                PressButton(dialog, QDialogButtonBox::Ok);
            });
            PressButton(sheet, QDialogButtonBox::Ok);
        });
        for (ProgramKey key : {ProgramKey::ContentShowLinkBegin, ProgramKey::ContentShowLinkEnd,
                               ProgramKey::ContentShowLinkIndex, ProgramKey::ContentShowLinkNext,
                               ProgramKey::ContentShowLinkPrev}) {
            QCOMPARE(program.GetInt(key), 0);
        }
        QCOMPARE(program.GetInt(ProgramKey::ContentImageIsLink), 1);
        QCOMPARE(program.GetInt(ProgramKey::ContentImageIsLinkStyle), 1);
        QCOMPARE(program.GetText(ProgramKey::ContentLinkNextLabel), std::string("Onward"));
    }
};

MAVREN_UI_TEST_MAIN(PropertySheetTest)
#include "property_sheet_test.moc"
