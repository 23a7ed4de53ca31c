#pragma once

#include "commandline.h"
#include "openstore.h"

namespace backend {

/// Runs the API, and the sign-in listener when asked for, until SIGINT or SIGTERM.
int serve(const StoreLocation& location, const ServeSettings& settings);

} // namespace backend
