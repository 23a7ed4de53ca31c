#pragma once

#include "api/apiresult.h"
#include "platform.h"

#include <type_traits>

/// Hands `result` to `completion` on the main thread, where every operation ends.
template <typename Value>
void complete(const ApiCompletion<Value>& completion,
              std::type_identity_t<ApiResult<Value>> result) {
    Platform::current().mainQueue().async([completion, result = std::move(result)]() mutable {
        if (completion) {
            completion(std::move(result));
        }
    });
}
