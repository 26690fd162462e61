// The new-program wizard: the suggested program name, the picture choices, the three
// required-value questions, a missing target made with its parents, the test file at Finish,
// the titles, the pickers, the New Folder dialog and the window's size and place.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWizard>

#include "document/program_key.h"
#include "platform/app_folders.h"
#include "platform/registry.h"
#include "support/ui_test_support.h"
#include "ui/new_folder_dialog.h"
#include "ui/program_name_suggestion.h"
#include "ui/wizard_sheet.h"

namespace {

constexpr const char* kContinue = "\n\nDo you want to continue creating this program?";

void Touch(const QString& path) {
    QVERIFY(WriteTextFile(path, ""));
}

QWizard* AsWizard(QWidget* window) {
    return qobject_cast<QWizard*>(window);
}

void Next(QWidget* window) {
    AsWizard(window)->button(QWizard::NextButton)->click();
}

void Finish(QWidget* window) {
    AsWizard(window)->button(QWizard::FinishButton)->click();
}

int CurrentPage(QWidget* window) {
    return AsWizard(window)->currentId();
}

void Type(QWidget* window, const char* name, const QString& text) {
    Find<QLineEdit>(window, name)->setText(text);
}

// Fills page 0 and page 1 with folder and goes on to page 2.
void ToProgramPage(QWidget* window, const QString& folder) {
    Type(window, "sourceFolderEdit", folder);
    Next(window);
    Next(window);
    QCOMPARE(CurrentPage(window), 2);
}

// text with %1 replaced by folder, when it has one.
QString Fill(const QString& text, const QString& folder) {
    return text.contains(QLatin1String("%1")) ? text.arg(folder) : text;
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// A source folder below root, so that what goes beside it stays in root.
QString Photos(const QTemporaryDir& root) {
    const QString photos = root.filePath(QStringLiteral("photos"));
    QDir().mkpath(photos);
    return photos;
}

}  // namespace

class WizardTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { QuietPlatformNotes(); }
    void init() { ForgetSettings(); }

    void suggestedProgramName_data() {
        QTest::addColumn<QString>("folder");        // below a temporary folder
        QTest::addColumn<QStringList>("existing");  // files beside it
        QTest::addColumn<QString>("suggested");
        QStringList all = {"Cats.mav"};
        for (int i = 0; i <= 24; ++i) {
            all << QStringLiteral("Cats%1.mav").arg(i, 2, 10, QLatin1Char('0'));
        }
        QTest::newRow("free") << "Cats" << QStringList{} << "Cats.mav";
        QTest::newRow("trailing slash") << "Cats/" << QStringList{} << "Cats.mav";
        QTest::newRow("taken once") << "Cats" << QStringList{"Cats.mav"} << "Cats00.mav";
        QTest::newRow("taken twice")
            << "Cats" << QStringList{"Cats.mav", "Cats00.mav"} << "Cats01.mav";
        QTest::newRow("gap is used")
            << "Cats" << QStringList{"Cats.mav", "Cats01.mav"} << "Cats00.mav";
        QTest::newRow("last candidate") << "Cats" << all.mid(0, 25) << "Cats24.mav";
        QTest::newRow("all 26 taken") << "Cats" << all << "";
        QTest::newRow("name ends in .MAV") << "Site.MAV" << QStringList{} << "Site.MAV";
        QTest::newRow("other files ignored") << "Cats" << QStringList{"cats.txt"} << "Cats.mav";
    }
    void suggestedProgramName() {
        QFETCH(QString, folder);
        QFETCH(QStringList, existing);
        QFETCH(QString, suggested);
        QTemporaryDir root;
        const QString path = root.filePath(folder);
        QDir().mkpath(path);
        // The program goes beside the source folder, so that is where names are taken.
        for (const QString& name : existing) {
            Touch(root.filePath(name));
        }
        QCOMPARE(QString::fromStdString(SuggestProgramName(path.toStdString())), suggested);
    }

    void rootFolderSuggestsNoName() { QVERIFY(SuggestProgramName("/").empty()); }

    void wholeWayThrough() {
        ScriptedBoxes boxes;
        boxes->QueueAnswer(IDYES);  // create the missing target folder
        QTemporaryDir root;
        const QString source = root.filePath(QStringLiteral("Cats"));
        const QString target = root.filePath(QStringLiteral("site"));
        QDir().mkpath(source);
        CMavrenWizardSheet wizard;
        const int result = ExecWith(wizard, [&](QWidget* window) {
            QCOMPARE(window->windowTitle(), QStringLiteral("Mavren Wizard"));
            QVERIFY(Find<QRadioButton>(window, "imagesRadio")->isChecked());
            Type(window, "sourceFolderEdit", source);
            Find<QRadioButton>(window, "textRadio")->click();
            Next(window);

            QCOMPARE(CurrentPage(window), 1);
            QCOMPARE(window->windowTitle(), QStringLiteral("Mavren Wizard"));
            QCOMPARE(Find<QLineEdit>(window, "targetFolderEdit")->text(),
                     root.filePath(QStringLiteral("Cats site")));
            Type(window, "targetFolderEdit", target);
            Next(window);

            QCOMPARE(CurrentPage(window), 2);
            QCOMPARE(window->windowTitle(), QStringLiteral("Mavren Wizard: New Program"));
            QCOMPARE(Find<QLineEdit>(window, "programFolderEdit")->text(), root.path());
            auto* name = Find<QLineEdit>(window, "programNameEdit");
            QCOMPARE(name->text(), QStringLiteral("Cats.mav"));
            QVERIFY(name->isEnabled());
            QCOMPARE(window->focusWidget(), name);

            // Back on page 0 the title names the program; a new source folder does not
            // reach the pages already shown.
            AsWizard(window)->back();
            AsWizard(window)->back();
            QCOMPARE(window->windowTitle(), QStringLiteral("Mavren Wizard: Cats.mav"));
            Type(window, "sourceFolderEdit", root.path());
            Next(window);
            QCOMPARE(Find<QLineEdit>(window, "targetFolderEdit")->text(), target);
            Next(window);
            QCOMPARE(Find<QLineEdit>(window, "programFolderEdit")->text(), root.path());
            Finish(window);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(boxes->Texts().size(), size_t(1));
        QVERIFY(QFileInfo(target).isDir());
        const WizardAnswers& answers = wizard.Answers();
        QCOMPARE(QString::fromStdString(answers.sourceFolder), root.path());
        QCOMPARE(answers.fileType, 1);
        QCOMPARE(QString::fromStdString(answers.targetFolder), target);
        QCOMPARE(QString::fromStdString(answers.programFolder), root.path());
        QCOMPARE(answers.programName, std::string("Cats.mav"));
        // The test file is gone again.
        QVERIFY(FilesIn(root.path()).isEmpty());
    }

    // A folder whose pictures are all in subfolders turns albums on, with a note, and the
    // first Next stays so that it is seen; another folder takes them off again, and a
    // folder with pictures of its own, or albums already on, changes nothing.
    void folderOfFoldersTurnsAlbumsOn() {
        QTemporaryDir root;
        const QString trip = root.filePath(QStringLiteral("Trip"));
        QVERIFY(WriteTextFile(trip + QStringLiteral("/Day 1/a.jpg"), "x"));
        QVERIFY(WriteTextFile(trip + QStringLiteral("/Day 2/b.png"), "x"));
        QVERIFY(WriteTextFile(trip + QStringLiteral("/Day 2/Harbour/c.jpg"), "x"));
        QVERIFY(WriteTextFile(trip + QStringLiteral("/.hidden/d.jpg"), "x"));
        const QString own = root.filePath(QStringLiteral("Own"));
        QVERIFY(WriteTextFile(own + QStringLiteral("/top.jpg"), "x"));
        QVERIFY(WriteTextFile(own + QStringLiteral("/Day 1/a.jpg"), "x"));
        CMavrenWizardSheet wizard;
        ExecWith(wizard, [&](QWidget* window) {
            auto* albums = Find<QCheckBox>(window, "albumsCheckBox");
            auto* note = Find<QLabel>(window, "albumsNoteLabel");
            Type(window, "sourceFolderEdit", trip);
            Next(window);
            QCOMPARE(CurrentPage(window), 0);
            QVERIFY(albums->isChecked());
            QCOMPARE(note->text(), QStringLiteral("The folder holds no pictures of its own but its "
                                                  "2 subfolders hold 3: each becomes an album."));
            Type(window, "sourceFolderEdit", own);
            Next(window);
            QCOMPARE(CurrentPage(window), 1);
            QVERIFY(!albums->isChecked());
            QVERIFY(note->text().isEmpty());
            AsWizard(window)->back();
            Type(window, "sourceFolderEdit", trip);
            Next(window);
            QCOMPARE(CurrentPage(window), 0);
            Next(window);
            QCOMPARE(CurrentPage(window), 1);
        });
        QCOMPARE(wizard.Answers().albums, 1);
    }

    // Videos beside the pictures are counted, in plain words, and the first Next stays so
    // that the note is seen; a folder without videos says nothing.
    void videosFoundAreCounted_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("note");
        const QString plays =
            QStringLiteral(": each video gets a web copy that every browser plays.");
        QTest::newRow("beside pictures")
            << QStringList{"a.jpg", "b.heic", "clip.mp4"} << "Found 2 pictures and 1 video" + plays;
        QTest::newRow("one picture") << QStringList{"a.jpg", "b.MOV", "c.webm", "notes.txt"}
                                     << "Found 1 picture and 2 videos" + plays;
        QTest::newRow("videos alone") << QStringList{"a.3gp"} << "Found 1 video" + plays;
        QTest::newRow("in albums")
            << QStringList{"Day 1/a.jpg", "Day 2/b.m4v", "Day 2/Harbour/c.mp4"}
            << "The folder holds no pictures of its own but its 2 subfolders hold 3: each "
               "becomes an album.\nFound 1 picture and 2 videos" +
                   plays;
        QTest::newRow("no videos") << QStringList{"a.jpg", "b.avi"} << "";
    }
    void videosFoundAreCounted() {
        QFETCH(QStringList, files);
        QFETCH(QString, note);
        QTemporaryDir root;
        const QString photos = Photos(root);
        for (const QString& file : files) {
            Touch(photos + QStringLiteral("/") + file);
        }
        CMavrenWizardSheet wizard;
        ExecWith(wizard, [&](QWidget* window) {
            Type(window, "sourceFolderEdit", photos);
            Next(window);
            QCOMPARE(Find<QLabel>(window, "albumsNoteLabel")->text(), note);
            QCOMPARE(CurrentPage(window), note.isEmpty() ? 1 : 0);
            if (!note.isEmpty()) {
                Next(window);
                QCOMPARE(CurrentPage(window), 1);
            }
        });
    }

    // The site goes into a folder of its own beside the source folder, made at Next
    // without a question, and the program file beside the source folder: nothing is
    // written into the photo folder.
    void siteAndProgramGoBesideThePhotos() {
        ScriptedBoxes boxes;
        QTemporaryDir root;
        const QString trip = root.filePath(QStringLiteral("Trip"));
        QVERIFY(WriteTextFile(trip + QStringLiteral("/a.jpg"), "x"));
        QVERIFY(WriteTextFile(root.filePath(QStringLiteral("Trip site")), "a file"));
        const QStringList before = QDir(trip).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        CMavrenWizardSheet wizard;
        const int result = ExecWith(wizard, [&](QWidget* window) {
            Type(window, "sourceFolderEdit", trip);
            Next(window);
            QCOMPARE(Find<QLineEdit>(window, "targetFolderEdit")->text(),
                     root.filePath(QStringLiteral("Trip site 2")));
            Next(window);
            QCOMPARE(CurrentPage(window), 2);
            QCOMPARE(Find<QLineEdit>(window, "programFolderEdit")->text(), root.path());
            QCOMPARE(Find<QLineEdit>(window, "programNameEdit")->text(),
                     QStringLiteral("Trip.mav"));
            Finish(window);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(boxes->Texts().empty());
        QVERIFY(QFileInfo(root.filePath(QStringLiteral("Trip site 2"))).isDir());
        QCOMPARE(wizard.Answers().albums, 0);
        QCOMPARE(QDir(trip).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }

    void pictureChoicesAreForPictures_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<bool>("pictures");
        QTest::newRow("images") << "imagesRadio" << true;
        QTest::newRow("text") << "textRadio" << false;
        QTest::newRow("html") << "htmlRadio" << false;
    }
    void pictureChoicesAreForPictures() {
        QFETCH(QString, radio);
        QFETCH(bool, pictures);
        QTemporaryDir root;
        CMavrenWizardSheet wizard;
        ExecWith(wizard, [&](QWidget* window) {
            auto* webCopies = Find<QCheckBox>(window, "webCopiesCheckBox");
            auto* order = Find<QComboBox>(window, "orderCombo");
            auto* albums = Find<QCheckBox>(window, "albumsCheckBox");
            QVERIFY(webCopies->isChecked());
            QCOMPARE(order->currentIndex(), int(PhotoOrder::OldestFirst));  // by date taken
            QCOMPARE(order->count(), 3);
            QVERIFY(!albums->isChecked());
            auto* publish = Find<QCheckBox>(window, "publishOriginalsCheckBox");
            auto* warning = Find<QLabel>(window, "originalsPlaceLabel");
            QVERIFY(!publish->isChecked());  // originals stay home
            QVERIFY(warning->isHidden());
            Find<QRadioButton>(window, radio.toLatin1().constData())->click();
            QCOMPARE(webCopies->isEnabled(), pictures);
            QCOMPARE(order->isEnabled(), pictures);
            QCOMPARE(albums->isEnabled(), pictures);
            QCOMPARE(publish->isEnabled(), pictures);
            webCopies->setChecked(false);
            order->setCurrentIndex(int(PhotoOrder::NewestFirst));
            albums->setChecked(true);
            publish->setChecked(true);
            QCOMPARE(!warning->isHidden(), pictures);
            QCOMPARE(warning->text(), QStringLiteral("Originals are published as taken, with the "
                                                     "place where they were taken"));
            Type(window, "sourceFolderEdit", root.path());
            Next(window);
            QCOMPARE(CurrentPage(window), 1);
        });
        QCOMPARE(wizard.Answers().webCopies, 0);
        QCOMPARE(wizard.Answers().photoOrder, int(PhotoOrder::NewestFirst));
        QCOMPARE(wizard.Answers().albums, 1);
        QCOMPARE(wizard.Answers().publishOriginals, 1);
    }

    void requiredValueQuestions_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<int>("answer");
        QTest::newRow("source, Yes") << 0 << "A source folder is required." << IDYES;
        QTest::newRow("source, No") << 0 << "A source folder is required." << IDNO;
        QTest::newRow("target, Yes") << 1 << "A destination folder is required." << IDYES;
        QTest::newRow("target, No") << 1 << "A destination folder is required." << IDNO;
        QTest::newRow("name, Yes") << 2 << "A directory and program name are required." << IDYES;
        QTest::newRow("name, No") << 2 << "A directory and program name are required." << IDNO;
    }
    void requiredValueQuestions() {
        QFETCH(int, page);
        QFETCH(QString, missing);
        QFETCH(int, answer);
        ScriptedBoxes boxes;
        QTemporaryDir root;
        CMavrenWizardSheet wizard;
        bool stayed = false;
        const int result = ExecWith(wizard, [&](QWidget* window) {
            if (page > 0) {
                Type(window, "sourceFolderEdit", Photos(root));
                Next(window);
            }
            if (page == 1) {
                Type(window, "targetFolderEdit", QString());
            }
            if (page == 2) {
                Next(window);
                Type(window, "programNameEdit", QString());
            }
            QCOMPARE(CurrentPage(window), page);
            boxes->QueueAnswer(answer);
            page == 2 ? Finish(window) : Next(window);
            stayed = window->isVisible() && CurrentPage(window) == page;
            if (stayed && page == 2) {
                QCOMPARE(window->focusWidget(), Find<QWidget>(window, "programNameEdit"));
            }
        });
        QCOMPARE(boxes->Texts(), std::vector<std::string>{missing.toStdString() + kContinue});
        QCOMPARE(boxes->Boxes().front().flags, MB_YESNO | MB_ICONQUESTION);
        QCOMPARE(stayed, answer == IDYES);
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(FilesIn(root.path()).isEmpty());
    }

    void missingTargetIsMadeWithItsParents_data() {
        QTest::addColumn<QString>("target");  // below the temporary folder, beside "file"
        QTest::addColumn<int>("answer");      // to the question to make it; 0: none asked
        QTest::addColumn<bool>("made");
        QTest::newRow("parents missing, Yes") << "no/such/folder" << int(IDYES) << true;
        QTest::newRow("parents missing, No") << "no/such/folder" << int(IDNO) << false;
        QTest::newRow("below a file") << "file/folder" << 0 << false;
    }
    void missingTargetIsMadeWithItsParents() {
        QFETCH(QString, target);
        QFETCH(int, answer);
        QFETCH(bool, made);
        ScriptedBoxes boxes;
        QTemporaryDir root;
        Touch(root.filePath(QStringLiteral("file")));
        const QString path = root.filePath(target);
        CMavrenWizardSheet wizard;
        ExecWith(wizard, [&](QWidget* window) {
            Type(window, "sourceFolderEdit", root.path());
            Next(window);
            Type(window, "targetFolderEdit", path);
            if (answer != 0) {
                boxes->QueueAnswer(answer);
            }
            if (!made) {
                boxes->QueueAnswer(IDYES);  // stay on the page
            }
            Next(window);
            QCOMPARE(CurrentPage(window), made ? 2 : 1);
        });
        std::vector<std::string> texts;
        if (answer != 0) {
            texts.push_back("The directory \"" + path.toStdString() +
                            "\" does not exist.\n\nDo you want to create it?");
        }
        if (!made) {
            texts.push_back(std::string("A destination folder is required.") + kContinue);
        }
        QCOMPARE(boxes->Texts(), texts);
        QCOMPARE(QFileInfo(path).isDir(), made);
    }

    void finishChecksTheProgramName_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("extension added") << "Site" << true << "Site.mav"
                                         << "";
        QTest::newRow("extension kept") << "Site.MAV" << true << "Site.MAV"
                                        << "";
        QTest::newRow("file exists") << "Taken" << false << "Taken.mav"
                                     << "A file called \"Taken.mav\" already exists.\n\n"
                                        "Please choose a different name.";
        QTest::newRow("cannot be created") << "nowhere/x" << false << "nowhere/x.mav"
                                           << "Cannot create a file called 'nowhere/x.mav' in\n"
                                              "directory '%1'.\n\n"
                                              "Please choose a different name or directory.";
    }
    void finishChecksTheProgramName() {
        QFETCH(QString, typed);
        QFETCH(bool, finished);
        QFETCH(QString, name);
        QFETCH(QString, message);
        ScriptedBoxes boxes;
        QTemporaryDir root;
        Touch(root.filePath(QStringLiteral("Taken.mav")));
        CMavrenWizardSheet wizard;
        const int result = ExecWith(wizard, [&](QWidget* window) {
            ToProgramPage(window, Photos(root));
            Type(window, "programNameEdit", typed);
            Finish(window);
            if (!finished) {
                QCOMPARE(CurrentPage(window), 2);
                QCOMPARE(Find<QLineEdit>(window, "programNameEdit")->text(), name);
            }
        });
        QCOMPARE(result, int(finished ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(QString::fromStdString(wizard.Answers().programName), name);
        if (finished) {
            QVERIFY(boxes->Texts().empty());
        } else {
            QCOMPARE(boxes->Texts(),
                     std::vector<std::string>{Fill(message, root.path()).toStdString()});
            QCOMPARE(boxes->Boxes().front().flags, MB_OK | MB_ICONSTOP);
        }
        // Nothing left behind but the file that was there.
        QCOMPARE(FilesIn(root.path()), QStringList{"Taken.mav"});
    }

    void nameBoxFollowsTheFolderBox() {
        QTemporaryDir root;
        const QString chosen = root.filePath(QStringLiteral("programs"));
        QDir().mkpath(chosen);
        // The picker previews the programs a folder holds, not its pictures.
        QVERIFY(WriteTextFile(chosen + QStringLiteral("/old.mav"), "#"));
        QVERIFY(WriteTextFile(chosen + QStringLiteral("/photo.jpg"), "x"));
        CMavrenWizardSheet wizard;
        ExecWith(wizard, [&](QWidget* window) {
            ToProgramPage(window, Photos(root));
            auto* name = Find<QLineEdit>(window, "programNameEdit");
            Type(window, "programFolderEdit", QString());
            QVERIFY(!name->isEnabled());
            const auto watcher = OnNextModal([&](QWidget* picker) {
                QCOMPARE(picker->windowTitle(), QStringLiteral("Locate the Program Directory"));
                qobject_cast<QFileDialog*>(picker)->setDirectory(chosen);
                QCOMPARE(Find<QLabel>(picker, "folderPreviewLabel")->text(),
                         QStringLiteral("old.mav"));
                ChooseInFileDialog(picker, chosen);
            });
            Find<QAbstractButton>(window, "programFolderBrowseButton")->click();
            QVERIFY(watcher->Fired());
            QCOMPARE(Find<QLineEdit>(window, "programFolderEdit")->text(), chosen);
            QVERIFY(name->isEnabled());
        });
        QCOMPARE(QString::fromStdString(GetRegistryString(kApplicationKey, "LastProgDir")), chosen);
    }

    void sourcePickerStartsAtTheTypedFolder_data() {
        QTest::addColumn<bool>("typed");
        QTest::newRow("typed folder") << true;
        QTest::newRow("remembered folder") << false;
    }
    void sourcePickerStartsAtTheTypedFolder() {
        QFETCH(bool, typed);
        QTemporaryDir root;
        const QString typedFolder = root.filePath(QStringLiteral("typed"));
        const QString remembered = root.filePath(QStringLiteral("remembered"));
        QDir().mkpath(typedFolder);
        QDir().mkpath(remembered);
        QVERIFY(SetRegistryString(kApplicationKey, "LastSourceDir", remembered.toStdString()).ok());
        CMavrenWizardSheet wizard;
        ExecWith(wizard, [&](QWidget* window) {
            if (typed) {
                Type(window, "sourceFolderEdit", typedFolder);
            }
            QString startedAt;
            const auto watcher = OnNextModal([&](QWidget* picker) {
                startedAt = qobject_cast<QFileDialog*>(picker)->directory().absolutePath();
            });
            Find<QAbstractButton>(window, "sourceFolderBrowseButton")->click();
            QCOMPARE(startedAt, typed ? typedFolder : remembered);
        });
    }

    void newFolderBecomesTheTarget() {
        QTemporaryDir root;
        CMavrenWizardSheet wizard;
        ExecWith(wizard, [&](QWidget* window) {
            Type(window, "sourceFolderEdit", Photos(root));
            Next(window);
            // The site folder offered does not exist yet: new folders go beside it.
            const auto watcher = OnNextModal([&](QWidget* dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("New Folder"));
                QCOMPARE(Find<QLabel>(dialog, "currentFolderLabel")->text(), root.path());
                Type(dialog, "newFolderEdit", QStringLiteral("Web"));
                PressButton(dialog, QDialogButtonBox::Ok);
            });
            Find<QPushButton>(window, "newFolderButton")->click();
            QVERIFY(watcher->Fired());
            QCOMPARE(Find<QLineEdit>(window, "targetFolderEdit")->text(),
                     root.filePath(QStringLiteral("Web")));
        });
        QVERIFY(QFileInfo(root.filePath(QStringLiteral("Web"))).isDir());
    }

    void newFolderDialogCreatesOneFolder_data() {
        QTest::addColumn<QString>("typed");  // %1 is the temporary folder
        QTest::addColumn<QString>("created");
        QTest::addColumn<QString>("message");
        QTest::newRow("name in current folder") << "New"
                                                << "%1/current/New"
                                                << "";
        QTest::newRow("absolute path") << "%1/elsewhere"
                                       << "%1/elsewhere"
                                       << "";
        QTest::newRow("empty name") << ""
                                    << ""
                                    << "Folders must have name.";
        QTest::newRow("exists") << "Old"
                                << ""
                                << "Cannot create directory '%1/current/Old'\n\nFile exists";
        QTest::newRow("two levels") << "a/b"
                                    << ""
                                    << "Cannot create directory '%1/current/a/b'\n\n"
                                       "No such file or directory";
    }
    void newFolderDialogCreatesOneFolder() {
        QFETCH(QString, typed);
        QFETCH(QString, created);
        QFETCH(QString, message);
        ScriptedBoxes boxes;
        QTemporaryDir root;
        QDir().mkpath(root.filePath(QStringLiteral("current/Old")));
        CMavrenNewFolderDialog dialog({root.filePath(QStringLiteral("current")).toStdString(), {}});
        const int result = ExecWith(dialog, [&](QWidget* window) {
            Type(window, "newFolderEdit", Fill(typed, root.path()));
            PressButton(window, QDialogButtonBox::Ok);
            if (!message.isEmpty()) {
                QVERIFY(window->isVisible());
                QCOMPARE(window->focusWidget(), Find<QWidget>(window, "newFolderEdit"));
            }
        });
        if (message.isEmpty()) {
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(QString::fromStdString(dialog.Settings().newFolder), created.arg(root.path()));
            QVERIFY(QFileInfo(created.arg(root.path())).isDir());
            QVERIFY(boxes->Texts().empty());
        } else {
            QCOMPARE(result, int(QDialog::Rejected));
            QCOMPARE(QString::fromStdString(boxes->Texts().front()), Fill(message, root.path()));
            QCOMPARE(boxes->Boxes().front().flags, MB_OK | MB_ICONSTOP);
        }
    }

    void newFolderDialogStartsAtHome() {
        CMavrenNewFolderDialog dialog({});
        ExecWith(dialog, [](QWidget* window) {
            QCOMPARE(Find<QLabel>(window, "currentFolderLabel")->text(), TestHome());
        });
        QVERIFY(!GetRegistryString(kWindowPositionsKey, "NewFolder").empty());
    }

    void everyPageKeepsTheWindowsSizeAndPlace() {
        QTemporaryDir root;
        CMavrenWizardSheet wizard;
        ExecWith(wizard, [&](QWidget* window) {
            QApplication::processEvents();  // the first page laid out
            const QRect first = window->geometry();
            Type(window, "sourceFolderEdit", Photos(root));
            for (const int page : {1, 2}) {
                Next(window);
                QCOMPARE(CurrentPage(window), page);
                QApplication::processEvents();
                QCOMPARE(window->geometry(), first);
            }
        });
    }

    void wizardRemembersItsPlaceAndOpensHelp() {
        const QString record = TestHome() + QStringLiteral("/wizard-help");
        QVERIFY(SetRegistryString(kApplicationKey, "URLHandler",
                                  MakeRecordingBrowser(TestHome(), record).toStdString())
                    .ok());
        SetExecutableFolder(TestHome().toStdString() + "/app");
        CMavrenWizardSheet wizard;
        ExecWith(wizard, [](QWidget* window) {
            window->setGeometry(50, 40, 520, 380);
            AsWizard(window)->button(QWizard::HelpButton)->click();
        });
        QVERIFY(QString::fromStdString(GetRegistryString(kWindowPositionsKey, "New Program Wizard"))
                    .startsWith(QStringLiteral("50;40;570;420;1;0;")));
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(ReadTextFile(record)),
                                  TestHome() + QStringLiteral("/app/Help/GEN0000.htm"), 10000);
    }
};

MAVREN_UI_TEST_MAIN(WizardTest)
#include "wizard_test.moc"
