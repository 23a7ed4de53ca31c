// Opening a chat view on a stored conversation of 1,000 entries against one of 10: the view
// made, its history loaded and scrolled to the end, and its first frame drawn offscreen.
#include "chatbench.h"
#include "entry/composesessionhandler.h"
#include "testplatform.h"
#include "teststores.h"
#include "views/viewengine.h"

#include <QAbstractItemModel>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 7;

void storeConversation(const ComposeWindow& compose, int entries) {
    (void)Platform::current().userDefaults().set(ChatHistory::keyFor(compose.storageId()),
                                                 encodeConversation(sampleConversation(entries)));
}

/// The fastest of `kRounds` openings, in seconds; negative when the view cannot be made or does
/// not show the stored entries.
double timeOpening(QQuickWindow& window, ComposeWindow& compose, int entries) {
    storeConversation(compose, entries);
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        std::unique_ptr<QQuickItem> view = ViewEngine::create(
            QStringLiteral("ChatView"), {{"window", QVariant::fromValue(&compose)}});
        if (!view) {
            return -1;
        }
        view->setSize(window.size());
        view->setParentItem(window.contentItem());
        QCoreApplication::processEvents(); // the scroll to the last entry is queued
        (void)window.grabWindow();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        // A view that found no stored conversation would be timed opening nothing.
        const auto* state = view->property("viewState").value<QObject*>();
        const auto* shown = state->property("messages").value<QAbstractItemModel*>();
        if (shown == nullptr || shown->rowCount() != entries) {
            return -1;
        }
        view.reset();
        QCoreApplication::processEvents();
    }
    return *std::min_element(times.begin(), times.end());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const TestPlatform platform;
    const TestStores stores;

    QQuickWindow window;
    window.resize(400, 550);
    window.show();
    const std::shared_ptr<ComposeWindow> compose =
        ComposeSessionHandler::makeWindow({}, stores.services);
    (void)timeOpening(window, *compose, 10); // the engine compiles the view once
    const double small = timeOpening(window, *compose, 10);
    const double large = timeOpening(window, *compose, 1000);
    if (small <= 0 || large <= 0) {
        std::fprintf(stderr, "the chat view could not be made or showed no stored entries\n");
        return 1;
    }
    std::printf("chat view opening: 10 entries %.2f ms, 1,000 entries %.2f ms\n", small * 1e3,
                large * 1e3);
    std::printf("ratio chat_view_open_1000_vs_10 %.2f goal <= 2\n", large / small);
    return 0;
}
