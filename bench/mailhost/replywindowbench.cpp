// Opening a reply to a mail whose 5 MB body is one long line, as the host does on Reply (the
// quote drafted, the window made with the extension's area, its first frame drawn offscreen),
// against parsing the same mail with GMime and reading its text. Prints the median of each, in
// alternating rounds, and their ratio.
#include "composewindow.h"
#include "extensionloader.h"
#include "gmimebaseline.h"
#include "messageparser.h"
#include "support/measure.h"

#include <QApplication>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 9;
constexpr qsizetype kBodyBytes = qsizetype(5) << 20;

/// A mail whose text is one line of markup-like words, as HTML mails often are.
QByteArray oneLineMail() {
    QByteArray mail = "From: Ann <ann@example.org>\nTo: bob@example.org\nSubject: Newsletter\n"
                      "Date: Tue, 01 Dec 2026 09:00:00 +0000\nMIME-Version: 1.0\n"
                      "Content-Type: text/plain; charset=utf-8\n\n";
    const QByteArray words = R"(<td class="cell">Réunion à Lyon, <b>mardi</b></td> )";
    const qsizetype end = mail.size() + kBodyBytes;
    mail.reserve(end + words.size() + 1);
    while (mail.size() < end) {
        mail += words;
    }
    return mail + '\n';
}

} // namespace

int main(int argc, char** argv) {
    // Offscreen, with the extension's stores in a folder of the run's own and its backend on a
    // loopback port where nothing listens.
    const QTemporaryDir home;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", home.filePath("cache").toUtf8());
    qputenv("QUORVANE_LIVE_URL", "https://127.0.0.1:9");
    QApplication application(argc, argv);
    auto loaded = loadExtension(QStringLiteral(QUORVANE_BUNDLE_EXTENSIONS_DIR));
    if (auto* error = std::get_if<LoadError>(&loaded)) {
        std::fprintf(stderr, "%s\n", error->message.toLocal8Bit().constData());
        return 1;
    }
    MEExtension& extension = std::get<MEExtensionPlugin*>(loaded)->principalObject();

    const QByteArray mail = oneLineMail();
    auto parsed = parseMessage(mail);
    if (std::holds_alternative<MessageError>(parsed)) {
        std::fputs("the benchmark's mail does not parse\n", stderr);
        return 1;
    }
    const auto message = std::make_shared<MailMessage>(std::get<MailMessage>(std::move(parsed)));
    QQmlEngine engine;
    const auto openReply = [&] {
        ComposeWindow window(engine, extension, message);
        window.show();
        if (window.grabWindow().isNull()) {
            std::fputs("no frame was drawn\n", stderr);
            std::exit(1);
        }
    };
    openReply(); // warm-up: the first window loads the modules
    std::vector<double> gmime;
    std::vector<double> reply;
    std::size_t textBytes = 0;
    for (int round = 0; round < kRounds; ++round) {
        gmime.push_back(bench::secondsOf([&] {
            textBytes = gmimeTextLength(mail.constData(), static_cast<std::size_t>(mail.size()));
        }));
        reply.push_back(bench::secondsOf(openReply));
    }
    if (textBytes < static_cast<std::size_t>(kBodyBytes)) {
        std::fputs("GMime read less than the body\n", stderr);
        return 1;
    }
    const double ours = bench::median(reply);
    const double baseline = bench::median(gmime);
    std::printf("GMime parse: %.1f ms, reply window: %.1f ms (median of %d, %lld-byte line)\n",
                baseline * 1e3, ours * 1e3, kRounds, static_cast<long long>(kBodyBytes));
    bench::printRatio("reply_window_open_5mb", ours / baseline, "<= 3");
    QCoreApplication::processEvents(); // let the windows' deferred deletions run
    return 0;
}
