#pragma once

// Link Options: which links content pages show (Previous, Next, Index, Beginning, End),
// whether the image is a link to the next page or the index, and, through "Edit Link
// Labels ...", the words of the five links. A plain dialog: it opens centred on its owner
// and remembers no place. The members change only when the user presses OK (label edits
// made in Link Labels included). GUI thread only.

#include <QButtonGroup>
#include <QDialog>
#include <memory>

#include "ui/link_settings.h"

namespace Ui {
class LinkOptionsDialog;
}

class CMavrenLinkOptionsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CMavrenLinkOptionsDialog(QWidget* parent = nullptr);
    ~CMavrenLinkOptionsDialog() override;

    LinkSettings links;

    int exec() override;

  protected:
    void accept() override;

  private:
    void EditLinkLabels();

    const std::unique_ptr<Ui::LinkOptionsDialog> m_ui;
    QButtonGroup m_targetGroup;
    LinkSettings m_labels;  // the labels as edited so far, taken on OK
};

// Runs the dialog over parent; settings take every value back from the dialog whenever it
// ran, which after Cancel gives back what went in.
void RunLinkOptions(QWidget* parent, LinkSettings& settings);
