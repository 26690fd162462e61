#include "work/settings_failures.h"

#include "platform/message_box.h"
#include "platform/registry_store.h"

bool CheckSettings() {
    const Result checked = CheckRegistryStore();
    if (RegistryStoreFailureToTell(checked)) {
        ShowMessageBox(RegistryStoreUnusableText(checked), MB_OK | MB_ICONSTOP);
    }
    return checked.ok();
}

void TellSettingsWriteFailure(const Result& written) {
    if (RegistryStoreFailureToTell(written)) {
        ShowMessageBox(RegistryStoreChangeFailedText(written), MB_OK);
    }
}

void PostSettingsWriteFailure(const std::shared_ptr<WorkerMessageReceiver>& window,
                              const Result& written) {
    if (RegistryStoreFailureToTell(written)) {
        PostErrorText(window, RegistryStoreChangeFailedText(written), MB_OK);
    }
}
