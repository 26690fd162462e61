#include "generate/picture_size_question.h"

#include "platform/message_box.h"
#include "platform/paths.h"

bool GoOnWithoutPictureSize(const std::string& error, const std::string& measured,
                            const std::string& source,
                            const std::shared_ptr<WorkerMessageReceiver>& window) {
    const QuestionAnswerer answerer = CurrentAnswerer();
    if (answerer == QuestionAnswerer::NoOne || answerer == QuestionAnswerer::AlwaysYes) {
        // One picture the site can list by its name is no reason to stop a scripted run.
        PostStatusText(window, ReplaceAll(ReplaceAll(error, measured, source), "\n\n", " "));
        return true;
    }
    return ShowMessageBox(error + "\n\nDo you want to continue?", MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}
