#pragma once

#include "urlsession.h"

#include <QThread>
#include <chrono>
#include <filesystem>
#include <optional>

class NetworkWorker;

struct QtURLSessionOptions {
    /// A PEM file of certificate authorities trusted besides the system's.
    std::optional<std::filesystem::path> extraCertificateAuthorities;
    /// Where answers are cached; no cache when absent.
    std::optional<std::filesystem::path> cacheDirectory;
    /// An answer that grows past this many bytes fails, so that a server cannot fill the
    /// memory by sending without end; the backend takes mails of up to 40 MiB.
    qint64 largestAnswer = qint64(64) << 20;
    /// A request not answered whole by then fails as timed out. A request's own timeout counts
    /// only silence, which a server that trickles its answer never leaves.
    std::chrono::milliseconds longestRequest = std::chrono::minutes(3);
};

/// URLSession over QNetworkAccessManager, which lives on a network thread of its own.
class QtURLSession : public URLSession {
public:
    explicit QtURLSession(const QtURLSessionOptions& options);
    ~QtURLSession() override;
    QtURLSession(const QtURLSession&) = delete;
    QtURLSession& operator=(const QtURLSession&) = delete;

    /// Options from the environment: QUORVANE_CA_CERTS and the user's cache folder.
    [[nodiscard]] static QtURLSessionOptions standardOptions();

    void dataTask(URLRequest request, DataTaskCompletion completion) override;
    void removeAllCachedResponses() override;

private:
    QThread thread_;
    NetworkWorker* worker_;
};
