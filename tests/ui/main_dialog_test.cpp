// The main window: its states after loading, Generate (refused, run to the end, stopped),
// Test with its question, Edit (the sheet, and with Ctrl the program as text), Enter,
// Escape, Help, New, Open, About, and closing during a run.

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWizard>

#include "document/program.h"
#include "generate/generation_run.h"
#include "platform/app_folders.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/worker_thread.h"
#include "support/program_fixture.h"
#include "support/ui_test_support.h"
#include "ui/gui_thread.h"
#include "ui/main_dialog.h"
#include "ui/prog_prop_sheet.h"
#include "ui/worker_events.h"

namespace {

QPushButton* Button(QWidget* window, const char* name) {
    return Find<QPushButton>(window, name);
}

// Runs the main window on the program at path and acts in it once it is up.
int RunMain(const std::string& path, const std::function<void(QWidget*)>& act) {
    CMavrenMainDialog window;
    window.SetCommandLinePath(path);
    return ExecWith(window, act);
}

QString StatusText(QWidget* window) {
    return Find<QLabel>(window, "statusLabel")->text();
}

// Generates in the open window and waits for the end of the run.
void GenerateToTheEnd(QWidget* window) {
    Button(window, "generateButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(Button(window, "generateButton")->text(), QStringLiteral("Generate"),
                              60000);
}

// A program for count pictures in folder/photos that generates into folder/site; empty
// when the files could not be made.
QString PhotoProgram(const QTemporaryDir& folder, int count) {
    if (!MakePictures(folder.filePath("photos"), count) ||
        !QDir().mkpath(folder.filePath("site"))) {
        return {};
    }
    const QString program = folder.filePath("trip.mav");
    SaveProgram(program, folder.filePath("photos"), folder.filePath("site"));
    return program;
}

constexpr const char* kGeneratedOn = "01/02/20 10:00:00";

}  // namespace

class MainDialogTest : public ProgramWindowTest {
    Q_OBJECT

  private Q_SLOTS:
    void statesAfterLoading_data() {
        QTest::addColumn<QString>("lastGenerated");
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<bool>("generated");
        QTest::newRow("never generated") << QString() << true << false;
        QTest::newRow("generated") << QString::fromLatin1(kGeneratedOn) << true << true;
        QTest::newRow("missing file") << QString() << false << false;
    }

    void statesAfterLoading() {
        QFETCH(QString, lastGenerated);
        QFETCH(bool, fileThere);
        QFETCH(bool, generated);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Cats.mav"));
        if (fileThere) {
            SaveProgram(path, folder.path(), folder.path(), lastGenerated.toStdString());
        }
        RunMain(path.toStdString(), [&](QWidget* window) {
            QCOMPARE(Button(window, "generateButton")->text(), QStringLiteral("Generate"));
            QCOMPARE(Button(window, "generateButton")->isEnabled(), fileThere);
            QCOMPARE(Button(window, "editButton")->isEnabled(), fileThere);
            QVERIFY(Button(window, "openButton")->isEnabled());
            QVERIFY(Button(window, "newButton")->isEnabled());
            QCOMPARE(Button(window, "testButton")->isEnabled(), generated);
            QCOMPARE(Button(window, "uploadButton")->isEnabled(), generated);
            QVERIFY(!Find<QLabel>(window, "statusLabel")->isVisible());
            QVERIFY(!Find<QProgressBar>(window, "progressBar")->isVisible());
            const QString name = Find<QLabel>(window, "programNameLabel")->text();
            QCOMPARE(name, fileThere ? path : QStringLiteral("No program loaded"));
            QCOMPARE(window->windowTitle(), fileThere ? path : QStringLiteral("Mavren"));
            QCOMPARE(Find<QPlainTextEdit>(window, "summaryEdit")
                         ->toPlainText()
                         .contains("Source folder: "),
                     fileThere);
        });
    }

    void neverGeneratedAfterGeneratedDisablesTest() {
        QTemporaryDir folder;
        const std::string generated =
            SaveProgram(folder.filePath("a.mav"), folder.path(), folder.path(), kGeneratedOn);
        const std::string never =
            SaveProgram(folder.filePath("b.mav"), folder.path(), folder.path());
        CMavrenMainDialog window;
        window.SetCommandLinePath(generated);
        ExecWith(window, [&](QWidget* shown) {
            QVERIFY(Button(shown, "testButton")->isEnabled());
            QVERIFY(window.LoadProgramFile(never));
            QVERIFY(!Button(shown, "testButton")->isEnabled());
            QVERIFY(!Button(shown, "uploadButton")->isEnabled());
            // A failed load keeps the title and summary of the program before it.
            QVERIFY(!window.LoadProgramFile(folder.filePath("gone.mav").toStdString()));
            QCOMPARE(shown->windowTitle(), QString::fromStdString(never));
            QVERIFY(!Button(shown, "generateButton")->isEnabled());
        });
    }

    void invalidProgramIsNotGenerated() {
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        const std::string path = SaveProgram(folder.filePath("bad.mav"), {}, folder.path());
        RunMain(path, [&](QWidget* window) {
            Button(window, "generateButton")->click();
            QCOMPARE(Button(window, "generateButton")->text(), QStringLiteral("Generate"));
            QVERIFY(Button(window, "editButton")->isEnabled());
        });
        QCOMPARE(boxes->Boxes().size(), size_t(1));
        QCOMPARE(boxes->Boxes()[0].text,
                 std::string("Cannot generate!\n\nThis is not a valid Mavren program because:\n\n"
                             "  No source directory specified\n"));
        QCOMPARE(boxes->Boxes()[0].flags, MB_OK | MB_ICONSTOP);
        QCOMPARE(ProgramFileValue(QString::fromStdString(path), "Last-Generated"),
                 std::string("Never"));
    }

    void runEndsLoadedAndSaved() {
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        const QString program = PhotoProgram(folder, 4);
        QVERIFY(!program.isEmpty());
        const QString record = UseRecordingBrowser();
        RunMain(program.toStdString(), [&](QWidget* window) {
            Button(window, "generateButton")->click();
            // Nothing that edits the program while the worker reads it.
            QCOMPARE(Button(window, "generateButton")->text(), QStringLiteral("Stop!"));
            for (const char* name :
                 {"editButton", "openButton", "newButton", "testButton", "uploadButton"}) {
                QVERIFY2(!Button(window, name)->isEnabled(), name);
            }
            QVERIFY(Find<QLabel>(window, "statusLabel")->isVisible());
            QTRY_COMPARE_WITH_TIMEOUT(Button(window, "generateButton")->text(),
                                      QStringLiteral("Generate"), 60000);
            QVERIFY(StatusText(window).startsWith(QStringLiteral("Finished.")));
            QVERIFY(!Find<QLabel>(window, "statusLabel")->isVisible());
            QVERIFY(Button(window, "testButton")->isEnabled());
            QVERIFY(Button(window, "uploadButton")->isEnabled());
            QVERIFY(Button(window, "editButton")->isEnabled());
            const QString summary = Find<QPlainTextEdit>(window, "summaryEdit")->toPlainText();
            QVERIFY2(summary.contains(QStringLiteral("Last generated: ")) &&
                         !summary.contains(QStringLiteral("Last generated: Never")),
                     qPrintable(summary));
            // The run's summary line, and a link that opens the site as Test does.
            auto* result = Find<QLabel>(window, "runResultLabel");
            QVERIFY(result->isVisible());
            QVERIFY2(result->text().startsWith(QStringLiteral("5 pages written, ")),
                     qPrintable(result->text()));
            Q_EMIT result->linkActivated(QStringLiteral("site"));
        });
        QVERIFY(boxes->Texts().empty());
        QVERIFY(QFileInfo::exists(folder.filePath("site/INDEX000.HTM")));
        const std::string stamp = ProgramFileValue(program, "Last-Generated");
        QVERIFY(!stamp.empty() && stamp != "Never");
        QTRY_COMPARE(ReadTextFile(record), LastStartPage());
        QCOMPARE(QString::fromStdString(LastStartPage()), folder.filePath("site/INDEX000.HTM"));
    }

    void runLineNeverCoversTheSettings() {
        QTemporaryDir folder;
        const QString program = PhotoProgram(folder, 2);
        QVERIFY(!program.isEmpty());
        RunMain(program.toStdString(), [&](QWidget* window) {
            // A large desktop font, in the narrowest window: the line needs more than the
            // two lines of room it keeps.
            auto* result = Find<QLabel>(window, "runResultLabel");
            QFont large = result->font();
            large.setPointSizeF(large.pointSizeF() * 2.5);
            result->setFont(large);
            window->resize(window->minimumSize());
            GenerateToTheEnd(window);
            QVERIFY(result->isVisible());
            const auto* list = Find<QPlainTextEdit>(window, "summaryEdit");
            QTRY_VERIFY2(!result->geometry().intersects(list->geometry()),
                         qPrintable(QStringLiteral("the list ends at %1, the line starts at %2")
                                        .arg(list->geometry().bottom())
                                        .arg(result->y())));
            QVERIFY(result->height() >= result->heightForWidth(result->width()));
        });
    }

    void failedPageEndsLoadedWithoutAStamp() {
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        QVERIFY(MakePictures(folder.filePath("photos"), 2));
        const QString program = folder.filePath("trip.mav");
        SaveProgram(program, folder.filePath("photos"), folder.filePath("site"), kGeneratedOn);
        // A boilerplate without its tag: the first index page cannot be merged.
        QFile plate(folder.filePath("plate.htm"));
        QVERIFY(plate.open(QIODevice::WriteOnly) && plate.write("<HTML>no tag</HTML>") > 0);
        plate.close();
        Program edited;
        QVERIFY(edited.Load(program.toStdString()).ok());
        edited.SetString(ProgramKey::IndexBoilerplate, folder.filePath("plate.htm").toStdString());
        QVERIFY(edited.Save(program.toStdString()).ok());
        RunMain(program.toStdString(), [&](QWidget* window) {
            GenerateToTheEnd(window);
            QVERIFY(!StatusText(window).startsWith(QStringLiteral("Finished.")));
            QVERIFY(!Find<QLabel>(window, "runResultLabel")->isVisible());
            QVERIFY(Button(window, "editButton")->isEnabled());
        });
        QCOMPARE(boxes->Texts().size(), std::size_t{1});
        QVERIFY(boxes->Texts()[0].rfind("Cannot use file for boilerplate", 0) == 0);
        QCOMPARE(ProgramFileValue(program, "Last-Generated"), std::string(kGeneratedOn));
    }

    void stopEndsTheRunNeverGenerated() {
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        const QString program = PhotoProgram(folder, 150);
        QVERIFY(!program.isEmpty());
        RunMain(program.toStdString(), [&](QWidget* window) {
            QPushButton* generate = Button(window, "generateButton");
            generate->click();
            generate->click();
            QCOMPARE(Find<QProgressBar>(window, "progressBar")->value(), 0);
            QTRY_COMPARE(generate->text(), QStringLiteral("Generate"));
            QVERIFY(StatusText(window).startsWith(QStringLiteral("Stopped by operator.")));
            QVERIFY(!Find<QLabel>(window, "runResultLabel")->isVisible());
            QVERIFY(!Button(window, "testButton")->isEnabled());
        });
        QCOMPARE(ProgramFileValue(program, "Last-Generated"), std::string("Never"));
    }

    void testOpensTheOpenProgramsOwnStartPage_data() {
        QTest::addColumn<bool>("edited");       // the program file is newer than its run
        QTest::addColumn<bool>("siteThere");    // its start page exists
        QTest::addColumn<bool>("contentOnly");  // no index pages
        QTest::addColumn<int>("answer");        // to the Warning question; 0: none asked
        QTest::addColumn<QString>("opened");    // the page opened, or empty
        QTest::newRow("generated in an earlier session")
            << false << true << false << 0 << "INDEX000.HTM";
        QTest::newRow("content pages only") << false << true << true << 0 << "GEN0000.HTM";
        QTest::newRow("edited since, Yes") << true << true << false << int(IDYES) << "INDEX000.HTM";
        QTest::newRow("edited since, No") << true << true << false << int(IDNO) << "";
        QTest::newRow("site gone") << false << false << false << 0 << "";
    }
    void testOpensTheOpenProgramsOwnStartPage() {
        QFETCH(bool, edited);
        QFETCH(bool, siteThere);
        QFETCH(bool, contentOnly);
        QFETCH(int, answer);
        QFETCH(QString, opened);
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        const QString generatedHere = PhotoProgram(folder, 2);
        QVERIFY(!generatedHere.isEmpty());
        // Generated into "earlier" before this session began.
        const QString earlier = folder.filePath("earlier");
        if (siteThere) {
            QVERIFY(WriteTextFile(earlier + (contentOnly ? "/GEN0000.HTM" : "/INDEX000.HTM"),
                                  "<HTML></HTML>"));
        }
        const std::string other =
            SaveProgram(folder.filePath("b.mav"), folder.filePath("photos"), earlier, kGeneratedOn);
        if (contentOnly) {
            Program program;
            QVERIFY(program.Load(other).ok());
            program.SetInt(ProgramKey::GenerateIndexPage, 0);
            QVERIFY(program.Save(other).ok());
        }
        if (!edited) {
            QFile file(QString::fromStdString(other));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime(QDate(2019, 6, 1), QTime(12, 0)),
                                     QFileDevice::FileModificationTime));
        }
        const QString record = UseRecordingBrowser();
        CMavrenMainDialog mainWindow;
        mainWindow.SetCommandLinePath(generatedHere.toStdString());
        ExecWith(mainWindow, [&](QWidget* window) {
            GenerateToTheEnd(window);
            QVERIFY(mainWindow.LoadProgramFile(other));
            if (answer != 0) {
                boxes->QueueAnswer(answer);
            }
            Button(window, "testButton")->click();
        });
        std::vector<std::string> texts;
        if (answer != 0) {
            texts.push_back(
                "Warning\n\nThe program has been edited since it was last generated.\n\n"
                "Do you want to test the previously generated output?");
        }
        if (!siteThere) {
            texts.push_back("Nothing to test!");
        }
        QCOMPARE(boxes->Texts(), texts);
        if (opened.isEmpty()) {
            // Nothing signals a browser that was not started: a wrongly started one gets
            // the time to record itself.
            QTest::qWait(300);
            QVERIFY(!QFileInfo::exists(record));
        } else {
            QTRY_COMPARE(QString::fromStdString(ReadTextFile(record)), earlier + "/" + opened);
        }
    }

    void theSheetSavesOnlyAfterOk_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("Cancel") << false;
        QTest::newRow("OK") << true;
    }
    void theSheetSavesOnlyAfterOk() {
        QFETCH(bool, ok);
        QTemporaryDir folder;
        const QString path = folder.filePath("hand.mav");
        const std::string handWritten = "Source-Dir = /home/ann/Pictures\n";
        QVERIFY(WriteTextFile(path, handWritten));
        RunMain(path.toStdString(), [&](QWidget* window) {
            const auto watcher = OnNextModal([&](QWidget* sheet) {
                Find<QLineEdit>(sheet, "sourceDirEdit")->setText(QStringLiteral("/home/ann/new"));
                PressButton(sheet, ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
            });
            Button(window, "editButton")->click();
            QVERIFY(watcher->Fired());
            QCOMPARE(Find<QPlainTextEdit>(window, "summaryEdit")
                         ->toPlainText()
                         .contains(QStringLiteral("/home/ann/new")),
                     ok);
        });
        if (ok) {
            QCOMPARE(ProgramFileValue(path, "Source-Dir"), std::string("/home/ann/new"));
            QCOMPARE(ProgramFileValue(path, "Thumbnail-Size"), std::string("120"));
        } else {
            QCOMPARE(ReadTextFile(path), handWritten);
        }
    }

    void aChangeOnDiskIsKeptAndAskedAboutBeforeItIsOverwritten_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(IDYES);
        QTest::newRow("No") << int(IDNO);
    }
    void aChangeOnDiskIsKeptAndAskedAboutBeforeItIsOverwritten() {
        QFETCH(int, answer);
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        const QString program = PhotoProgram(folder, 2);
        QVERIFY(!program.isEmpty());
        const auto editSourceFolder = [](QWidget* window) {
            const auto watcher = OnNextModal([&](QWidget* sheet) {
                Find<QLineEdit>(sheet, "sourceDirEdit")->setText(QStringLiteral("/home/ann/new"));
                PressButton(sheet, QDialogButtonBox::Ok);
            });
            Button(window, "editButton")->click();
            QVERIFY(watcher->Fired());
        };
        RunMain(program.toStdString(), [&](QWidget* window) {
            // As mavren-cli set would, while the window has the program open.
            Program elsewhere;
            QVERIFY(elsewhere.Load(program.toStdString()).ok());
            elsewhere.SetString(ProgramKey::IndexPageTitle, "CHANGED");
            QVERIFY(elsewhere.Save(program.toStdString()).ok());
            // The run's end writes Last-Generated alone, and asks nothing.
            GenerateToTheEnd(window);
            QVERIFY(boxes->Texts().empty());
            QCOMPARE(ProgramFileValue(program, "Index-Page-Title"), std::string("CHANGED"));
            QVERIFY(ProgramFileValue(program, "Last-Generated") != "Never");
            boxes->QueueAnswer(answer);
            editSourceFolder(window);
            if (answer == IDYES) {
                editSourceFolder(window);  // the file is the window's again: no question
            }
        });
        QCOMPARE(boxes->Texts(), std::vector<std::string>{
                                     "The program file \"" + program.toStdString() +
                                     "\" has been changed on disk since Mavren last read or "
                                     "saved it.\n\nDo you want to overwrite it with the settings "
                                     "shown here? The changes on disk will be lost."});
        QCOMPARE(boxes->Boxes()[0].flags, MB_YESNO | MB_ICONQUESTION);
        const bool yes = answer == IDYES;
        QCOMPARE(ProgramFileValue(program, "Source-Dir"),
                 yes ? std::string("/home/ann/new") : folder.filePath("photos").toStdString());
        QCOMPARE(ProgramFileValue(program, "Index-Page-Title"),
                 std::string(yes ? "Files from %P" : "CHANGED"));
        QVERIFY(ProgramFileValue(program, "Last-Generated") != "Never");
    }

    void editWithControlShowsTheProgramAsText() {
        QTemporaryDir folder;
        QTemporaryDir temporary;
        const QString path = folder.filePath("trip.mav");
        SaveProgram(path, folder.path(), folder.path());
        const std::string before = ReadTextFile(path);
        const QString record = UseRecordingBrowser();
        const QByteArray oldTemporary = qgetenv("TMPDIR");
        qputenv("TMPDIR", temporary.path().toLocal8Bit());
        RunMain(path.toStdString(), [&](QWidget* window) {
            QTest::mouseClick(Button(window, "editButton"), Qt::LeftButton, Qt::ControlModifier);
        });
        qputenv("TMPDIR", oldTemporary);
        const QString text = temporary.filePath("Mavren.txt");
        QCOMPARE(ProgramFileValue(text, "Source-Dir"), folder.path().toStdString());
        QTRY_COMPARE(QString::fromStdString(ReadTextFile(record)), text);
        QCOMPARE(ReadTextFile(path), before);
    }

    void enterPerformsEditWhenThereIsAProgram() {
        QTemporaryDir folder;
        const std::string path =
            SaveProgram(folder.filePath("a.mav"), folder.path(), folder.path());
        RunMain(path, [&](QWidget* window) {
            const auto watcher = OnNextModal([](QWidget* sheet) {
                QVERIFY(qobject_cast<CMavrenProgPropSheet*>(sheet) != nullptr);
                PressButton(sheet, QDialogButtonBox::Cancel);
            });
            QTest::keyClick(window, Qt::Key_Return);
            QVERIFY(watcher->Fired());
            QVERIFY(window->isVisible());
        });
        RunMain(folder.filePath("missing.mav").toStdString(), [&](QWidget* window) {
            const auto watcher = OnNextModal([](QWidget*) {});
            QTest::keyClick(window, Qt::Key_Return);
            // A sheet opened from the key, at once or queued, would have come and gone.
            QCoreApplication::processEvents();
            QVERIFY(!watcher->Fired());
            QVERIFY(window->isVisible());
        });
    }

    void escapeLeavesTheWindowOpen() {
        QTemporaryDir folder;
        const std::string path =
            SaveProgram(folder.filePath("a.mav"), folder.path(), folder.path());
        const int result = RunMain(path, [&](QWidget* window) {
            QSignalSpy finished(qobject_cast<QDialog*>(window), &QDialog::finished);
            QTest::keyClick(window, Qt::Key_Escape);
            QTest::keyClick(Find<QPlainTextEdit>(window, "summaryEdit"), Qt::Key_Escape);
            QCoreApplication::processEvents();
            QCOMPARE(finished.count(), 0);
            QVERIFY(window->isVisible());
            Button(window, "exitButton")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
    }

    void helpOpensTheFirstHelpPage() {
        const QString record = UseRecordingBrowser();
        QTemporaryDir folder;
        RunMain(folder.filePath("none.mav").toStdString(),
                [&](QWidget* window) { Button(window, "helpButton")->click(); });
        const QString page = QString::fromStdString(HelpFolder()) + QStringLiteral("GEN0000.htm");
        QTRY_COMPARE(QString::fromStdString(ReadTextFile(record)), page);
        QVERIFY(ReadTextFile(page).find("Welcome to Mavren") != std::string::npos);
    }

    void newMakesAProgramFromTheWizard_data() {
        QTest::addColumn<bool>("defaultThere");
        QTest::addColumn<QString>("theme");  // chosen on the last page; empty for none
        QTest::addColumn<QString>("type");   // the file type's radio button
        QTest::addColumn<bool>("webCopies");
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("albums");
        QTest::addColumn<QString>("title");
        // The photo keys' lines: empty when the file leaves a key out.
        QTest::addColumn<QStringList>("photoLines");
        const QString pictures =
            QStringLiteral("*.jpg;*.jpeg;*.png;*.gif;*.heic;*.heif;*.mp4;*.mov;*.m4v;*.webm;*.3gp");
        QTest::newRow("with Default.mav and a theme")
            << true << "gallery"
            << "imagesRadio" << true << 0 << false << "Cats"
            << QStringList{pictures, "1600", "Yes", "", "3", "", "Yes"};
        QTest::newRow("without Default.mav, no web copies, newest first")
            << false << ""
            << "imagesRadio" << false << 2 << false << "Cats"
            << QStringList{pictures, "", "Yes", "2", "3", "", "Yes"};
        QTest::newRow("albums") << true << ""
                                << "imagesRadio" << true << 0 << true << "%A"
                                << QStringList{pictures, "1600", "Yes", "", "3", "Yes", "Yes"};
        QTest::newRow("text, albums ticked before")
            << true << ""
            << "textRadio" << true << 1 << true << "Cats"
            << QStringList{"*.txt", "", "", "", "0", "", ""};
    }

    void newMakesAProgramFromTheWizard() {
        QFETCH(bool, defaultThere);
        QFETCH(QString, theme);
        QFETCH(QString, type);
        QFETCH(bool, webCopies);
        QFETCH(int, order);
        QFETCH(bool, albums);
        QFETCH(QString, title);
        QFETCH(QStringList, photoLines);
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        QTemporaryDir noResources;
        SetExecutableFolder(defaultThere ? MAVREN_BINARY_DIR : noResources.path().toStdString());
        const QString source = folder.filePath("Cats");
        QVERIFY(MakePictures(source, 1));
        // Beside the photo folder, which the wizard leaves as it is.
        const QString expected = folder.filePath("Cats.mav");
        RunMain(folder.filePath("none.mav").toStdString(), [&](QWidget* window) {
            const auto wizard = OnNextModal([&](QWidget* shown) {
                Find<QLineEdit>(shown, "sourceFolderEdit")->setText(source);
                Find<QCheckBox>(shown, "webCopiesCheckBox")->setChecked(webCopies);
                Find<QComboBox>(shown, "orderCombo")->setCurrentIndex(order);
                Find<QCheckBox>(shown, "albumsCheckBox")->setChecked(albums);
                Find<QRadioButton>(shown, type.toLatin1().constData())->click();
                auto* sheet = qobject_cast<QWizard*>(shown);
                sheet->next();
                sheet->next();
                auto* themes = Find<QComboBox>(shown, "themeCombo");
                // The light theme first when it is installed, beside the program.
                QCOMPARE(themes->currentData().toString(),
                         defaultThere ? QStringLiteral("light") : QString());
                themes->setCurrentIndex(themes->findData(theme));
                sheet->button(QWizard::FinishButton)->click();
            });
            Button(window, "newButton")->click();
            QVERIFY(wizard->Fired());
            QCOMPARE(window->windowTitle(), expected);
            QVERIFY(Button(window, "generateButton")->isEnabled());
        });
        UseBuildResources();
        QCOMPARE(ProgramFileValue(expected, "Source-Dir"), source.toStdString());
        QCOMPARE(ProgramFileValue(expected, "Target-Dir"),
                 folder.filePath("Cats site").toStdString());
        const std::pair<const char*, std::string> indexLines[] = {
            {"Index-Page-Title", title.toStdString()},
            {"Index-Thumbnail-Layout-Type", "1"},
            {"Index-Thumbnails-Across", "4"},
            {"Index-Thumbnails-Down", "5"}};
        for (const auto& [key, value] : indexLines) {
            QCOMPARE(ProgramFileValue(expected, key), value);
        }
        const char* photoKeys[] = {
            "Source-File-Extension",   "Photo-Web-Size",     "Photo-Camera-Captions", "Photo-Order",
            "Misc-GIF-Thumbnail-Type", "Include-Subfolders", "Photo-Videos"};
        for (int i = 0; i < photoLines.size(); ++i) {
            QCOMPARE(QString::fromStdString(ProgramFileValue(expected, photoKeys[i])),
                     photoLines[i]);
        }
        // The theme's files are copied beside the program, and the program uses the copies.
        const QString copies = folder.filePath("Cats-theme");
        QCOMPARE(ProgramFileValue(expected, "Index-Boilerplate"),
                 theme.isEmpty() ? std::string() : (copies + "/index.htm").toStdString());
        QCOMPARE(QFileInfo(copies + "/content.htm").isFile(), !theme.isEmpty());
        if (defaultThere) {
            QVERIFY(boxes->Texts().empty());
        } else {
            const std::string missing = noResources.filePath("Default.mav").toStdString();
            QCOMPARE(boxes->Texts(), std::vector<std::string>(
                                         {"Cannot find default Mavren program:\n\n  " + missing +
                                          "\n\nSome program defaults may be incorrect."
                                          "\n\nReinstalling Mavren will fix this problem."}));
            QCOMPARE(boxes->Boxes()[0].flags, MB_OK | MB_ICONEXCLAMATION);
        }
        QCOMPARE(GetRegistryString(kApplicationKey, "LastOpenProgram"), expected.toStdString());
    }

    void openLoadsAndRemembersTheFolder() {
        QTemporaryDir folder;
        const QString path = folder.filePath("pick/me.mav");
        QDir().mkpath(folder.filePath("pick"));
        SaveProgram(path, folder.path(), folder.path());
        RunMain(folder.filePath("none.mav").toStdString(), [&](QWidget* window) {
            const auto dialog =
                OnNextModal([&](QWidget* shown) { ChooseInFileDialog(shown, path); });
            Button(window, "openButton")->click();
            QVERIFY(dialog->Fired());
            QCOMPARE(window->windowTitle(), path);
        });
        QCOMPARE(GetRegistryString(kApplicationKey, "LastProgDir"),
                 folder.filePath("pick").toStdString());
        QCOMPARE(GetRegistryString(kApplicationKey, "LastOpenProgram"), path.toStdString());
    }

    void aboutOpensTheAboutBox() {
        QTemporaryDir folder;
        RunMain(folder.filePath("none.mav").toStdString(), [&](QWidget* window) {
            QString title;
            const auto about = OnNextModal([&](QWidget* shown) {
                title = shown->windowTitle();
                Find<QPushButton>(shown, "continueButton")->click();
            });
            Button(window, "aboutButton")->click();
            QCOMPARE(title, QStringLiteral("About Mavren"));
        });
    }

    void closingDuringARunWaitsForItsEndAndClosesOnce() {
        ScriptedBoxes boxes;
        QTemporaryDir folder;
        const QString program = PhotoProgram(folder, 150);
        QVERIFY(!program.isEmpty());
        {
            CMavrenMainDialog window;
            window.SetCommandLinePath(program.toStdString());
            QSignalSpy finished(&window, &QDialog::finished);
            ExecWith(window, [&](QWidget* shown) {
                Button(shown, "generateButton")->click();
                static_cast<QDialog*>(shown)->reject();
                // The run's end cannot have been heard yet: the window waits for it.
                QVERIFY(shown->isVisible());
                static_cast<QDialog*>(shown)->reject();
                QVERIFY(shown->isVisible());
            });
            QVERIFY(!window.isVisible());
            QCOMPARE(finished.count(), 1);
        }
        QTRY_COMPARE(RunningWorkerThreads(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(GetRegistryString(kApplicationKey, "LastOpenProgram"), program.toStdString());
        // The run was stopped before it recorded anything.
        QCOMPARE(ProgramFileValue(program, "Last-Generated"), std::string("Never"));
    }

    // The window is closed just as the run asks a question; the question is answered on
    // the GUI thread, which must not be waiting for the run meanwhile.
    void aQuestionOfTheRunIsAnsweredWhileTheCloseWaits() {
        QTemporaryDir folder;
        const QString program = PhotoProgram(folder, 0);
        QVERIFY(!program.isEmpty());
        QVERIFY(WriteTextFile(folder.filePath("photos/a.txt"), std::string("zero\0byte", 9)));
        Program texts;
        QVERIFY(texts.Load(program.toStdString()).ok());
        texts.SetString(ProgramKey::SourceFileExtension, "*.txt");
        QVERIFY(texts.Save(program.toStdString()).ok());
        struct ClosingBoxes : MessageBoxBackend {
            int Show(const std::string& /*text*/, unsigned /*flags*/) override {
                QMetaObject::invokeMethod(
                    window, [this] { window->reject(); }, Qt::BlockingQueuedConnection);
                return CallOnGuiThread(
                    [this] {
                        openWhenAsked = window->isVisible();
                        answered = true;
                        return IDNO;
                    },
                    IDCANCEL);
            }
            QDialog* window = nullptr;
            bool openWhenAsked = false;
            bool answered = false;
        };
        const auto boxes = std::make_shared<ClosingBoxes>();
        const auto previous = SetMessageBoxBackend(boxes);
        {
            CMavrenMainDialog window;
            window.SetCommandLinePath(program.toStdString());
            boxes->window = &window;
            ExecWith(window, [&](QWidget* shown) {
                Button(shown, "generateButton")->click();
                QTRY_VERIFY(boxes->answered);
            });
            QVERIFY(!window.isVisible());
        }
        SetMessageBoxBackend(previous);
        QVERIFY(boxes->openWhenAsked);
        QTRY_COMPARE(RunningWorkerThreads(), 0);
    }

    void longStatusTextsAreShownWhole_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("words") << QStringLiteral(
            "137 thumbnails in 23 seconds - 1 minute 12 seconds remaining, then the pages of "
            "the holiday photos");
        QTest::newRow("one long file name")
            << QStringLiteral("Copying \"%1.jpg\" ...").arg(QString(120, QLatin1Char('x')));
    }
    void longStatusTextsAreShownWhole() {
        QFETCH(QString, text);
        QTemporaryDir folder;
        const std::string path =
            SaveProgram(folder.filePath("a.mav"), folder.path(), folder.path());
        CMavrenMainDialog mainWindow;
        mainWindow.SetCommandLinePath(path);
        ExecWith(mainWindow, [&](QWidget* window) {
            mainWindow.SetUiState(UiState::Running);
            WorkerEvent status(WorkerMessage{WM_APP_STATUS_TEXT, 0, text.toStdString(), nullptr});
            QCoreApplication::sendEvent(window, &status);
            auto* label = Find<QLabel>(window, "statusLabel");
            const auto needed = [label] {
                return label->fontMetrics().boundingRect(
                    label->contentsRect(), Qt::TextWordWrap | label->alignment(), label->text());
            };
            QTRY_VERIFY2(label->contentsRect().contains(needed()),
                         qPrintable(QStringLiteral("%1 needs %2 x %3")
                                        .arg(label->text().trimmed())
                                        .arg(needed().width())
                                        .arg(needed().height())));
            // An empty bar says what it is.
            QCOMPARE(Find<QProgressBar>(window, "progressBar")->text(), QStringLiteral("0%"));
            mainWindow.SetUiState(UiState::Loaded);
        });
    }

    void statusTextsArePadded_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("shown");
        QTest::newRow("empty") << 0 << 100;
        QTest::newRow("ten") << 10 << 100;
        QTest::newRow("exactly 100") << 100 << 100;
        QTest::newRow("150 whole") << 150 << 150;
    }

    void statusTextsArePadded() {
        QFETCH(int, length);
        QFETCH(int, shown);
        const std::string text(static_cast<std::size_t>(length), 'x');
        const QString padded = PaddedStatusText(text);
        QCOMPARE(padded.size(), shown);
        QVERIFY(padded.startsWith(QString::fromStdString(text)));
        QCOMPARE(padded.mid(length).trimmed(), QString());
    }
};

MAVREN_UI_TEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
