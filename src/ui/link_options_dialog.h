#pragma once

// Link Options: which links content pages show (Previous, Next, Index, Beginning, End),
// whether the image is a link to the next page or the index, and, through "Edit Link
// Labels ...", the words of the five links. A plain dialog: it opens centred on its owner
// and remembers no place. The links change only when the user presses OK (label edits made
// in Link Labels included). GUI thread only.

#include <QButtonGroup>
#include <QDialog>
#include <memory>

#include "ui/link_settings.h"

namespace Ui {
class LinkOptionsDialog;
}

class CMavrenLinkOptionsDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenLinkOptionsDialog)

  public:
    explicit CMavrenLinkOptionsDialog(const LinkSettings& links, QWidget* parent = nullptr);
    ~CMavrenLinkOptionsDialog() override;

    // The links as handed in, or as the user set them after OK.
    const LinkSettings& Links() const { return m_links; }

    int exec() override;

  protected:
    void accept() override;

  private:
    void EditLinkLabels();

    const std::unique_ptr<Ui::LinkOptionsDialog> m_ui;
    QButtonGroup m_targetGroup;
    LinkSettings m_links;
    LinkSettings m_labels;  // the labels as edited so far, taken on OK
};

// Runs the dialog over parent; settings take every value back from the dialog whenever it
// ran, which after Cancel gives back what went in.
void RunLinkOptions(QWidget* parent, LinkSettings& settings);
