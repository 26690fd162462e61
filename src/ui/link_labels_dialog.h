#pragma once

// Link Labels: the words the Index, Beginning, Next, Previous and End links of content
// pages show; an empty line shows the default word. Opened from Link Options; the members
// change only when the user presses OK. GUI thread only.

#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class LinkLabelsDialog;
}

class CMavrenLinkLabelsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CMavrenLinkLabelsDialog(QWidget* parent = nullptr);
    ~CMavrenLinkLabelsDialog() override;

    std::string indexLabel;
    std::string beginLabel;
    std::string nextLabel;
    std::string prevLabel;
    std::string endLabel;

    int exec() override;

  protected:
    void accept() override;

  private:
    const std::unique_ptr<Ui::LinkLabelsDialog> m_ui;
};
