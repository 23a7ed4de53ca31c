#pragma once

/// Stores `value` in `field`; true when that changed it, so that the caller announces it.
template <typename T> [[nodiscard]] bool assignChanged(T& field, const T& value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}
