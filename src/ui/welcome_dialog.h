#pragma once

// The Welcome dialog: a frameless greeting that asks whether to make a new program, open
// one, or reopen the last one ("Open Last", enabled when there is a last program). Its
// result is kWelcomeNew, kWelcomeOpen or kWelcomeOpenLast (also for Escape); Enter does
// nothing. With "Don't ask this again" ticked once, later starts skip it and get
// kWelcomeOpenLast. Dragged by any point that is not a control. GUI thread only.

#include <memory>

#include "ui/vq_dialog.h"

namespace Ui {
class WelcomeDialog;
}

inline constexpr int kWelcomeNew = 1064;
inline constexpr int kWelcomeOpen = 1207;
inline constexpr int kWelcomeOpenLast = 2;

class CMavrenWelcomeDialog final : public CVQDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMavrenWelcomeDialog)

  public:
    explicit CMavrenWelcomeDialog(QWidget* parent = nullptr);
    ~CMavrenWelcomeDialog() override;

  protected:
    bool OnInitDialog() override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    const std::unique_ptr<Ui::WelcomeDialog> m_ui;
};
