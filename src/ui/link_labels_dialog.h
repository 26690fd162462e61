#pragma once

// Link Labels: the words the Index, Beginning, Next, Previous and End links of content
// pages show; an empty line shows the default word. Opened from Link Options on the labels
// edited so far; they change only when the user presses OK. GUI thread only.

#include <QDialog>
#include <memory>

#include "ui/link_settings.h"

namespace Ui {
class LinkLabelsDialog;
}

class CMavrenLinkLabelsDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenLinkLabelsDialog)

  public:
    // Shows the five labels of links; the other values pass through untouched.
    explicit CMavrenLinkLabelsDialog(const LinkSettings& links, QWidget* parent = nullptr);
    ~CMavrenLinkLabelsDialog() override;

    // The links as handed in, with the labels as the user left them after OK.
    const LinkSettings& Links() const { return m_links; }

    int exec() override;

  protected:
    void accept() override;

  private:
    const std::unique_ptr<Ui::LinkLabelsDialog> m_ui;
    LinkSettings m_links;
};
