#include "ui/qt_message_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

#include "ui/gui_thread.h"

namespace {

// A Yes/No box has no way out but its two buttons, as on Windows.
class MavrenMessageBox : public QMessageBox {
  public:
    MavrenMessageBox(QWidget* parent, bool escapeAnswers)
        : QMessageBox(parent), escapeAnswers(escapeAnswers) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!escapeAnswers && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!escapeAnswers) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

  private:
    bool escapeAnswers;
};

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & MB_ICON_MASK) {
        case MB_ICONSTOP:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    int answer;
};

// The buttons in their order on the box; the first is the default unless the flags say
// the second.
std::vector<ButtonAnswer> ButtonsOf(unsigned flags) {
    switch (flags & MB_BUTTON_MASK) {
        case MB_OKCANCEL:
            return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        case MB_YESNO:
            return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        case MB_RETRYCANCEL:
            return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
        default:
            return {{QMessageBox::Ok, IDOK}};
    }
}

}  // namespace

int ShowQtMessageBox(const QString& text, unsigned flags, QWidget* parent) {
    if (parent == nullptr) {
        parent = QApplication::activeModalWidget();
    }
    if (parent == nullptr) {
        parent = QApplication::activeWindow();
    }
    const std::vector<ButtonAnswer> buttons = ButtonsOf(flags);
    const bool yesNo = (flags & MB_BUTTON_MASK) == MB_YESNO;
    MavrenMessageBox box(parent, !yesNo);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setWindowTitle(QStringLiteral("Mavren"));
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(IconOf(flags));
    std::vector<std::pair<QAbstractButton*, int>> answers;
    for (const ButtonAnswer& button : buttons) {
        answers.emplace_back(box.addButton(button.button), button.answer);
    }
    const bool second = (flags & MB_DEFBUTTON2) != 0 && answers.size() > 1;
    box.setDefaultButton(static_cast<QPushButton*>((second ? answers[1] : answers[0]).first));
    if (!yesNo) {
        // OK alone answers Escape with OK; otherwise Cancel does.
        box.setEscapeButton(answers.back().first);
    }
    box.exec();
    for (const auto& [button, answer] : answers) {
        if (box.clickedButton() == button) {
            return answer;
        }
    }
    return NegativeAnswer(flags);
}

int QtMessageBox::Show(const std::string& text, unsigned flags) {
    const QString boxText = QString::fromStdString(text);
    return CallOnGuiThread([&boxText, flags] { return ShowQtMessageBox(boxText, flags); },
                           NegativeAnswer(flags));
}
