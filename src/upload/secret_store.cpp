#include "upload/secret_store.h"

#include <dlfcn.h>

#include <mutex>

#include "platform/registry_store.h"
#include "upload/secret_service_calls.h"

namespace {

struct Module {
    const SecretServiceCalls* calls = nullptr;
    std::string problem;  // why there are none
};

// Loads the libsecret module once. The programs find it beside themselves, and tests in
// the build folder, through their library search path.
const Module& LoadedModule() {
    static std::once_flag loadOnce;
    static Module loaded;
    std::call_once(loadOnce, [] {
        void* module = ::dlopen("mavren-secrets.so", RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* error = ::dlerror();
            loaded.problem = error != nullptr ? error : "mavren-secrets.so could not be loaded";
            return;
        }
        // Never unloaded: glib keeps threads and types of its own for the process.
        using Entry = const SecretServiceCalls* (*)();
        const auto entry = reinterpret_cast<Entry>(::dlsym(module, "MavrenSecretService"));
        loaded.calls = entry != nullptr ? entry() : nullptr;
        if (loaded.calls == nullptr) {
            loaded.problem = "mavren-secrets.so holds no secret store calls";
        }
    });
    return loaded;
}

}  // namespace

bool SecretStoreAvailable() {
    const Module& module = LoadedModule();
    return module.calls != nullptr && module.calls->Available();
}

bool StoreFtpPassword(const std::string& name, const std::string& password, std::string& problem) {
    const Module& module = LoadedModule();
    if (module.calls == nullptr) {
        problem = module.problem;
        return false;
    }
    return module.calls->Store(name, RegistryStorePath(), password, problem);
}

bool LookUpFtpPassword(const std::string& name, std::string& password, std::string& problem) {
    const Module& module = LoadedModule();
    if (module.calls == nullptr) {
        problem = module.problem;
        return false;
    }
    return module.calls->LookUp(name, RegistryStorePath(), password, problem);
}

bool ClearFtpPassword(const std::string& name) {
    const Module& module = LoadedModule();
    return module.calls != nullptr && module.calls->Clear(name, RegistryStorePath());
}
