#include "api/requestbuilder.h"

#include <algorithm>

URLRequest makeBackendRequest(const QUrl& url, const QByteArray& method,
                              std::initializer_list<RequestHeader> headers,
                              const QString& accessToken) {
    const auto wants = [&headers](RequestHeader header) {
        return std::find(headers.begin(), headers.end(), header) != headers.end();
    };
    URLRequest request;
    request.url = url;
    request.timeoutInterval = 60.0;
    request.httpMethod = method;
    if (wants(RequestHeader::ContentType)) {
        request.setValue("application/json", "Content-Type");
    }
    if (wants(RequestHeader::Accept)) {
        request.setValue("application/json", "Accept");
    }
    if (wants(RequestHeader::Authorization)) {
        request.setValue("Bearer " + accessToken.toUtf8(), "Authorization");
    }
    return request;
}
