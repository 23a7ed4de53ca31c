#pragma once

#include "urlsession.h"

#include <QString>
#include <cstdint>

/// Why a backend operation has no value.
class ApiError {
public:
    enum class Kind { serverError, networkError, invalidResponse, invalidData };

    /// What some callers react to beyond the kind.
    enum class Detail {
        none,
        /// A 2xx answer without a body.
        noBody,
        /// JSON that is not an object.
        notObject,
        /// The sign-in check before a summary failed; that check logged why.
        userCheckFailed,
        /// The user signed out before a summary was sent, so it was not.
        signedOut,
        /// The last retry failed too.
        retriesExhausted,
    };

    [[nodiscard]] static ApiError serverError(std::int64_t statusCode);
    [[nodiscard]] static ApiError networkError(URLError error);
    [[nodiscard]] static ApiError invalidResponse() { return ApiError(Kind::invalidResponse); }
    [[nodiscard]] static ApiError invalidData() { return ApiError(Kind::invalidData); }

    /// This error with `message` as what the operation says of it.
    [[nodiscard]] ApiError saying(QString message) const;
    [[nodiscard]] ApiError with(Detail detail) const;

    [[nodiscard]] Kind kind() const { return kind_; }
    [[nodiscard]] Detail detail() const { return detail_; }
    [[nodiscard]] std::int64_t statusCode() const { return statusCode_; }
    [[nodiscard]] const URLError& transportError() const { return transportError_; }
    /// The operation's own words for the failure: the line it logged, or the error text a
    /// reply shows.
    [[nodiscard]] const QString& message() const { return message_; }
    /// "serverError(503)", "networkError(<description>)", "invalidResponse" or "invalidData".
    [[nodiscard]] QString text() const;

    bool operator==(const ApiError& other) const;

private:
    explicit ApiError(Kind kind)
        : kind_(kind) {}

    Kind kind_;
    Detail detail_ = Detail::none;
    std::int64_t statusCode_ = 0;
    URLError transportError_;
    QString message_;
};
