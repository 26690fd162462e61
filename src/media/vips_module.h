#pragma once

// The libvips module (vips_pictures.h), loaded on the first call that needs it and never
// unloaded. A run whose pictures are all up to date never calls it, and so never pays for
// loading libvips. Safe to call from any thread.

#include <string>

#include "media/vips_pictures.h"
#include "platform/result.h"

// The started library, or null when the module is missing or libvips could not start.
const VipsPictures* VipsModule();

// Why VipsModule() is null as a failure, or Ok when it is not; loads the module to find out.
Result VipsModuleProblem();

// True when the module has been loaded in this process; loads nothing.
bool VipsModuleLoaded();
