#include "media/vips_module.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>

namespace {

struct Module {
    const VipsPictures* library = nullptr;
    std::string problem;  // why there is no library
};

std::atomic<bool> g_loaded{false};

// The programs find the module beside themselves, and tests in the build folder, through
// their library search path.
const Module& LoadedModule() {
    static std::once_flag loadOnce;
    static Module loaded;
    std::call_once(loadOnce, [] {
        g_loaded = true;
        void* module = ::dlopen("mavren-vips.so", RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* error = ::dlerror();
            loaded.problem = error != nullptr ? error : "mavren-vips.so could not be loaded";
            return;
        }
        // Never unloaded: libvips keeps threads and types of its own for the process.
        using Entry = const VipsPictures* (*)();
        const auto entry = reinterpret_cast<Entry>(::dlsym(module, "MavrenVipsPictures"));
        loaded.library = entry != nullptr ? entry() : nullptr;
        if (loaded.library == nullptr) {
            loaded.problem = "libvips could not be started";
        }
    });
    return loaded;
}

}  // namespace

const VipsPictures* VipsModule() {
    return LoadedModule().library;
}

Result VipsModuleProblem() {
    const std::string& problem = LoadedModule().problem;
    return problem.empty() ? Result::Ok() : Result::Failure(problem);
}

bool VipsModuleLoaded() {
    return g_loaded;
}
