// The FTP Profile dialog (required fields, focus, Cancel, the protocols in their order, the
// fields of an S3 profile, a test of the login against a local FTP server) and the "FTP
// Upload Status" dialog: the profile list and its buttons, an upload to a local FTP server
// to "Done.", "Stop!" during an upload, and the profiles saved when it closes.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "platform/registry.h"
#include "platform/registry_store.h"
#include "platform/worker_thread.h"
#include "support/ftp_test_server.h"
#include "support/program_fixture.h"
#include "support/ui_test_support.h"
#include "ui/ftp_profile_dialog.h"
#include "ui/upload_status_dialog.h"
#include "ui/worker_events.h"
#include "upload/ftp_profiles.h"
#include "upload/internet_session.h"
#include "upload/password_scramble.h"

namespace {

QString Line(QWidget* window, const char* name) {
    return Find<QLineEdit>(window, name)->text();
}

QString Shown(QWidget* window, const char* name) {
    return Find<QLabel>(window, name)->text();
}

QComboBox* Profiles(QWidget* window) {
    return Find<QComboBox>(window, "profileCombo");
}

QStringList Entries(QWidget* window) {
    QStringList names;
    for (int i = 0; i < Profiles(window)->count(); ++i) {
        names << Profiles(window)->itemText(i);
    }
    return names;
}

void StoreProfiles(const std::vector<FtpProfile>& profiles, int selected = -1) {
    FtpProfileList list;
    for (const FtpProfile& profile : profiles) {
        list.Add(profile);
    }
    QVERIFY(SaveFtpProfiles(list, selected).ok());
}

void FillProfile(QWidget* dialog, const FtpProfile& profile) {
    Find<QLineEdit>(dialog, "profileNameEdit")->setText(QString::fromStdString(profile.name));
    Find<QLineEdit>(dialog, "hostEdit")->setText(QString::fromStdString(profile.host));
    Find<QLineEdit>(dialog, "usernameEdit")->setText(QString::fromStdString(profile.username));
    Find<QLineEdit>(dialog, "passwordEdit")->setText(QString::fromStdString(profile.password));
    Find<QLineEdit>(dialog, "directoryEdit")->setText(QString::fromStdString(profile.directory));
}

// Runs the upload dialog on folder and acts in it.
int RunUploadDialog(const QString& folder, const std::function<void(QWidget*)>& act) {
    CMavrenUploadStatusDialog dialog;
    dialog.SetLocalFolder(folder.toStdString());
    return ExecWith(dialog, act);
}

// Clicks button and runs act in the modal window it opens; false when none opened.
bool InModal(QWidget* window, const char* button, const std::function<void(QWidget*)>& act) {
    const auto watcher = OnNextModal(act);
    Find<QPushButton>(window, button)->click();
    return watcher->Fired();
}

const FtpProfile kAlpha{"alpha", "ftp.alpha.example", "ann", "pa55", "www"};
const FtpProfile kBeta{"beta", "ftp.beta.example", "bob", "", ""};
const FtpProfile kGamma{"Gamma", "ftp.gamma.example", "cy", "x", "site"};

}  // namespace

class UploadDialogTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void initTestCase() {
        QuietPlatformNotes();
        QVERIFY(CreateSession());
    }
    void cleanupTestCase() { DeleteSession(); }
    void init() { ForgetSettings(); }

    void profileDialogListsMissingFields_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("focus");
        const QString nameLine = "  Profile Name (a name for this profile)\n\n";
        const QString hostLine = "  Host (an FTP server name like 'ftp.example.com')\n\n";
        const QString userLine = "  Username (a login name on the FTP server)\n\n";
        QTest::newRow("all three") << ""
                                   << ""
                                   << "" << nameLine + hostLine + userLine << "profileNameEdit";
        QTest::newRow("only the user name") << "site"
                                            << "ftp.a"
                                            << "" << userLine << "usernameEdit";
        QTest::newRow("host and user") << "site"
                                       << ""
                                       << "" << hostLine + userLine << "hostEdit";
        QTest::newRow("blanks count as filled") << " "
                                                << " "
                                                << "" << userLine << "usernameEdit";
    }

    void profileDialogListsMissingFields() {
        QFETCH(QString, name);
        QFETCH(QString, host);
        QFETCH(QString, user);
        QFETCH(QString, lines);
        QFETCH(QString, focus);
        ScriptedBoxes boxes;
        CMavrenFtpProfileDialog dialog(FtpProfile{});
        const int result = ExecWith(dialog, [&](QWidget* window) {
            FillProfile(window,
                        {name.toStdString(), host.toStdString(), user.toStdString(), "secret", ""});
            Find<QPushButton>(window, "saveButton")->click();
            QVERIFY(window->isVisible());
            QCOMPARE(window->focusWidget()->objectName(), focus);
            // Filled in, the profile is taken.
            FillProfile(window, {"site", "ftp.a", "ann", "secret", "www"});
            Find<QPushButton>(window, "saveButton")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(boxes->Boxes().size(), size_t(1));
        QCOMPARE(QString::fromStdString(boxes->Boxes()[0].text),
                 "Some required values are missing:\n\n" + lines +
                     "Fill in the missing fields or press \"Cancel\".");
        QCOMPARE(boxes->Boxes()[0].flags, MB_OK | MB_ICONSTOP);
        QCOMPARE(dialog.Profile().directory, std::string("www"));
        QCOMPARE(dialog.Profile().password, std::string("secret"));
    }

    void profileDialogChoosesTheProtocol() {
        CMavrenFtpProfileDialog dialog(kAlpha);
        const int result = ExecWith(dialog, [](QWidget* window) {
            auto* protocol = Find<QComboBox>(window, "protocolCombo");
            QCOMPARE(protocol->currentText(), QStringLiteral("FTP"));
            QCOMPARE(protocol->count(), 5);
            protocol->setCurrentIndex(protocol->findText(QStringLiteral("SFTP (SSH)")));
            Find<QPushButton>(window, "saveButton")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(dialog.Profile().protocol, FtpProtocol::Sftp);
        // Stored with the profile, and read back as it was.
        FtpProfileList list;
        list.Add(dialog.Profile());
        QVERIFY(SaveFtpProfiles(list, 0).ok());
        std::string last;
        QCOMPARE(LoadFtpProfiles(list, last), 1);
        QCOMPARE(list.profiles[0].protocol, FtpProtocol::Sftp);
    }

    void profileDialogOffersTheSaferProtocolsFirst() {
        struct Case {
            bool isNew;
            QString shown;
            bool warned;  // that plain FTP sends the password in clear
        };
        for (const Case& c : {Case{true, "SFTP (SSH)", false}, Case{false, "FTP", true}}) {
            auto dialog = c.isNew ? std::make_unique<CMavrenFtpProfileDialog>()
                                  : std::make_unique<CMavrenFtpProfileDialog>(kAlpha);
            ExecWith(*dialog, [&](QWidget* window) {
                auto* protocol = Find<QComboBox>(window, "protocolCombo");
                QStringList order;
                for (int i = 0; i < protocol->count(); ++i) {
                    order << protocol->itemText(i);
                }
                QCOMPARE(order,
                         (QStringList{"SFTP (SSH)", "FTP with TLS (FTPS)", "S3-compatible storage",
                                      "S3-compatible storage over HTTP", "FTP"}));
                QCOMPARE(protocol->currentText(), c.shown);
                auto* warning = Find<QLabel>(window, "plainFtpWarning");
                QCOMPARE(warning->isVisible(), c.warned);
                protocol->setCurrentIndex(c.warned ? 0 : 4);
                QCOMPARE(warning->isVisible(), !c.warned);
                Find<QPushButton>(window, "cancelButton")->click();
            });
        }
    }

    void profileDialogNamesTheS3FieldsAndChecksTheBucket() {
        ScriptedBoxes boxes;
        CMavrenFtpProfileDialog dialog;
        const int result = ExecWith(dialog, [](QWidget* window) {
            const auto captions = [window] {
                QStringList texts;
                for (const char* name :
                     {"hostLabel", "usernameLabel", "passwordLabel", "directoryLabel"}) {
                    texts << Shown(window, name);
                }
                return texts;
            };
            const QStringList ftp = captions();
            auto* protocol = Find<QComboBox>(window, "protocolCombo");
            auto* region = Find<QLineEdit>(window, "regionEdit");
            struct Case {
                const char* protocol;
                bool s3;
                bool httpWarned;
            };
            for (const Case c :
                 {Case{"S3-compatible storage over HTTP", true, true},
                  Case{"SFTP (SSH)", false, false}, Case{"S3-compatible storage", true, false}}) {
                protocol->setCurrentIndex(protocol->findText(QString::fromUtf8(c.protocol)));
                QCOMPARE(region->isVisible(), c.s3);
                QCOMPARE(Find<QLabel>(window, "s3Note")->isVisible(), c.s3);
                QCOMPARE(Find<QLabel>(window, "plainHttpWarning")->isVisible(), c.httpWarned);
                const QStringList s3 = {"&Endpoint", "&Access key ID", "Secret access &key",
                                        "&Bucket/prefix"};
                QCOMPARE(captions(), c.s3 ? s3 : ftp);
            }
            FillProfile(window, {"bucket", "s3.eu-west-1.amazonaws.com", "AKIAEXAMPLE", "secret",
                                 "My_Site/photos"});
            region->setText(QStringLiteral("eu-west-1"));
            Find<QPushButton>(window, "saveButton")->click();
            QVERIFY(window->isVisible());
            QCOMPARE(window->focusWidget()->objectName(), QStringLiteral("directoryEdit"));
            Find<QLineEdit>(window, "directoryEdit")->setText(QStringLiteral("my-site/photos"));
            Find<QPushButton>(window, "saveButton")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(boxes->Boxes().size(), size_t(1));
        QVERIFY(boxes->Boxes()[0].text.starts_with("The bucket name 'My_Site' is not valid"));
        QCOMPARE(dialog.Profile().protocol, FtpProtocol::S3);
        QCOMPARE(dialog.Profile().directory, std::string("my-site/photos"));
        QCOMPARE(dialog.Profile().region, std::string("eu-west-1"));
    }

    void testConnectionLogsInWithWhatTheWindowHolds() {
        ScriptedBoxes boxes;
        FtpTestServer server;
        const QString host = QString::fromStdString(server.Host());
        const struct {
            const char* password;
            QString outcome;
        } cases[] = {
            {FtpTestServer::kPassword, "Connected to \"" + host + "\" and logged in as \"ann\"."},
            {"wrong", "Failed to open FTP connection to \"" + host +
                          "\"\n\nReason: 530 Authentication failed."},
        };
        for (const auto& c : cases) {
            const int logins = server.Count("USER");
            CMavrenFtpProfileDialog dialog;
            const int result = ExecWith(dialog, [&](QWidget* window) {
                FillProfile(window, {"local", server.Host(), FtpTestServer::kUser, c.password, ""});
                auto* protocol = Find<QComboBox>(window, "protocolCombo");
                protocol->setCurrentIndex(protocol->findText(QStringLiteral("FTP")));
                auto* test = Find<QPushButton>(window, "testConnectionButton");
                test->click();
                test->click();  // while the first test runs: nothing
                QTRY_COMPARE_WITH_TIMEOUT(Shown(window, "connectionTestValue"), c.outcome, 30000);
                QVERIFY(test->isEnabled());
                Find<QPushButton>(window, "cancelButton")->click();
            });
            QCOMPARE(result, int(QDialog::Rejected));
            QCOMPARE(server.Count("USER"), logins + 1);
        }
        QCOMPARE(boxes->Texts(), std::vector<std::string>());
        // Testing saved nothing.
        FtpProfileList list;
        std::string last;
        QCOMPARE(LoadFtpProfiles(list, last), 0);
    }

    void profileDialogSetsConnectionsAndRateLimit() {
        struct Case {
            std::int64_t rateLimit;  // the profile's before
            int typedKilobytes;      // -1 to leave the box alone
            QString shown;
            std::int64_t saved;
        };
        // A limit set in bytes on the command line stays as it was unless changed here.
        const Case cases[] = {{0, -1, "No limit", 0},
                              {1500, -1, "1 KB/s", 1500},
                              {1500, 512, "1 KB/s", 512 * 1024},
                              {512 * 1024, 0, "512 KB/s", 0}};
        for (const Case& c : cases) {
            FtpProfile profile = kAlpha;
            profile.rateLimit = c.rateLimit;
            CMavrenFtpProfileDialog dialog(profile);
            const int result = ExecWith(dialog, [&](QWidget* window) {
                auto* connections = Find<QSpinBox>(window, "connectionsSpinBox");
                QCOMPARE(connections->value(), 4);
                QCOMPARE(connections->maximum(), 16);
                connections->setValue(9);
                auto* rate = Find<QSpinBox>(window, "rateLimitSpinBox");
                QCOMPARE(rate->text(), c.shown);
                if (c.typedKilobytes >= 0) {
                    rate->setValue(c.typedKilobytes);
                }
                Find<QPushButton>(window, "saveButton")->click();
            });
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(dialog.Profile().connections, 9);
            QCOMPARE(dialog.Profile().rateLimit, c.saved);
        }
    }

    void profileDialogShowsTheProfileAndCancelKeepsIt() {
        CMavrenFtpProfileDialog dialog(kAlpha);
        const int result = ExecWith(dialog, [](QWidget* window) {
            QCOMPARE(window->windowTitle(), QStringLiteral("FTP Profile"));
            QCOMPARE(Line(window, "hostEdit"), QStringLiteral("ftp.alpha.example"));
            QCOMPARE(Find<QLineEdit>(window, "passwordEdit")->echoMode(), QLineEdit::Password);
            Find<QLineEdit>(window, "hostEdit")->setText(QStringLiteral("changed"));
            Find<QPushButton>(window, "cancelButton")->click();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(dialog.Profile().host, kAlpha.host);
    }

    void profileDialogForgetsATrustedCertificateOnSave() {
        const std::string pin(95, 'A');
        struct Case {
            bool pinned;
            bool save;
        };
        for (const Case c : {Case{false, true}, Case{true, false}, Case{true, true}}) {
            ForgetSettings();
            if (c.pinned) {
                QVERIFY(SetFtpProfileCertificate(kAlpha.name, pin).ok());
            }
            CMavrenFtpProfileDialog dialog(kAlpha);
            ExecWith(dialog, [&](QWidget* window) {
                auto* forget = Find<QPushButton>(window, "forgetCertificateButton");
                QCOMPARE(forget->isVisibleTo(window), c.pinned);
                if (c.pinned) {
                    QVERIFY(Find<QLabel>(window, "certificateValue")
                                ->text()
                                .contains(QString::fromStdString(pin)));
                    forget->click();
                    QCOMPARE(FtpProfileCertificate(kAlpha.name), pin);  // not before Save
                }
                Find<QPushButton>(window, c.save ? "saveButton" : "cancelButton")->click();
            });
            QCOMPARE(FtpProfileCertificate(kAlpha.name), c.pinned && !c.save ? pin : std::string());
        }
    }

    void noProfilesOffersToMakeOne() {
        ScriptedBoxes boxes;
        boxes->QueueAnswer(IDYES);
        const auto profileDialog = OnNextModal([](QWidget* window) {
            QCOMPARE(Find<QComboBox>(window, "protocolCombo")->currentText(),
                     QStringLiteral("SFTP (SSH)"));
            FillProfile(window, {"home", "127.0.0.1", "ann", "pw", "www"});
            Find<QPushButton>(window, "saveButton")->click();
        });
        RunUploadDialog(TestHome(), [&](QWidget* window) {
            QVERIFY(profileDialog->Fired());
            QCOMPARE(window->windowTitle(), QStringLiteral("FTP Upload Status"));
            QCOMPARE(Entries(window), QStringList{"home"});
            QCOMPARE(Shown(window, "hostValue"), QStringLiteral("127.0.0.1"));
            QCOMPARE(Shown(window, "directoryValue"), QStringLiteral("www"));
            QCOMPARE(Line(window, "statusLine1Edit"),
                     QStringLiteral("Waiting ... press \"Start\" to begin"));
            QVERIFY(Find<QPushButton>(window, "startButton")->isEnabled());
            QCOMPARE(Find<QPushButton>(window, "cancelButton")->text(), QStringLiteral("Cancel"));
            QVERIFY(!Find<QCheckBox>(window, "deleteExtraCheck")->isChecked());
            Find<QPushButton>(window, "cancelButton")->click();
        });
        // No secret store here: the password went into the settings file, said once.
        const std::string note = "Mavren keeps your FTP passwords in its settings file, " +
                                 RegistryStorePath() +
                                 ", which only you can read: no secret store (such as GNOME "
                                 "Keyring) answers on this desktop. Once one runs, each "
                                 "password moves there the next time its profile is saved.";
        QCOMPARE(boxes->Texts(),
                 std::vector<std::string>({"No FTP profiles found.\n\n"
                                           "An FTP profile tells Mavren how to connect to a "
                                           "server so that it can upload files.\n\n"
                                           "Would you like to create one now?",
                                           note}));
        QCOMPARE(boxes->Boxes()[1].flags, MB_OK | MB_ICONINFORMATION);
        // Saved when the dialog closed.
        const std::string key = std::string(kFtpProfilesKey) + "\\home";
        QCOMPARE(GetRegistryString(key, "Host"), std::string("127.0.0.1"));
        QCOMPARE(UnscramblePassword(GetRegistryString(key, "Password")), std::string("pw"));
        QCOMPARE(GetRegistryString(kApplicationKey, "LastFTPProfile"), std::string("home"));
    }

    void noProfilesAndNoLeavesAnEmptyList() {
        ScriptedBoxes boxes;
        boxes->QueueAnswer(IDNO);
        RunUploadDialog(TestHome(), [](QWidget* window) {
            QCOMPARE(Profiles(window)->count(), 0);
            QCOMPARE(Line(window, "statusLine1Edit"),
                     QStringLiteral("Press \"New ...\" to create an FTP profile"));
            QVERIFY(!Find<QPushButton>(window, "startButton")->isEnabled());
        });
    }

    void aDamagedSettingsFileIsNotAnEmptyOne() {
        const QString path = QString::fromStdString(RegistryStorePath());
        const std::string text =
            "[Software\\Orvashi\\Mavren 1.0\\FTP Profiles\\home]\n\"Host\"=\"h\n";
        QVERIFY(WriteTextFile(path, text));
        ScriptedBoxes boxes;
        RunUploadDialog(TestHome(), [](QWidget* window) {
            QCOMPARE(Profiles(window)->count(), 0);
            QVERIFY(InModal(window, "newButton", [](QWidget* dialog) {
                FillProfile(dialog, kGamma);
                Find<QPushButton>(dialog, "saveButton")->click();
            }));
            Find<QPushButton>(window, "cancelButton")->click();
        });
        // Said once, naming the line; no offer of a first profile, and nothing written.
        QCOMPARE(boxes->Texts().size(), std::size_t{1});
        QVERIFY2(boxes->Texts()[0].find("' cannot be read, line 2:") != std::string::npos,
                 boxes->Texts()[0].c_str());
        QCOMPARE(ReadTextFile(path), text);
    }

    void lastProfileIsSelectedByItsBeginning() {
        StoreProfiles({kAlpha, kBeta, kGamma});
        QVERIFY(SetRegistryString(kApplicationKey, "LastFTPProfile", "GAM").ok());
        RunUploadDialog(TestHome(), [](QWidget* window) {
            QCOMPARE(Entries(window), (QStringList{"alpha", "beta", "Gamma"}));
            QCOMPARE(Profiles(window)->currentText(), QStringLiteral("Gamma"));
            QCOMPARE(Shown(window, "usernameValue"), QStringLiteral("cy"));
        });
    }

    void emptyProgressBarSaysWhatItIs() {
        StoreProfiles({kAlpha});
        RunUploadDialog(TestHome(), [](QWidget* window) {
            // Not an empty box beside the two status lines, which would pass for a third.
            QCOMPARE(Find<QProgressBar>(window, "progressBar")->text(), QStringLiteral("0%"));
        });
    }

    void threeProfilesAreTheLimit() {
        ScriptedBoxes boxes;
        StoreProfiles({kAlpha, kBeta, kGamma});
        RunUploadDialog(TestHome(), [](QWidget* window) {
            QVERIFY(!InModal(window, "newButton", [](QWidget*) {}));
        });
        QCOMPARE(boxes->Texts(),
                 std::vector<std::string>({"A maximum of 3 profiles can be created.\n\n"
                                           "To create a new profile, delete an old one."}));
    }

    void deletingTheFirstKeepsTheOthers() {
        ScriptedBoxes boxes;
        StoreProfiles({kAlpha, kBeta, kGamma});
        boxes->QueueAnswer(IDYES);
        RunUploadDialog(TestHome(), [](QWidget* window) {
            QCOMPARE(Profiles(window)->currentText(), QStringLiteral("alpha"));
            Find<QPushButton>(window, "deleteButton")->click();
            QCOMPARE(Entries(window), (QStringList{"beta", "Gamma"}));
            for (const auto& [index, host] :
                 {std::pair{0, "ftp.beta.example"}, std::pair{1, "ftp.gamma.example"}}) {
                Profiles(window)->setCurrentIndex(index);
                Q_EMIT Profiles(window)->activated(index);
                QCOMPARE(Shown(window, "hostValue"), QString::fromLatin1(host));
            }
        });
        QCOMPARE(boxes->Texts(),
                 std::vector<std::string>(
                     {"Are you sure you want to delete\nthe FTP profile called 'alpha'?"}));
        QCOMPARE(boxes->Boxes()[0].flags, MB_YESNO | MB_ICONQUESTION);
        QCOMPARE(CountRegistrySubkeys(kFtpProfilesKey), 2);
    }

    void renamedProfileMovesAndStaysSelected() {
        StoreProfiles({kAlpha, kBeta});
        RunUploadDialog(TestHome(), [](QWidget* window) {
            QVERIFY(InModal(window, "editButton", [](QWidget* dialog) {
                QCOMPARE(Line(dialog, "profileNameEdit"), QStringLiteral("alpha"));
                Find<QLineEdit>(dialog, "profileNameEdit")->setText(QStringLiteral("zulu"));
                Find<QPushButton>(dialog, "saveButton")->click();
            }));
            QCOMPARE(Entries(window), (QStringList{"beta", "zulu"}));
            QCOMPARE(Profiles(window)->currentText(), QStringLiteral("zulu"));
            QCOMPARE(Shown(window, "hostValue"), QStringLiteral("ftp.alpha.example"));
        });
        // The old name does not come back as a profile of its own.
        FtpProfileList list;
        std::string last;
        QCOMPARE(LoadFtpProfiles(list, last), 2);
        QCOMPARE(list.Find("alpha"), -1);
        QVERIFY(list.Find("zulu") >= 0);
        QCOMPARE(last, std::string("zulu"));
    }

    void closingWritesOnlyWhatChangedHereWhileTheCommandLineEdits() {
        StoreProfiles({kAlpha, kBeta});
        RunUploadDialog(TestHome(), [](QWidget* window) {
            QVERIFY(InModal(window, "editButton", [](QWidget* dialog) {
                Find<QLineEdit>(dialog, "hostEdit")->setText(QStringLiteral("window.example"));
                Find<QPushButton>(dialog, "saveButton")->click();
            }));
            // Meanwhile, at a terminal, all at once.
            const QList<QStringList> edits = {
                {"profile", "edit", "alpha", "--user", "carol"},
                {"profile", "edit", "beta", "--password", "fresh"},
                {"profile", "add", "Gamma", "--host", "g.example", "--user", "cy"},
            };
            std::vector<std::unique_ptr<QProcess>> processes;
            for (const QStringList& edit : edits) {
                processes.push_back(std::make_unique<QProcess>());
                processes.back()->start(QStringLiteral(MAVREN_CLI), edit);
            }
            for (const auto& process : processes) {
                QVERIFY(process->waitForFinished(60000));
                QCOMPARE(process->exitCode(), 0);
                QVERIFY(process->readAllStandardOutput().startsWith("Saved FTP profile"));
            }
            Find<QPushButton>(window, "cancelButton")->click();
        });
        FtpProfileList list;
        std::string last;
        QCOMPARE(LoadFtpProfiles(list, last), 3);
        const FtpProfile& alpha = list.profiles[static_cast<std::size_t>(list.Find("alpha"))];
        QCOMPARE(alpha.host, std::string("window.example"));
        QCOMPARE(alpha.username, std::string("carol"));
        QCOMPARE(alpha.password, kAlpha.password);
        const FtpProfile& beta = list.profiles[static_cast<std::size_t>(list.Find("beta"))];
        QCOMPARE(beta.password, std::string("fresh"));
        QCOMPARE(beta.host, kBeta.host);
        QVERIFY(list.Find("Gamma") >= 0);
        QCOMPARE(last, std::string("alpha"));
    }

    void actionsNeedASelectedProfile() {
        ScriptedBoxes boxes;
        StoreProfiles({kAlpha});
        RunUploadDialog(TestHome(), [](QWidget* window) {
            Profiles(window)->setEditText(QStringLiteral("nobody"));
            for (const char* button : {"editButton", "deleteButton", "startButton"}) {
                Find<QPushButton>(window, button)->click();
            }
            QCOMPARE(Find<QPushButton>(window, "cancelButton")->text(), QStringLiteral("Cancel"));
        });
        QCOMPARE(boxes->Texts(), std::vector<std::string>(3, "Select an item first"));
    }

    void statusLinesAndTheTimeLeftShow() {
        StoreProfiles({kAlpha});
        RunUploadDialog(TestHome(), [](QWidget* window) {
            struct Case {
                unsigned kind;
                std::string text;  // as the worker posts it
                QString line1, line2, timeLeft;
            };
            const Case cases[] = {
                {WM_APP_STATUS_TEXT, "Trying \"x.jpg\" again (2 of 3) ...",
                 "Trying \"x.jpg\" again (2 of 3) ...", "", ""},
                {WM_APP_TIMING_TEXT, "5300 bytes in 12 seconds - 30 seconds remaining", "",
                 "5300 bytes in 12 seconds", "30 seconds remaining"},
                {WM_APP_TIMING_TEXT, "9000 bytes in 20 seconds; 2 files unchanged", "",
                 "9000 bytes in 20 seconds; 2 files unchanged", ""},
            };
            for (const Case& c : cases) {
                WorkerEvent status(WorkerMessage{c.kind, 0, c.text, nullptr});
                QCoreApplication::sendEvent(window, &status);
                if (!c.line1.isEmpty()) {
                    QCOMPARE(Line(window, "statusLine1Edit").trimmed(), c.line1);
                }
                if (!c.line2.isEmpty()) {
                    QCOMPARE(Line(window, "statusLine2Edit").trimmed(), c.line2);
                    QCOMPARE(Shown(window, "timeLeftValue"), c.timeLeft);
                }
            }
            // The retry stays in sight after later lines.
            const auto* notices = Find<QPlainTextEdit>(window, "noticesList");
            QVERIFY(!notices->isHidden());
            QCOMPARE(notices->toPlainText(), QStringLiteral("Trying \"x.jpg\" again (2 of 3) ..."));
            Find<QPushButton>(window, "cancelButton")->click();
        });
    }

    void uploadRunsToDone() {
        ScriptedBoxes boxes;
        FtpTestServer server;
        const QString remote = QString::fromStdString(server.Root());
        QTemporaryDir site;
        QVERIFY(MakePictures(site.filePath("Thumbs"), 2));
        QVERIFY(WriteTextFile(site.filePath("INDEX000.HTM"), "<HTML></HTML>\r\n"));
        StoreProfiles(
            {{"local", server.Host(), FtpTestServer::kUser, FtpTestServer::kPassword, ""}});
        const int result = RunUploadDialog(site.path(), [&](QWidget* window) {
            Find<QPushButton>(window, "startButton")->click();
            QCOMPARE(Find<QPushButton>(window, "cancelButton")->text(), QStringLiteral("Stop!"));
            QVERIFY(!Find<QPushButton>(window, "startButton")->isVisible());
            QTRY_COMPARE_WITH_TIMEOUT(Find<QPushButton>(window, "cancelButton")->text(),
                                      QStringLiteral("Close"), 30000);
            QVERIFY(Find<QPushButton>(window, "startButton")->isVisible());
            QCOMPARE(Line(window, "statusLine1Edit").trimmed(), QStringLiteral("Done."));
            // Padded to cover a longer line before it.
            QVERIFY(Line(window, "statusLine1Edit").size() >= 100);
            const QString timing = Line(window, "statusLine2Edit").trimmed();
            QVERIFY(!timing.isEmpty());
            QVERIFY(!timing.startsWith('@'));
            QCOMPARE(Find<QProgressBar>(window, "progressBar")->value(), 100);
            Find<QPushButton>(window, "cancelButton")->click();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(boxes->Texts(), std::vector<std::string>());
        QCOMPARE(ReadTextFile(remote + "/INDEX000.HTM"), std::string("<HTML></HTML>\r\n"));
        QVERIFY(QFileInfo::exists(remote + "/Thumbs/pic001.png"));
    }

    void aLargeDeletionIsAskedAboutWithNoOffered() {
        ScriptedBoxes boxes;
        FtpTestServer server;
        const QString remote = QString::fromStdString(server.Root());
        for (int i = 0; i < 60; ++i) {
            QVERIFY(WriteTextFile(remote + QStringLiteral("/old%1.htm").arg(i), "old"));
        }
        QTemporaryDir site;
        QVERIFY(WriteTextFile(site.filePath("INDEX000.HTM"), "<HTML></HTML>\r\n"));
        StoreProfiles(
            {{"local", server.Host(), FtpTestServer::kUser, FtpTestServer::kPassword, ""}});
        boxes->QueueAnswer(IDNO);
        RunUploadDialog(site.path(), [&](QWidget* window) {
            Find<QCheckBox>(window, "deleteExtraCheck")->setChecked(true);
            Find<QPushButton>(window, "startButton")->click();
            QTRY_COMPARE_WITH_TIMEOUT(Find<QPushButton>(window, "cancelButton")->text(),
                                      QStringLiteral("Close"), 30000);
            Find<QPushButton>(window, "cancelButton")->click();
        });
        QCOMPARE(boxes->Boxes().size(), std::size_t{1});
        QCOMPARE(boxes->Boxes()[0].flags, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
        QVERIFY2(boxes->Texts()[0].find("  ... and 30 more\n\nThose are 60 files, more than 50. "
                                        "Delete them all the same?") != std::string::npos,
                 boxes->Texts()[0].c_str());
        QVERIFY(QFileInfo::exists(remote + "/old0.htm"));
        QVERIFY(QFileInfo::exists(remote + "/INDEX000.HTM"));
    }

    void stopEndsTheUploadAndClosesTheDialog() {
        ScriptedBoxes boxes;
        FtpTestServer server({.throttle = 30000});
        QTemporaryDir site;
        QVERIFY(WriteTextFile(site.filePath("big.bin"), std::string(4'000'000, 'x')));
        StoreProfiles(
            {{"slow", server.Host(), FtpTestServer::kUser, FtpTestServer::kPassword, ""}});
        CMavrenUploadStatusDialog dialog;
        dialog.SetLocalFolder(site.path().toStdString());
        QElapsedTimer stopping;
        const int result = ExecWith(dialog, [&](QWidget* window) {
            Find<QPushButton>(window, "startButton")->click();
            QTRY_VERIFY(Find<QProgressBar>(window, "progressBar")->value() > 0 ||
                        Line(window, "statusLine1Edit").contains("big.bin"));
            stopping.start();
            Find<QPushButton>(window, "cancelButton")->click();
            QCOMPARE(Line(window, "statusLine1Edit"),
                     QStringLiteral("Waiting for FTP client to exit ..."));
        });
        // Not drained at 30 KB/s: the window closes once the upload has ended, at once.
        QVERIFY2(stopping.elapsed() < 10000, qPrintable(QString::number(stopping.elapsed())));
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Line(&dialog, "statusLine1Edit"), QStringLiteral("Exiting ..."));
        QTRY_COMPARE(RunningWorkerThreads(), 0);
        QCOMPARE(GetRegistryString(kApplicationKey, "LastFTPProfile"), std::string("slow"));
    }
};

MAVREN_UI_TEST_MAIN(UploadDialogTest)
#include "upload_dialog_test.moc"
