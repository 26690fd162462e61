#include "ui/vq_property_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/help_page.h"
#include "ui/window_placement.h"

void CVQPropertyPage::Activate() {
    if (!m_created) {
        m_created = true;
        OnInitPage();
    }
    OnSetActive();
}

bool CVQPropertyPage::Deactivate() {
    return !m_created || ReadControls();
}

void CVQPropertyPage::OnHelp() {
    OpenHelpPage(HelpFileName());
}

CVQPropertySheet::CVQPropertySheet(const QString& caption, QWidget* parent, int firstPage)
    : QDialog(parent),
      m_tabs(new QTabWidget(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Apply | QDialogButtonBox::Help,
                                     this)),
      m_firstPage(firstPage) {
    setWindowTitle(caption);
    m_tabs->setObjectName(QStringLiteral("pageTabs"));
    m_buttons->setObjectName(QStringLiteral("buttonBox"));
    // No page reports a change of its own, so there is never anything to apply.
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CVQPropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CVQPropertySheet::reject);
    const auto help = [this] {
        if (CVQPropertyPage* page = GetPage(GetActiveIndex())) {
            page->OnHelp();
        }
    };
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, help);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, help);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CVQPropertySheet::OnCurrentChanged);
}

void CVQPropertySheet::AddPage(CVQPropertyPage* page, const QString& title) {
    m_pages.push_back(page);
    m_tabs->blockSignals(true);
    m_tabs->addTab(page, title);
    m_tabs->setCurrentIndex(std::clamp(m_firstPage, 0, m_tabs->count() - 1));
    m_tabs->blockSignals(false);
}

int CVQPropertySheet::GetPageCount() const {
    return static_cast<int>(m_pages.size());
}

CVQPropertyPage* CVQPropertySheet::GetPage(int index) const {
    if (index < 0 || index >= GetPageCount()) {
        return nullptr;
    }
    return m_pages[static_cast<size_t>(index)];
}

int CVQPropertySheet::GetActiveIndex() const {
    return m_tabs->currentIndex();
}

void CVQPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount()) {
        return;
    }
    if (!m_opened) {
        m_firstPage = index;
        m_tabs->blockSignals(true);
        m_tabs->setCurrentIndex(index);
        m_tabs->blockSignals(false);
        return;
    }
    m_tabs->setCurrentIndex(index);
}

int CVQPropertySheet::exec() {
    RestoreWindowPlacement(this, m_placementName.isEmpty() ? windowTitle() : m_placementName);
    m_opened = true;
    m_shownIndex = GetActiveIndex();
    if (CVQPropertyPage* page = GetPage(m_shownIndex)) {
        page->Activate();
    }
    return QDialog::exec();
}

void CVQPropertySheet::accept() {
    if (CVQPropertyPage* page = GetPage(GetActiveIndex()); page && !page->Deactivate()) {
        return;
    }
    QDialog::accept();
}

void CVQPropertySheet::done(int result) {
    if (m_opened) {
        m_opened = false;
        OnClosing(result);
        SaveWindowPlacement(this, m_placementName.isEmpty() ? windowTitle() : m_placementName);
    }
    QDialog::done(result);
}

void CVQPropertySheet::OnCurrentChanged(int index) {
    if (m_reverting || !m_opened) {
        return;
    }
    // Leaving a page reads it, with the page still showing so that a refusal can put the
    // focus on the control at fault; a page that refuses keeps the user on it.
    if (CVQPropertyPage* left = GetPage(m_shownIndex); left && left->IsCreated()) {
        m_reverting = true;
        m_tabs->setCurrentIndex(m_shownIndex);
        m_reverting = false;
        if (!left->Deactivate()) {
            return;
        }
        m_reverting = true;
        m_tabs->setCurrentIndex(index);
        m_reverting = false;
    }
    m_shownIndex = index;
    if (CVQPropertyPage* page = GetPage(index)) {
        page->Activate();
    }
}
