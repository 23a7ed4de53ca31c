#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

/// `Type(name: "value", name: "value")`: how a request body is shown in the log.
[[nodiscard]] QString recordText(const char* type,
                                 std::initializer_list<std::pair<const char*, QString>> members);
