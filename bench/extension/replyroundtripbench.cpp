// One reply request through the extension's request core against a bare
// QNetworkAccessManager POST of the same bytes to the same loopback server.
#include "api/handleapirequests.h"
#include "api/json.h"
#include "capturedlog.h"
#include "platform.h"
#include "support/measure.h"
#include "testhttpsserver.h"
#include "testplatform.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWarmUp = 20;
constexpr int kRounds = 300;
const GenerateResponseBody kBody{"<m@x>", QString(2000, QLatin1Char('w')), "me@example.com"};

class BareClient {
public:
    BareClient(const std::filesystem::path& authority, QUrl url)
        : url_(std::move(url)) {
        configuration_ = QSslConfiguration::defaultConfiguration();
        QList<QSslCertificate> authorities = configuration_.caCertificates();
        authorities.append(QSslCertificate::fromPath(QString::fromStdString(authority.string())));
        configuration_.setCaCertificates(authorities);
        body_ = *encodeBody(toJson(kBody)).bytes;
    }

    bool post() {
        QNetworkRequest request(url_);
        request.setRawHeader("Content-Type", "application/json");
        request.setRawHeader("Accept", "application/json");
        request.setRawHeader("Authorization", "Bearer tok");
        request.setTransferTimeout(60000);
        request.setSslConfiguration(configuration_);
        QNetworkReply* reply = manager_.post(request, body_);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const bool ok = reply->error() == QNetworkReply::NoError && !reply->readAll().isEmpty();
        reply->deleteLater();
        return ok;
    }

private:
    QUrl url_;
    QNetworkAccessManager manager_;
    QSslConfiguration configuration_;
    QByteArray body_;
};

bool generate(const QUrl& url) {
    // The answer reaches the caller through the GUI thread's event loop, as in the extension.
    QEventLoop loop;
    bool ok = false;
    const Platform& platform = Platform::current();
    HandleApiRequests(platform.urlSession(), platform.mainQueue())
        .generateResponse(url, "tok", kBody, "<m@x>",
                          [&](const ApiResult<GeneratedResponse>& result) {
                              ok = std::holds_alternative<GeneratedResponse>(result);
                              loop.quit();
                          });
    QTimer::singleShot(std::chrono::seconds(60), &loop, &QEventLoop::quit);
    loop.exec();
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    TestHttpsServer server;
    server.on("/api/v1/response",
              ScriptedReply{200, R"({"response":")" + std::string(2000, 'r') + R"("})"});
    Platform::Services services;
    services.log = std::make_unique<CapturedLog>();
    services.mainQueue = std::make_unique<QtMainQueue>();
    services.urlSession = TestPlatform::realSession(server.certificateAuthorityFile());
    Platform::install(std::make_unique<Platform>(std::move(services)));
    const QUrl url(QString::fromStdString(server.baseUrl() + "/api/v1/response"));
    BareClient bare(server.certificateAuthorityFile(), url);

    int failures = 0;
    const auto ourRequest = [&] { failures += generate(url) ? 0 : 1; };
    const auto barePost = [&] { failures += bare.post() ? 0 : 1; };
    for (int i = 0; i < kWarmUp; ++i) {
        ourRequest();
        barePost();
    }
    std::vector<double> ours;
    std::vector<double> baseline;
    for (int i = 0; i < kRounds; ++i) {
        ours.push_back(bench::secondsOf(ourRequest));
        baseline.push_back(bench::secondsOf(barePost));
    }
    const double oursMedian = bench::median(ours);
    const double baselineMedian = bench::median(baseline);
    std::printf("generateResponse round trip: median %.3f ms, bare POST %.3f ms, failures %d\n",
                oursMedian * 1e3, baselineMedian * 1e3, failures);
    bench::printRatio("reply_round_trip", oursMedian / baselineMedian, "<= 1.15");
    Platform::uninstall();
    return failures == 0 ? 0 : 1;
}
