#pragma once

// The base of the tool's property sheets: a dialog with one tab per page and the buttons
// OK, Cancel, Apply and Help. It opens centred, or where the user left it (placement
// name, else its caption, under "Window Positions"), and saves that place whichever way
// it closes. A page keeps its values in members of its own: its controls are filled the
// first time it is shown, and read back (with validation) when the user leaves it or
// presses OK; a page that refuses keeps the user on it. GUI thread only; the sheet owns
// its pages.

#include <QDialog>
#include <QString>
#include <vector>

class QDialogButtonBox;
class QTabWidget;

class CVQPropertyPage : public QWidget {
    Q_OBJECT

  public:
    explicit CVQPropertyPage(QWidget* parent = nullptr) : QWidget(parent) {}

    // Whether the page has been shown, so that its controls hold its members.
    bool IsCreated() const { return m_created; }

    // The sheet calls these as the user moves between pages.
    void Activate();
    bool Deactivate();

    // The page's help request: opens the help folder's page of HelpFileName with OpenUrl.
    void OnHelp();

  protected:
    // Fills the controls from the members the first time the page is shown.
    virtual void OnInitPage() {}
    // Each time the page becomes the active one, after the first filling.
    virtual void OnSetActive() {}
    // Moves the controls' contents into the members; false, after telling the user what
    // is wrong and putting the focus there, keeps the page.
    virtual bool ReadControls() { return true; }
    // The page's file in the help folder.
    virtual QString HelpFileName() const = 0;

  private:
    bool m_created = false;
};

class CVQPropertySheet : public QDialog {
    Q_OBJECT

  public:
    CVQPropertySheet(const QString& caption, QWidget* parent, int firstPage);

    void SetPlacementName(const QString& name) { m_placementName = name; }

    // Adds a page as the next tab; the sheet takes ownership.
    void AddPage(CVQPropertyPage* page, const QString& title);
    int GetPageCount() const;
    CVQPropertyPage* GetPage(int index) const;
    int GetActiveIndex() const;
    // Makes the page at index the active one; an index out of range is ignored. Before
    // the sheet opens this only chooses the page it opens on.
    void SetActivePage(int index);

    QTabWidget* TabWidget() const { return m_tabs; }
    QDialogButtonBox* ButtonBox() const { return m_buttons; }

    // The opening steps (centring, the remembered placement, the first page shown),
    // then the modal sheet.
    int exec() override;

  protected:
    // The last step before the placement is saved, whichever way the sheet closes;
    // result is QDialog::Accepted after OK.
    virtual void OnClosing(int /*result*/) {}

    // OK reads the active page first and stays when it refuses.
    void accept() override;
    void done(int result) override;

  private:
    void OnCurrentChanged(int index);

    QString m_placementName;
    QTabWidget* m_tabs;
    QDialogButtonBox* m_buttons;
    std::vector<CVQPropertyPage*> m_pages;
    int m_firstPage;
    int m_shownIndex = -1;  // the page the user is on, while the sheet is open
    bool m_opened = false;
    bool m_reverting = false;
};
