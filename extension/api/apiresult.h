#pragma once

#include "api/apierror.h"

#include <functional>
#include <variant>

/// The value a backend operation produced, or why there is none.
template <typename Value> using ApiResult = std::variant<Value, ApiError>;

/// Runs exactly once per operation, on the main thread.
template <typename Value> using ApiCompletion = std::function<void(ApiResult<Value>)>;
