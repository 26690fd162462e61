#pragma once

// Label Options: how thumbnails (or content pages) are labelled: standard
// ("<filename> - <file size>"), from a description file, or a custom pattern of at most
// 255 characters. The dialog's values follow the controls from each choice of kind on;
// callers take them only after OK (RunLabelOptions). GUI thread only.

#include <QButtonGroup>
#include <memory>
#include <string>

#include "ui/vq_dialog.h"

namespace Ui {
class LabelOptionsDialog;
}

// The label kind and pattern a page hands to the dialog.
struct LabelSettings {
    int labelType = 0;  // 0 standard, 1 description file, 2 custom
    std::string customLabel;
};

class CMavrenLabelOptionsDialog final : public CVQDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenLabelOptionsDialog)

  public:
    explicit CMavrenLabelOptionsDialog(const LabelSettings& settings, QWidget* parent = nullptr);
    ~CMavrenLabelOptionsDialog() override;

    // The values as handed in, then as the controls last gave them; meant for after OK.
    const LabelSettings& Settings() const { return m_settings; }

  protected:
    bool OnInitDialog() override;
    void accept() override;

  private:
    void ReadControls();
    void UpdateEnabling();

    const std::unique_ptr<Ui::LabelOptionsDialog> m_ui;
    QButtonGroup m_typeGroup;
    LabelSettings m_settings;
};

// Runs the dialog over parent; settings take the dialog's values only when it ends with OK.
void RunLabelOptions(QWidget* parent, LabelSettings& settings);
