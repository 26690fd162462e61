#include "ui/forget_request.h"

#include "platform/registry.h"
#include "platform/result.h"
#include "work/settings_failures.h"

bool HonourForgetRequest() {
    if (GetRegistryString(kWindowPositionsKey, "Forget", HKEY_CURRENT_USER).empty()) {
        return false;
    }
    for (const char* subkey : {"Window Positions", "Dont Show Again"}) {
        // Either may be missing already: the request is honoured all the same.
        if (const Result deleted = DeleteRegistryKey(kApplicationKey, subkey, HKEY_CURRENT_USER);
            !deleted.ok() && deleted.kind() != Result::Kind::NotFound) {
            TellSettingsWriteFailure(deleted);
        }
    }
    return true;
}
