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

// Makes one call to the store, unless there is none or it was given up. True when the
// call was done; otherwise false with the reason in problem.
bool Call(const std::function<SecretCallEnd(const SecretServiceCalls&)>& call,
          std::string& problem) {
    const Module& module = LoadedModule();
    if (module.calls == nullptr) {
        problem = module.problem;
        return false;
    }
    {
        MutexLock lock(givenUpMutex);
        if (!givenUp.empty()) {
            problem = givenUp;
            return false;
        }
    }
    const SecretCallEnd end = call(*module.calls);
    if (end != SecretCallEnd::TimedOut) {
        return end == SecretCallEnd::Done;
    }
    bool first = false;
    {
        MutexLock lock(givenUpMutex);
        first = givenUp.empty();
        if (first) {
            givenUp = problem;
        }
    }
    if (first) {
        std::string line = problem + "; Mavren goes on without it.";
        line[0] = AsciiUpper(line[0]);
        ShowMessageBox(line, MB_OK | MB_ICONEXCLAMATION);
    }
    return false;
}

}  // namespace

bool SecretStoreAvailable() {
    std::string problem;
    return Call([&](const SecretServiceCalls& calls) { return calls.Available(problem); }, problem);
}

Result StoreFtpPassword(const std::string& name, const std::string& password) {
    std::string problem;
    const bool stored = Call(
        [&](const SecretServiceCalls& calls) {
            return calls.Store(name, RegistryStorePath(), password, problem);
        },
        problem);
    return stored ? Result::Ok() : Result::Failure(std::move(problem));
}

Expected<std::string> LookUpFtpPassword(const std::string& name) {
    std::string password;
    std::string problem;
    const bool given = Call(
        [&](const SecretServiceCalls& calls) {
            return calls.LookUp(name, RegistryStorePath(), password, problem);
        },
        problem);
    if (!given) {
        return Result::Failure(std::move(problem));
    }
    return password;
}

bool ClearFtpPassword(const std::string& name) {
    std::string problem;
    return Call(
        [&](const SecretServiceCalls& calls) {
            return calls.Clear(name, RegistryStorePath(), problem);
        },
        problem);
}
