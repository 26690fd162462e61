// The folder picker: its title, where it starts, the preview line that follows the
// selection, and the folder it gives back.

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include "support/ui_test_support.h"
#include "ui/folder_browser.h"

namespace {

// A folder with a.jpg, b.jpg, c.jpg and notes.txt, and below it "two" with x.png and
// y.gif and "none" with only readme.txt.
class Folders {
  public:
    Folders() {
        for (const char* file : {"a.jpg", "b.jpg", "c.jpg", "notes.txt", "two/x.png", "two/y.gif",
                                 "none/readme.txt"}) {
            WriteTextFile(root.filePath(QString::fromLatin1(file)), "x");
        }
    }
    QString path(const char* relative = nullptr) const {
        return relative ? root.filePath(QString::fromLatin1(relative)) : root.path();
    }

  private:
    QTemporaryDir root;
};

QString Preview(QWidget* dialog) {
    return Find<QLabel>(dialog, "folderPreviewLabel")->text();
}

}  // namespace

class FolderBrowserTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { QuietPlatformNotes(); }

    void previewFollowsTheSelection() {
        Folders folders;
        FolderBrowser browser;
        browser.SetTitle("Locate the Source Directory");
        bool chosen = false;
        const bool opened = WithModal(
            [&] {
                chosen = browser.Browse(nullptr, folders.path().toStdString(), "*.jpg;*.png;*.gif");
            },
            [&](QWidget* window) {
                auto* dialog = qobject_cast<QFileDialog*>(window);
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Locate the Source Directory"));
                QCOMPARE(dialog->directory().absolutePath(), folders.path());
                QCOMPARE(Preview(dialog), QStringLiteral("a.jpg, b.jpg, c.jpg, ..."));
                // Selecting a folder in the list, as a click does.
                auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
                QVERIFY(view != nullptr);
                QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
                const QModelIndexList matches = view->model()->match(
                    view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole,
                    QStringLiteral("two"), 1, Qt::MatchExactly);
                QCOMPARE(matches.size(), 1);
                view->setCurrentIndex(matches.front());
                QCOMPARE(Preview(dialog), QStringLiteral("x.png, y.gif"));
                // Moving into a folder.
                dialog->setDirectory(folders.path("two"));
                QCOMPARE(Preview(dialog), QStringLiteral("x.png, y.gif"));
                dialog->setDirectory(folders.path("none"));
                QCOMPARE(Preview(dialog), QStringLiteral("No appropriate files in this directory"));
                ChooseInFileDialog(dialog, folders.path("two"));
            });
        QVERIFY(opened);
        QVERIFY(chosen);
        QCOMPARE(QString::fromStdString(browser.GetPath()), folders.path("two"));
    }

    void withoutPatternsNoFolderQualifies() {
        Folders folders;
        FolderBrowser browser;
        WithModal([&] { browser.Browse(nullptr, folders.path().toStdString(), ""); },
                  [&](QWidget* window) {
                      QCOMPARE(Preview(window),
                               QStringLiteral("No appropriate files in this directory"));
                  });
    }

    void patternsAreKeptForTheNextCall() {
        Folders folders;
        FolderBrowser browser;
        WithModal([&] { browser.Browse(nullptr, folders.path().toStdString(), "*.txt"); },
                  [](QWidget*) {});
        WithModal(
            [&] { browser.Browse(nullptr, folders.path("none").toStdString(), ""); },
            [&](QWidget* window) { QCOMPARE(Preview(window), QStringLiteral("readme.txt")); });
    }

    void cancelGivesNoFolder() {
        Folders folders;
        FolderBrowser browser;
        bool chosen = true;
        WithModal([&] { chosen = browser.Browse(nullptr, folders.path().toStdString(), "*.jpg"); },
                  [](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
        QVERIFY(!chosen);
        QVERIFY(browser.GetPath().empty());
    }
};

MAVREN_UI_TEST_MAIN(FolderBrowserTest)
#include "folder_browser_test.moc"
