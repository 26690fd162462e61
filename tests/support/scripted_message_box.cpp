#include "support/scripted_message_box.h"

int ScriptedMessageBox::Show(const std::string& text, unsigned flags) {
    MutexLock lock(mutex);
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
    MutexLock lock(mutex);
    answers.push_back(answer);
}

std::vector<ScriptedMessageBox::Shown> ScriptedMessageBox::Boxes() const {
    MutexLock lock(mutex);
    return shown;
}

std::vector<std::string> ScriptedMessageBox::Texts() const {
    MutexLock lock(mutex);
    std::vector<std::string> texts;
    for (const Shown& box : shown) {
        texts.push_back(box.text);
    }
    return texts;
}

int ScriptedMessageBox::UnscriptedCount() const {
    MutexLock lock(mutex);
    return unscripted;
}
