#include "urlsession.h"

#include <algorithm>

void URLRequest::setValue(const QByteArray& value, const QByteArray& field) {
    const auto same = [&field](const auto& header) {
        return header.first.compare(field, Qt::CaseInsensitive) == 0;
    };
    if (auto it = std::find_if(headers.begin(), headers.end(), same); it != headers.end()) {
        it->second = value;
    } else {
        headers.emplace_back(field, value);
    }
}
