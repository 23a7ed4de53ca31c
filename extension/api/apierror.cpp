#include "api/apierror.h"

ApiError ApiError::serverError(std::int64_t statusCode) {
    ApiError error(Kind::serverError);
    error.statusCode_ = statusCode;
    return error;
}

ApiError ApiError::networkError(URLError transportError) {
    ApiError error(Kind::networkError);
    error.transportError_ = std::move(transportError);
    return error;
}

ApiError ApiError::saying(QString message) const {
    ApiError error = *this;
    error.message_ = std::move(message);
    return error;
}

ApiError ApiError::with(Detail detail) const {
    ApiError error = *this;
    error.detail_ = detail;
    return error;
}

QString ApiError::text() const {
    switch (kind_) {
    case Kind::serverError:
        return QStringLiteral("serverError(%1)").arg(statusCode_);
    case Kind::networkError:
        return QStringLiteral("networkError(%1)").arg(transportError_.description);
    case Kind::invalidResponse:
        return QStringLiteral("invalidResponse");
    case Kind::invalidData:
        return QStringLiteral("invalidData");
    }
    return {};
}

bool ApiError::operator==(const ApiError& other) const {
    return kind_ == other.kind_ && detail_ == other.detail_ && statusCode_ == other.statusCode_ &&
           message_ == other.message_ && transportError_.code == other.transportError_.code &&
           transportError_.description == other.transportError_.description;
}
