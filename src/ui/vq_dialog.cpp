#include "ui/vq_dialog.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

#include "platform/numbers.h"
#include "platform/registry.h"
#include "ui/window_placement.h"
#include "work/settings_failures.h"

CVQDialog::CVQDialog(QWidget* parent) : QDialog(parent) {}

void CVQDialog::SetTitleText(const QString& text) {
    if (QLabel* title = TitleLabel()) {
        title->setText(text);
    }
}

QString CVQDialog::GetTitleText() const {
    const QLabel* title = TitleLabel();
    return title ? title->text() : QString();
}

int CVQDialog::exec() {
    if (!OnInitDialog()) {
        setResult(m_automaticResult);
        return m_automaticResult;
    }
    m_opened = true;
    return QDialog::exec();
}

bool CVQDialog::OnInitDialog() {
    CentreOnScreen(this);
    const QString name = StorageName();
    if (!name.isEmpty()) {
        const std::string dontShow =
            GetRegistryString(kDontShowAgainKey, name.toStdString(), HKEY_CURRENT_USER);
        if (ParseLeadingInt(dontShow) != 0) {
            return false;
        }
        const std::string placement =
            GetRegistryString(kWindowPositionsKey, name.toStdString(), HKEY_CURRENT_USER);
        if (!placement.empty()) {
            ApplyPlacementText(this, QString::fromStdString(placement), true);
        }
    }
    if (QLabel* title = TitleLabel()) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(20);
        title->setFont(font);
    }
    return true;
}

void CVQDialog::done(int result) {
    // A dialog that was never shown has no placement worth keeping.
    if (m_opened) {
        m_opened = false;
        const QString placement = GetPlacementText(this);
        const QString name = StorageName();
        if (!name.isEmpty()) {
            if (const QCheckBox* check = DontAskAgainCheckBox()) {
                m_dontShow = check->isChecked() ? 1 : 0;
            }
            if (m_dontShow != 0) {
                Result written = CreateRegistryKeyPath(kDontShowAgainKey, HKEY_CURRENT_USER);
                if (written.ok()) {
                    written = SetRegistryString(kDontShowAgainKey, name.toStdString(), "1",
                                                HKEY_CURRENT_USER);
                }
                TellSettingsWriteFailure(written);
            }
            Result written = CreateRegistryKeyPath(kWindowPositionsKey, HKEY_CURRENT_USER);
            if (written.ok()) {
                written = SetRegistryString(kWindowPositionsKey, name.toStdString(),
                                            placement.toStdString(), HKEY_CURRENT_USER);
            }
            TellSettingsWriteFailure(written);
        }
    }
    QDialog::done(result);
}

void CVQDialog::mousePressEvent(QMouseEvent* event) {
    // Presses reach the dialog itself only where no control took them.
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    event->accept();
    if (QWindow* window = windowHandle(); window && window->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - pos();
}

void CVQDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CVQDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

QString CVQDialog::StorageName() const {
    return m_placementName.isEmpty() ? windowTitle() : m_placementName;
}

namespace {

// The named control of this window, not of a dialog opened from it.
template <typename Control>
Control* OwnControl(const QWidget* window, const QString& name) {
    for (Control* control : window->findChildren<Control*>(name)) {
        if (control->window() == window) {
            return control;
        }
    }
    return nullptr;
}

}  // namespace

QLabel* CVQDialog::TitleLabel() const {
    return OwnControl<QLabel>(this, QStringLiteral("titleLabel"));
}

QCheckBox* CVQDialog::DontAskAgainCheckBox() const {
    return OwnControl<QCheckBox>(this, QStringLiteral("dontAskAgainCheckBox"));
}
