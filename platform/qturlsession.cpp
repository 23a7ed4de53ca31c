#include "qturlsession.h"

#include "log.h"

#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

// Qt reports an HTTP error status as a reply error too; only these mean no usable answer.
bool isTransportError(QNetworkReply::NetworkError error, bool hasStatus) {
    if (error == QNetworkReply::NoError) {
        return false;
    }
    const int code = static_cast<int>(error);
    const bool fromStatus = (code >= 201 && code <= 299) || (code >= 401 && code <= 499) ||
                            error == QNetworkReply::ProtocolInvalidOperationError;
    return !(hasStatus && fromStatus);
}

bool sameOrigin(const QUrl& a, const QUrl& b) {
    const auto port = [](const QUrl& url) {
        return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
    };
    return a.scheme() == b.scheme() && a.host() == b.host() && port(a) == port(b);
}

/// The disk cache, minus the file lookup with which every POST invalidates its URL while
/// nothing is cached, which is nearly always: backend answers carry no caching headers.
class ResponseCache final : public QNetworkDiskCache {
public:
    using QNetworkDiskCache::QNetworkDiskCache;

    bool remove(const QUrl& url) override {
        return cacheSize() > 0 && QNetworkDiskCache::remove(url);
    }
};

} // namespace

/// Owns the network access manager on the network thread.
class NetworkWorker : public QObject {
public:
    explicit NetworkWorker(const QtURLSessionOptions& options)
        : options_(options) {}

    void start(const URLRequest& request, const DataTaskCompletion& completion) {
        ensureManager();
        QNetworkRequest networkRequest(request.url);
        for (const auto& [field, value] : request.headers) {
            networkRequest.setRawHeader(field, value);
        }
        networkRequest.setTransferTimeout(
            static_cast<int>(std::lround(request.timeoutInterval * 1000.0)));
        networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                                    QNetworkRequest::PreferNetwork);
        networkRequest.setSslConfiguration(sslConfiguration_);
        const bool bearer = std::ranges::any_of(request.headers, [](const auto& header) {
            return header.first.compare("Authorization", Qt::CaseInsensitive) == 0;
        });
        // A token is for its server only, and an answer that carries one stays off the disk.
        if (bearer || !request.cacheable) {
            networkRequest.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        }
        if (bearer) {
            networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                        QNetworkRequest::UserVerifiedRedirectPolicy);
        }
        // Qt caches only what it sends as a plain GET, never a custom verb.
        QNetworkReply* reply =
            request.httpMethod == "GET" && !request.httpBody
                ? manager_->get(networkRequest)
                : manager_->sendCustomRequest(networkRequest, request.httpMethod,
                                              request.httpBody.value_or(QByteArray()));
        // The status of a redirect that was not followed; the answer ends there.
        auto refusedRedirect = std::make_shared<std::optional<qint64>>();
        if (bearer) {
            QObject::connect(
                reply, &QNetworkReply::redirected, this,
                [reply, origin = request.url, refusedRedirect](const QUrl& target) {
                    if (sameOrigin(origin, origin.resolved(target))) {
                        emit reply->redirectAllowed();
                        return;
                    }
                    *refusedRedirect =
                        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toLongLong();
                    reply->abort();
                });
        }
        // Aborted, it ends as a timeout: requests are never cancelled otherwise.
        QTimer::singleShot(options_.longestRequest, reply, [reply] { reply->abort(); });
        auto tooLarge = std::make_shared<bool>(false);
        QObject::connect(
            reply, &QNetworkReply::downloadProgress, this,
            [reply, tooLarge, largest = options_.largestAnswer](qint64 received, qint64 declared) {
                if (!*tooLarge && std::max(received, declared) > largest) {
                    *tooLarge = true;
                    reply->abort();
                }
            });
        QObject::connect(
            reply, &QNetworkReply::finished, this,
            [reply, completion, refusedRedirect, tooLarge, largest = options_.largestAnswer] {
                reply->deleteLater();
                if (*refusedRedirect) {
                    completion(QByteArray(), HTTPURLResponse{**refusedRedirect}, std::nullopt);
                    return;
                }
                if (*tooLarge) {
                    completion(std::nullopt, std::nullopt,
                               URLError{static_cast<int>(QNetworkReply::UnknownContentError),
                                        QStringLiteral("The answer is larger than %1 MiB.")
                                            .arg(largest >> 20)});
                    return;
                }
                const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
                if (isTransportError(reply->error(), status.isValid())) {
                    // Requests are never cancelled: Qt reports the transfer timeout as a cancel.
                    const bool timedOut = reply->error() == QNetworkReply::OperationCanceledError;
                    completion(std::nullopt, std::nullopt,
                               URLError{static_cast<int>(reply->error()),
                                        timedOut ? QStringLiteral("The request timed out.")
                                                 : reply->errorString()});
                    return;
                }
                std::optional<HTTPURLResponse> response;
                if (status.isValid()) {
                    response = HTTPURLResponse{status.toLongLong()};
                }
                completion(reply->readAll(), response, std::nullopt);
            });
    }

    void clearCache() {
        if (manager_ && manager_->cache()) {
            manager_->cache()->clear();
        }
    }

private:
    void ensureManager() {
        if (manager_) {
            return;
        }
        manager_ = new QNetworkAccessManager(this);
        if (options_.cacheDirectory) {
            auto* cache = new ResponseCache(manager_);
            cache->setCacheDirectory(QString::fromStdString(options_.cacheDirectory->string()));
            manager_->setCache(cache);
        }
        sslConfiguration_ = QSslConfiguration::defaultConfiguration();
        if (options_.extraCertificateAuthorities) {
            const QString path =
                QString::fromStdString(options_.extraCertificateAuthorities->string());
            const QList<QSslCertificate> extra = QSslCertificate::fromPath(path);
            if (extra.isEmpty()) {
                Log::line(QStringLiteral("No certificate could be read from %1.").arg(path));
            }
            sslConfiguration_.addCaCertificates(extra);
        }
    }

    QtURLSessionOptions options_;
    QNetworkAccessManager* manager_ = nullptr;
    QSslConfiguration sslConfiguration_;
};

QtURLSession::QtURLSession(const QtURLSessionOptions& options)
    : worker_(new NetworkWorker(options)) {
    thread_.setObjectName(QStringLiteral("network"));
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

QtURLSession::~QtURLSession() {
    thread_.quit();
    thread_.wait();
}

QtURLSessionOptions QtURLSession::standardOptions() {
    QtURLSessionOptions options;
    if (const char* authorities = std::getenv("QUORVANE_CA_CERTS"); authorities && *authorities) {
        options.extraCertificateAuthorities = authorities;
    }
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    if (cache && *cache) {
        options.cacheDirectory = std::filesystem::path(cache) / "quorvane" / "http";
    } else if (home && *home) {
        options.cacheDirectory = std::filesystem::path(home) / ".cache" / "quorvane" / "http";
    }
    return options;
}

void QtURLSession::dataTask(URLRequest request, DataTaskCompletion completion) {
    QMetaObject::invokeMethod(
        worker_,
        [worker = worker_, request = std::move(request), completion = std::move(completion)] {
            worker->start(request, completion);
        },
        Qt::QueuedConnection);
}

void QtURLSession::removeAllCachedResponses() {
    QMetaObject::invokeMethod(
        worker_, [worker = worker_] { worker->clearCache(); }, Qt::BlockingQueuedConnection);
}
