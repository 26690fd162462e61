#include "ui/forget_request.h"

#include "platform/registry.h"

bool HonourForgetRequest() {
    if (GetRegistryString(kWindowPositionsKey, "Forget", HKEY_CURRENT_USER).empty()) {
        return false;
    }
    DeleteRegistryKey(kApplicationKey, "Window Positions", HKEY_CURRENT_USER);
    DeleteRegistryKey(kApplicationKey, "Dont Show Again", HKEY_CURRENT_USER);
    return true;
}
