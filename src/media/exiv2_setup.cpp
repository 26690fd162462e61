#include "media/exiv2_setup.h"

#include <mutex>

#include <exiv2/exiv2.hpp>

namespace {

std::recursive_mutex g_xmpMutex;

void LockXmp(void* data, bool lock) {
    auto* mutex = static_cast<std::recursive_mutex*>(data);
    if (lock) {
        mutex->lock();
    } else {
        mutex->unlock();
    }
}

}  // namespace

void PrepareExiv2() {
    // The XMP toolkit must not be started from two threads at once.
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(LockXmp, &g_xmpMutex);
        Exiv2::enableBMFF(true);
    });
}
