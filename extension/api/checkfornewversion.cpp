#include "api/answer.h"
#include "api/handleapirequests.h"
#include "api/requestbuilder.h"
#include "platform.h"
#include "stores/incommingupdatesmanager.h"
#include "url.h"

namespace {

void handleAnswer(const Answer::Classified& answer) {
    MainQueue& mainQueue = Platform::current().mainQueue();
    if (Answer::logGetFailure(answer,
                              QStringLiteral("Error parsing response data from server: "))) {
        return;
    }
    const auto* object = std::get_if<Answer::Object>(&answer);
    if (object == nullptr) {
        Log::line("Server error. Please try again.");
        mainQueue.async(
            [] { IncommingUpdatesManager::shared().setIncommingUpdatesAvailable(false); });
        return;
    }
    Log::line("JSON response is:", describe(object->value));
    if (std::optional<QString> version = Answer::stringMember(object->value, "current_version")) {
        mainQueue.async([version] {
            Log::line("The new available version is:", *version);
            IncommingUpdatesManager::shared().newVersion = version;
        });
    } else {
        Log::line("New app version is null in response");
        mainQueue.async([] { IncommingUpdatesManager::shared().newVersion.reset(); });
    }
    const std::optional<QString> download = Answer::stringMember(object->value, "download_url");
    if (!download) {
        Log::line("New download URL is null in response");
    }
    mainQueue.async([download] {
        IncommingUpdatesManager& updates = IncommingUpdatesManager::shared();
        updates.updateUrl = download;
        updates.setIncommingUpdatesAvailable(download.has_value());
    });
}

} // namespace

void HandleApiRequests::checkForNewVersion(const QString& urlText, const QString& currentVersion) {
    std::optional<QUrl> url = parseUrl(urlText);
    if (!url) {
        Log::line("Invalid URL");
        return;
    }
    // '+' and '&' must not reach the server as query syntax.
    url->setQuery(QStringLiteral("currentVersion=") +
                      QString::fromLatin1(QUrl::toPercentEncoding(currentVersion)),
                  QUrl::StrictMode);
    if (!url->isValid()) {
        Log::line("Failed to construct URL with query parameter");
        return;
    }
    URLRequest request = makeBackendRequest(*url, "GET", {});
    Log::line("Sending request to URL:", *url);
    Platform::current().urlSession().dataTask(
        std::move(request), [](auto data, auto response, auto error) {
            handleAnswer(Answer::classify(data, response, error, Answer::Checks::GetAnswer));
        });
}
