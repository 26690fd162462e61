#include "support/scripted_message_box.h"

int ScriptedMessageBox::Show(const std::string& text, unsigned flags) {
    std::lock_guard lock(mutex);
    shown.push_back({text, flags});
    if ((flags & MB_BUTTON_MASK) == MB_OK) {
        return IDOK;  // nothing to decide
    }
    if (answers.empty()) {
        ++unscripted;
        return NegativeAnswer(flags);
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedMessageBox::QueueAnswer(int answer) {
    std::lock_guard lock(mutex);
    answers.push_back(answer);
}

std::vector<ScriptedMessageBox::Shown> ScriptedMessageBox::Boxes() const {
    std::lock_guard lock(mutex);
    return shown;
}

std::vector<std::string> ScriptedMessageBox::Texts() const {
    std::lock_guard lock(mutex);
    std::vector<std::string> texts;
    for (const Shown& box : shown) {
        texts.push_back(box.text);
    }
    return texts;
}

int ScriptedMessageBox::UnscriptedCount() const {
    std::lock_guard lock(mutex);
    return unscripted;
}
