#include "ui/forget_request.h"

#include "platform/registry.h"

bool HonourForgetRequest() {
    if (GetRegistryString(kWindowPositionsKey, "Forget", HKEY_CURRENT_USER).empty()) {
        return false;
    }
    // Either may be missing already, and the request is honoured all the same.
    static_cast<void>(DeleteRegistryKey(kApplicationKey, "Window Positions", HKEY_CURRENT_USER));
    static_cast<void>(DeleteRegistryKey(kApplicationKey, "Dont Show Again", HKEY_CURRENT_USER));
    return true;
}
