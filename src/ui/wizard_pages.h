#pragma once

// The three pages of the new-program wizard: where the source files are and what kind,
// with web-size copies, the order, albums (a folder whose pictures are all in subfolders
// turns them on, and the page says so; it also says how many videos it found) and
// whether the originals are published (as taken, which the page points out) for pictures
// (page 0), where the generated site goes (page 1; a folder of its own beside the source
// folder unless the user picks another), and where the program file is kept under which
// name (page 2; beside the source folder unless the user picks another). Each reads its
// controls into the shared answers when the user goes on, asking when a required value is
// missing. GUI thread only.

#include <QButtonGroup>
#include <QWizard>
#include <QWizardPage>
#include <memory>
#include <string>

#include "ui/wizard_answers.h"

namespace Ui {
class WizardSourcePage;
class WizardTargetPage;
class WizardProgramPage;
}  // namespace Ui

// Asks whether to go on without a required value: Yes stays on the page, No cancels the
// wizard. True when the user chose to stay.
bool AskToContinue(QWizard* wizard, const char* missing);

// The wizard's window title: "Mavren Wizard: Cats.mav", or "Mavren Wizard" before there
// is a subject to name.
QString WizardTitle(const std::string& subject);

class CMavrenWizardPage0 final : public QWizardPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenWizardPage0)

  public:
    CMavrenWizardPage0(WizardAnswers& answers, QWidget* parent = nullptr);
    ~CMavrenWizardPage0() override;

    void initializePage() override;
    bool validatePage() override;

  private:
    void ReadControls();
    void ShowAnswers();
    void UpdateEnabling();
    void LookAtSourceFolder();

    WizardAnswers& m_answers;
    const std::unique_ptr<Ui::WizardSourcePage> m_ui;
    QButtonGroup m_typeGroup;
    std::string m_lookedAt;     // the source folder last looked at for albums
    bool m_albumsByUs = false;  // albums are on because of that folder, not the user
    bool m_noteUnseen = false;  // the note on albums has not stopped a Next yet
};

class CMavrenWizardPage1 final : public QWizardPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenWizardPage1)

  public:
    CMavrenWizardPage1(WizardAnswers& answers, QWidget* parent = nullptr);
    ~CMavrenWizardPage1() override;

    void initializePage() override;
    bool validatePage() override;
    // The title the wizard shows on this page, fixed when the page is first shown.
    QString Caption() const { return m_caption; }

  private:
    void ReadControls();

    WizardAnswers& m_answers;
    const std::unique_ptr<Ui::WizardTargetPage> m_ui;
    bool m_shown = false;
    QString m_caption;
    std::string m_suggested;  // the site folder offered, made without asking
};

class CMavrenWizardPage2 final : public QWizardPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenWizardPage2)

  public:
    CMavrenWizardPage2(WizardAnswers& answers, QWidget* parent = nullptr);
    ~CMavrenWizardPage2() override;

    void initializePage() override;
    bool validatePage() override;
    // Once the wizard has shown the page: the focus as the first showing wants it (the
    // wizard itself focuses the page's first control on the way in).
    void OnShown();

  private:
    void ReadControls();
    void ShowAnswers();
    void FocusFirstMissing();

    WizardAnswers& m_answers;
    const std::unique_ptr<Ui::WizardProgramPage> m_ui;
    bool m_shown = false;
    bool m_focusPending = false;
};
