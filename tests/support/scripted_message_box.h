#pragma once

// Message boxes for tests: every box is recorded, and the answers to questions come
// from a queue the test fills beforehand (OK boxes take none). When the queue is empty
// a question gets the negative answer and is counted, so a test that forgot a question
// notices it. Safe from any thread.

#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/mutex.h"

class ScriptedMessageBox : public MessageBoxBackend {
  public:
    struct Shown {
        std::string text;
        unsigned flags;
    };

    int Show(const std::string& text, unsigned flags) override;

    void QueueAnswer(int answer);
    std::vector<Shown> Boxes() const;
    std::vector<std::string> Texts() const;
    int UnscriptedCount() const;

  private:
    mutable Mutex mutex;
    std::deque<int> answers GUARDED_BY(mutex);
    std::vector<Shown> shown GUARDED_BY(mutex);
    int unscripted GUARDED_BY(mutex) = 0;
};
