#include "api/answer.h"
#include "api/completion.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"
#include "url.h"

namespace {

ApiResult<VersionOffer> offerOf(const Answer::Classified& answer) {
    if (std::optional<ApiError> failure = Answer::getFailure(
            answer, QStringLiteral("Error parsing response data from server: "))) {
        return *std::move(failure);
    }
    const Json& object = std::get<Answer::Object>(answer).value;
    Log::line("JSON response is:", describe(object));
    VersionOffer offer{Answer::stringMember(object, "current_version"),
                       Answer::stringMember(object, "download_url")};
    if (!offer.newVersion) {
        Log::line("New app version is null in response");
    }
    if (!offer.updateUrl) {
        Log::line("New download URL is null in response");
    }
    return offer;
}

} // namespace

void HandleApiRequests::checkForNewVersion(const QString& urlText, const QString& currentVersion,
                                           ApiCompletion<VersionOffer> completion) const {
    completion = completingOn(mainQueue_, std::move(completion));
    std::optional<QUrl> url = parseUrl(urlText);
    if (!url) {
        completion(Answer::invalidUrl(QStringLiteral("Invalid URL")));
        return;
    }
    // '+' and '&' must not reach the server as query syntax.
    url->setQuery(QStringLiteral("currentVersion=") +
                      QString::fromLatin1(QUrl::toPercentEncoding(currentVersion)),
                  QUrl::StrictMode);
    if (!url->isValid()) {
        completion(
            Answer::invalidUrl(QStringLiteral("Failed to construct URL with query parameter")));
        return;
    }
    URLRequest request = makeBackendRequest(*url, "GET", {});
    Log::line("Sending request to URL:", *url);
    network_.dataTask(std::move(request), [completion = std::move(completion)](
                                              auto data, auto response, auto error) {
        completion(offerOf(Answer::classify(data, response, error, Answer::Checks::GetAnswer)));
    });
}
