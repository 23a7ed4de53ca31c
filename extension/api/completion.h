#pragma once

#include "api/apiresult.h"
#include "mainqueue.h"

/// `completion`, run on `mainQueue` whichever thread hands it a result: every operation ends
/// there.
template <typename Value>
[[nodiscard]] ApiCompletion<Value> completingOn(MainQueue& mainQueue,
                                                ApiCompletion<Value> completion) {
    return [&mainQueue, completion = std::move(completion)](ApiResult<Value> result) {
        mainQueue.async([completion, result = std::move(result)]() mutable {
            if (completion) {
                completion(std::move(result));
            }
        });
    };
}
