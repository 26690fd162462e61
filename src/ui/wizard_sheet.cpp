#include "ui/wizard_sheet.h"

#include <QShortcut>

#include "ui/help_page.h"
#include "ui/window_placement.h"
#include "ui/wizard_pages.h"

namespace {

constexpr char kPlacementName[] = "New Program Wizard";

}  // namespace

CMavrenWizardSheet::CMavrenWizardSheet(QWidget* parent)
    : QWizard(parent),
      m_page0(new CMavrenWizardPage0(m_answers)),
      m_page1(new CMavrenWizardPage1(m_answers)),
      m_page2(new CMavrenWizardPage2(m_answers)) {
    setObjectName(QStringLiteral("newProgramWizard"));
    setWindowTitle(QStringLiteral("Wizard"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::HaveHelpButton, true);
    setOption(QWizard::NoBackButtonOnStartPage, true);
    addPage(m_page0);
    addPage(m_page1);
    addPage(m_page2);
    connect(this, &QWizard::currentIdChanged, this, &CMavrenWizardSheet::OnPageChanged);
    const auto help = [] { OpenHelpPage(QStringLiteral("GEN0000.htm")); };
    connect(this, &QWizard::helpRequested, this, help);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, help);
}

int CMavrenWizardSheet::exec() {
    RestoreWindowPlacement(this, QString::fromLatin1(kPlacementName));
    m_opened = true;
    return QWizard::exec();
}

void CMavrenWizardSheet::done(int result) {
    if (m_opened) {
        m_opened = false;
        SaveWindowPlacement(this, QString::fromLatin1(kPlacementName));
    }
    QWizard::done(result);
}

void CMavrenWizardSheet::OnPageChanged(int id) {
    if (page(id) == m_page0) {
        setWindowTitle(WizardTitle(m_answers.programName));
    } else if (page(id) == m_page1) {
        setWindowTitle(m_page1->Caption());
    } else if (page(id) == m_page2) {
        setWindowTitle(WizardTitle("New Program"));
        m_page2->OnShown();
    }
}
