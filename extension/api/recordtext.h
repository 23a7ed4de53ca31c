#pragma once

#include <QString>
#include <utility>
#include <vector>

/// A record's members by name, in their declared order.
using RecordMembers = std::vector<std::pair<const char*, QString>>;

/// `Type(name: "value", name: "value")`: how a record is shown in the log.
[[nodiscard]] QString recordText(const char* type, const RecordMembers& members);
