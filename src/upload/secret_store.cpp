#include "upload/secret_store.h"

#include <dlfcn.h>

#include <functional>
#include <mutex>
#include <utility>

#include "platform/ascii.h"
#include "platform/message_box.h"
#include "platform/mutex.h"
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

// Why the store was given up for the process; empty while it was not. A store that
// hangs would otherwise stall every call after the first one too.
Mutex givenUpMutex;
std::string givenUp GUARDED_BY(givenUpMutex);

// Makes one call to the store, unless there is none or it was given up: the call's
// Result, or why it was not made. A call that timed out (Network) gives the store up.
Result Call(const std::function<Result(const SecretServiceCalls&)>& call) {
    const Module& module = LoadedModule();
    if (module.calls == nullptr) {
        return Result::Failure(module.problem);
    }
    {
        MutexLock lock(givenUpMutex);
        if (!givenUp.empty()) {
            return Result::Failure(givenUp, Result::Kind::Network);
        }
    }
    Result made = call(*module.calls);
    if (made.ok() || made.kind() != Result::Kind::Network) {
        return made;
    }
    bool first = false;
    {
        MutexLock lock(givenUpMutex);
        first = givenUp.empty();
        if (first) {
            givenUp = made.text();
        }
    }
    if (first) {
        std::string line = made.text() + "; Mavren goes on without it.";
        line[0] = AsciiUpper(line[0]);
        ShowMessageBox(line, MB_OK | MB_ICONEXCLAMATION);
    }
    return made;
}

}  // namespace

bool SecretStoreAvailable() {
    return Call([](const SecretServiceCalls& calls) { return calls.Available(); }).ok();
}

Result StoreFtpPassword(const std::string& name, const std::string& password) {
    return Call([&](const SecretServiceCalls& calls) {
        return calls.Store(name, RegistryStorePath(), password);
    });
}

Expected<std::string> LookUpFtpPassword(const std::string& name) {
    std::string password;
    const Result given = Call([&](const SecretServiceCalls& calls) {
        Expected<std::string> found = calls.LookUp(name, RegistryStorePath());
        if (!found.ok()) {
            return found.failure();
        }
        password = std::move(*found);
        return Result::Ok();
    });
    if (!given.ok()) {
        return given;
    }
    return password;
}

bool ClearFtpPassword(const std::string& name) {
    return Call([&](const SecretServiceCalls& calls) {
               return calls.Clear(name, RegistryStorePath());
           })
        .ok();
}
