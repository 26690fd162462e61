// The dialog bases: remembered placement, "Don't ask this again", dragging, the title
// font; the embossed text; the file dialog's filters.

#include <QCheckBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "platform/registry.h"
#include "support/ui_test_support.h"
#include "ui/embossed_text.h"
#include "ui/vq_dialog.h"
#include "ui/vq_file_dialog.h"
#include "ui/vq_property_sheet.h"
#include "ui/window_placement.h"

Q_DECLARE_METATYPE(WindowPlacement)

namespace {

// A dialog as the tool's dialogs are built: a title line, a text, a button and, when
// asked for, the "Don't ask this again" check box.
class ProbeDialog : public CVQDialog {
  public:
    explicit ProbeDialog(bool withCheckBox = false) {
        setWindowTitle(QStringLiteral("Probe Dialog"));
        auto* layout = new QVBoxLayout(this);
        auto* title = new QLabel(QStringLiteral("Probe"), this);
        title->setObjectName(QStringLiteral("titleLabel"));
        layout->addWidget(title);
        layout->addWidget(new QLabel(QStringLiteral("Some words to drag the dialog by."), this));
        button = new QPushButton(QStringLiteral("Press"), this);
        layout->addWidget(button);
        if (withCheckBox) {
            auto* check = new QCheckBox(QStringLiteral("Don't ask this again"), this);
            check->setObjectName(QStringLiteral("dontAskAgainCheckBox"));
            layout->addWidget(check);
        }
        layout->addStretch();
    }
    QPushButton* button;
};

class ProbePage : public CVQPropertyPage {
  protected:
    QString HelpFileName() const override { return QStringLiteral("probe.htm"); }
};

QString ScreenFields() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return QStringLiteral("%1;%2")
        .arg(qRound(screen->geometry().width() * screen->devicePixelRatio()))
        .arg(qRound(screen->logicalDotsPerInchX()));
}

std::string StoredPlacement(const char* name) {
    return GetRegistryString(kWindowPositionsKey, name);
}

void StorePlacement(const char* name, const QString& text) {
    QVERIFY(CreateRegistryKeyPath(kWindowPositionsKey).ok());
    QVERIFY(SetRegistryString(kWindowPositionsKey, name, text.toStdString()).ok());
}

// Where a dialog opens when nothing is remembered.
QRect CentredGeometry() {
    ForgetSettings();
    QRect geometry;
    ProbeDialog dialog;
    ExecWith(dialog, [&](QWidget* window) { geometry = window->geometry(); });
    ForgetSettings();
    return geometry;
}

}  // namespace

class DialogBasesTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() { QuietPlatformNotes(); }
    void init() { ForgetSettings(); }

    void placementTextIsFormatted_data() {
        QTest::addColumn<WindowPlacement>("placement");
        QTest::addColumn<QString>("text");
        QTest::newRow("normal") << WindowPlacement{120, 80, 620, 480, 1, 0, 1024, 96}
                                << "120;80;620;480;1;0;1024;96";
        QTest::newRow("hexadecimal state and flags")
            << WindowPlacement{-8, -8, 1032, 776, 10, 31, 1024, 120}
            << "-8;-8;1032;776;a;1f;1024;120";
    }
    void placementTextIsFormatted() {
        QFETCH(WindowPlacement, placement);
        QFETCH(QString, text);
        QCOMPARE(FormatPlacementText(placement), text);
    }

    void placementTextIsParsed_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("showCommand");
        QTest::addColumn<int>("screenDpi");
        QTest::newRow("eight fields") << "120;80;620;480;1;0;1024;96" << true << 620 << 1 << 96;
        QTest::newRow("hexadecimal state") << "1;2;3;4;b;0;800;120" << true << 3 << 11 << 120;
        QTest::newRow("trailing text") << "1;2;3;4;1;0;800;96;x" << true << 3 << 1 << 96;
        QTest::newRow("seven fields") << "120;80;620;480;1;0;1024" << false << 0 << 0 << 0;
        QTest::newRow("empty") << "" << false << 0 << 0 << 0;
        QTest::newRow("words") << "left;top" << false << 0 << 0 << 0;
    }
    void placementTextIsParsed() {
        QFETCH(QString, text);
        QFETCH(bool, parsed);
        WindowPlacement placement;
        QCOMPARE(ParsePlacementText(text, placement), parsed);
        if (parsed) {
            QFETCH(int, right);
            QFETCH(int, showCommand);
            QFETCH(int, screenDpi);
            QCOMPARE(placement.right, right);
            QCOMPARE(static_cast<int>(placement.showCommand), showCommand);
            QCOMPARE(placement.screenDpi, screenDpi);
        }
    }

    void placementIsWrittenAndReapplied() {
        ProbeDialog first;
        ExecWith(first, [](QWidget* window) {
            window->setGeometry(120, 80, 500, 400);
            static_cast<QDialog*>(window)->accept();
        });
        QCOMPARE(QString::fromStdString(StoredPlacement("Probe Dialog")),
                 QStringLiteral("120;80;620;480;1;0;") + ScreenFields());

        ProbeDialog second;
        QRect reopened;
        ExecWith(second, [&](QWidget* window) { reopened = window->geometry(); });
        QCOMPARE(reopened, QRect(120, 80, 500, 400));
    }

    void placementNameWinsOverTitle() {
        ProbeDialog dialog;
        dialog.SetPlacementName(QStringLiteral("Probe Place"));
        ExecWith(dialog, [](QWidget* window) { window->setGeometry(100, 90, 400, 300); });
        QVERIFY(StoredPlacement("Probe Dialog").empty());
        QCOMPARE(QString::fromStdString(StoredPlacement("Probe Place")),
                 QStringLiteral("100;90;500;390;1;0;") + ScreenFields());
    }

    void unusablePlacementLeavesDialogCentred_data() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const int width = qRound(screen->geometry().width() * screen->devicePixelRatio());
        const int dpi = qRound(screen->logicalDotsPerInchX());
        QTest::addColumn<QString>("text");
        QTest::newRow("another screen width")
            << QStringLiteral("120;80;620;480;1;0;%1;%2").arg(width + 224).arg(dpi);
        QTest::newRow("another density")
            << QStringLiteral("120;80;620;480;1;0;%1;%2").arg(width).arg(dpi + 24);
        QTest::newRow("seven fields") << QStringLiteral("120;80;620;480;1;0;%1").arg(width);
        QTest::newRow("empty rectangle")
            << QStringLiteral("120;80;120;80;1;0;%1;%2").arg(width).arg(dpi);
        QTest::newRow("off every screen")
            << QStringLiteral("-90000;80;-89500;480;1;0;%1;%2").arg(width).arg(dpi);
    }
    void unusablePlacementLeavesDialogCentred() {
        QFETCH(QString, text);
        const QRect centred = CentredGeometry();
        StorePlacement("Probe Dialog", text);
        ProbeDialog dialog;
        QRect opened;
        ExecWith(dialog, [&](QWidget* window) { opened = window->geometry(); });
        QCOMPARE(opened, centred);
    }

    void maximizedPlacementReopensNormal() {
        StorePlacement("Probe Dialog", QStringLiteral("120;80;620;480;3;2;") + ScreenFields());
        ProbeDialog dialog;
        bool maximized = true;
        QRect opened;
        ExecWith(dialog, [&](QWidget* window) {
            maximized = window->isMaximized();
            opened = window->geometry();
        });
        QVERIFY(!maximized);
        QCOMPARE(opened, QRect(120, 80, 500, 400));
    }

    void dontShowAgainEndsWithAutomaticResult_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("shown");
        QTest::newRow("one") << "1" << false;
        QTest::newRow("leading number") << "2 times" << false;
        QTest::newRow("zero") << "0" << true;
        QTest::newRow("no number") << "yes" << true;
        QTest::newRow("missing") << "" << true;
    }
    void dontShowAgainEndsWithAutomaticResult() {
        QFETCH(QString, stored);
        QFETCH(bool, shown);
        if (!stored.isEmpty()) {
            QVERIFY(CreateRegistryKeyPath(kDontShowAgainKey).ok());
            QVERIFY(
                SetRegistryString(kDontShowAgainKey, "Probe Dialog", stored.toStdString()).ok());
        }
        ProbeDialog dialog(true);
        dialog.SetAutomaticResult(7);
        int result = 0;
        const bool opened =
            WithModal([&] { result = dialog.exec(); },
                      [](QWidget* window) { static_cast<QDialog*>(window)->done(3); });
        QCOMPARE(opened, shown);
        QCOMPARE(result, shown ? 3 : 7);
        // A dialog that was never seen leaves no placement behind.
        QCOMPARE(StoredPlacement("Probe Dialog").empty(), !shown);
    }

    void tickedCheckBoxSuppressesNextOpening() {
        ProbeDialog first(true);
        first.SetAutomaticResult(2);
        ExecWith(first, [](QWidget* window) {
            Find<QCheckBox>(window, "dontAskAgainCheckBox")->setChecked(true);
            static_cast<QDialog*>(window)->done(5);
        });
        QCOMPARE(GetRegistryString(kDontShowAgainKey, "Probe Dialog"), std::string("1"));

        ProbeDialog second(true);
        second.SetAutomaticResult(2);
        QCOMPARE(ExecWith(second, [](QWidget*) {}), -1000);
        QCOMPARE(second.result(), 2);
    }

    void uncheckedBoxWritesNothing() {
        ProbeDialog dialog(true);
        ExecWith(dialog, [](QWidget* window) { static_cast<QDialog*>(window)->accept(); });
        QVERIFY(GetRegistryString(kDontShowAgainKey, "Probe Dialog").empty());
    }

    void draggingEmptyAreaMovesDialog() {
        ProbeDialog dialog;
        ExecWith(dialog, [&](QWidget* window) {
            window->move(100, 100);
            const QPoint before = window->pos();
            // Below the stretch at the bottom no control takes the press.
            const QPoint local(window->width() / 2, window->height() - 3);
            QCOMPARE(window->childAt(local), nullptr);
            const QPoint global = window->mapToGlobal(local);
            QMouseEvent press(QEvent::MouseButtonPress, local, local, global, Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window, &press);
            QMouseEvent move(QEvent::MouseMove, local + QPoint(40, 25), local + QPoint(40, 25),
                             global + QPoint(40, 25), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window, &move);
            QMouseEvent release(QEvent::MouseButtonRelease, local + QPoint(40, 25),
                                local + QPoint(40, 25), global + QPoint(40, 25), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(window, &release);
            QCOMPARE(window->pos(), before + QPoint(40, 25));

            // A press on a control is the control's.
            QSignalSpy clicked(dialog.button, &QPushButton::clicked);
            const QPoint moved = window->pos();
            QTest::mouseClick(dialog.button, Qt::LeftButton);
            QCOMPARE(clicked.count(), 1);
            QCOMPARE(window->pos(), moved);
        });
    }

    void titleLabelGetsTitleFont() {
        ProbeDialog dialog;
        ExecWith(dialog, [&](QWidget*) {
            dialog.SetTitleText(QStringLiteral("Welcome to Mavren"));
            const QLabel* title = Find<QLabel>(&dialog, "titleLabel");
            QCOMPARE(title->font().family(), QStringLiteral("Arial"));
            QCOMPARE(title->font().pointSize(), 20);
        });
        QCOMPARE(dialog.GetTitleText(), QStringLiteral("Welcome to Mavren"));
    }

    void sheetPlacementIsRemembered() {
        {
            CVQPropertySheet sheet(QStringLiteral("Probe Sheet"), nullptr, 0);
            sheet.SetPlacementName(QStringLiteral("Probe Place"));
            sheet.AddPage(new ProbePage, QStringLiteral("Page"));
            ExecWith(sheet, [](QWidget* window) { window->setGeometry(60, 50, 450, 350); });
        }
        QCOMPARE(QString::fromStdString(StoredPlacement("Probe Place")),
                 QStringLiteral("60;50;510;400;1;0;") + ScreenFields());
        CVQPropertySheet sheet(QStringLiteral("Probe Sheet"), nullptr, 0);
        sheet.SetPlacementName(QStringLiteral("Probe Place"));
        sheet.AddPage(new ProbePage, QStringLiteral("Page"));
        QRect reopened;
        ExecWith(sheet, [&](QWidget* window) { reopened = window->geometry(); });
        QCOMPARE(reopened, QRect(60, 50, 450, 350));
    }

    void embossedTextOrigin_data() {
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QSize>("text");
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("centred") << QRect(0, 0, 100, 50) << QSize(40, 20) << QPoint(30, 15);
        QTest::newRow("odd room truncates")
            << QRect(10, 10, 101, 51) << QSize(40, 20) << QPoint(40, 25);
        QTest::newRow("too wide") << QRect(10, 10, 100, 50) << QSize(140, 20) << QPoint(10, 25);
        QTest::newRow("too large") << QRect(10, 10, 100, 50) << QSize(140, 90) << QPoint(10, 10);
    }
    void embossedTextOrigin() {
        QFETCH(QRect, box);
        QFETCH(QSize, text);
        QFETCH(QPoint, origin);
        QCOMPARE(EmbossedTextOrigin(box, text), origin);
    }

    void embossedTextStaysInItsBox() {
        QImage image(300, 120, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QRect box(100, 40, 60, 30);
        const QColor face(192, 0, 0);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(40);
        {
            QPainter painter(&image);
            DrawEmbossedText(painter, box, QStringLiteral("MMMMMM"), face, &font);
            // The painter is as it was.
            QCOMPARE(painter.hasClipping(), false);
        }
        int faceInside = 0;
        int markedOutside = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (box.contains(x, y)) {
                    faceInside += pixel == face ? 1 : 0;
                } else {
                    markedOutside += pixel != QColor(Qt::white) ? 1 : 0;
                }
            }
        }
        QVERIFY(faceInside > 20);
        QCOMPARE(markedOutside, 0);
    }

    void fileDialogFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("html") << "HTML Files (*.htm;*.html)|*.htm; *.html|All Files (*.*)|*.*||"
                              << QStringList{"HTML Files (*.htm *.html)", "All Files (*)"};
        QTest::newRow("images") << "Image Files (*.jpg;*.gif)|*.jpg; *.gif|All Files (*.*)|*.*||"
                                << QStringList{"Image Files (*.jpg *.gif)", "All Files (*)"};
        QTest::newRow("programs") << "Mavren Files (*.mav)|*.mav|All Files (*.*)|*.*||"
                                  << QStringList{"Mavren Files (*.mav)", "All Files (*)"};
        QTest::newRow("label without patterns") << "Lonely|" << QStringList{};
    }
    void fileDialogFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, names);
        QCOMPARE(FileDialogNameFilters(filter), names);
    }
};

MAVREN_UI_TEST_MAIN(DialogBasesTest)
#include "dialog_bases_test.moc"
