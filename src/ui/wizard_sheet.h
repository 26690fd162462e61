#pragma once

// The New Program Wizard: three pages asking for the source folder and file type, the
// target folder, and the program's folder and file name. It writes no program: after
// Finish the caller builds one from Answers(). It opens centred or where the user left
// it ("New Program Wizard") and saves that place when it closes. GUI thread only.

#include <QWizard>

#include "ui/wizard_answers.h"

class CMavrenWizardPage0;
class CMavrenWizardPage1;
class CMavrenWizardPage2;

class CMavrenWizardSheet final : public QWizard {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenWizardSheet)

  public:
    explicit CMavrenWizardSheet(QWidget* parent = nullptr);

    const WizardAnswers& Answers() const { return m_answers; }

    // The opening steps, then the modal wizard; Accepted after Finish.
    int exec() override;

  protected:
    void done(int result) override;

  private:
    void OnPageChanged(int id);

    WizardAnswers m_answers;
    CMavrenWizardPage0* m_page0;
    CMavrenWizardPage1* m_page1;
    CMavrenWizardPage2* m_page2;
    bool m_opened = false;
};
