#include "ui/wizard_sheet.h"

#include <QCoreApplication>
#include <QShortcut>

#include "ui/help_page.h"
#include "ui/window_placement.h"
#include "ui/wizard_pages.h"

namespace {

constexpr char kPlacementName[] = "New Program Wizard";

// Every page asks for the room of the one that needs most: the wizard's layout counts only
// the page shown, so a later page that needs more would grow the window from its corner,
// moving it off the place it was given.
void GiveEveryPageTheLargestRoom(QWizard* wizard) {
    QSize largest;
    for (const int id : wizard->pageIds()) {
        largest = largest.expandedTo(wizard->page(id)->minimumSizeHint());
    }
    for (const int id : wizard->pageIds()) {
        wizard->page(id)->setMinimumSize(largest);
    }
}

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
    GiveEveryPageTheLargestRoom(this);
    // QWizard takes its minimum size from the page it shows, measured when it turns to it;
    // before the window is first shown those measures are stale. The first page is put in
    // place, measured afresh up to the wizard, and turned to again, so that the wizard is
    // centred at the size every page keeps.
    restart();
    for (QWidget* widget = currentPage(); widget != nullptr && widget != this;
         widget = widget->parentWidget()) {
        widget->updateGeometry();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    restart();
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
