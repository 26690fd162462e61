// Every test of a program that links this file runs with HOME and the XDG folders in a
// temporary folder.

#include "support/isolated_home.h"

namespace {

const auto* const kIsolatedHome = ::testing::AddGlobalTestEnvironment(new IsolatedHome);

}  // namespace
