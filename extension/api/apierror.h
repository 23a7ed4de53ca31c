#pragma once

#include "urlsession.h"

#include <QString>
#include <cstdint>

/// Why a backend request failed, as the chat operations report it.
class ApiError {
public:
    enum class Kind { serverError, networkError, invalidResponse, invalidData };

    [[nodiscard]] static ApiError serverError(std::int64_t statusCode);
    [[nodiscard]] static ApiError networkError(URLError error);
    [[nodiscard]] static ApiError invalidResponse() { return ApiError(Kind::invalidResponse); }
    [[nodiscard]] static ApiError invalidData() { return ApiError(Kind::invalidData); }

    [[nodiscard]] Kind kind() const { return kind_; }
    [[nodiscard]] std::int64_t statusCode() const { return statusCode_; }
    [[nodiscard]] const URLError& transportError() const { return transportError_; }
    /// "serverError(503)", "networkError(<description>)", "invalidResponse" or "invalidData".
    [[nodiscard]] QString text() const;

    bool operator==(const ApiError& other) const;

private:
    explicit ApiError(Kind kind)
        : kind_(kind) {}

    Kind kind_;
    std::int64_t statusCode_ = 0;
    URLError transportError_;
};
