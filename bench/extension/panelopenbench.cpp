// Opening the session panel (its state objects made, the view created and its first frame
// drawn offscreen) against making and drawing an empty window of the same size. Prints the
// median of each and their ratio.
#include "entry/composesessionhandler.h"
#include "panel/buttonstatemanager.h"
#include "panel/summarizestatemanager.h"
#include "testplatform.h"
#include "views/viewengine.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 400;
constexpr int kHeight = 550;
constexpr int kRounds = 30;

/// Makes a window, puts what `fill` gives in it, and draws one frame; seconds taken.
template <typename Fill> double timeOneOpening(Fill fill) {
    const auto start = Clock::now();
    QQuickWindow window;
    window.resize(kWidth, kHeight);
    auto content = fill();
    if (content) {
        content->setParentItem(window.contentItem());
        content->setSize(QSizeF(kWidth, kHeight));
    }
    window.show();
    const QImage frame = window.grabWindow();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (frame.isNull()) {
        std::fputs("no frame was drawn\n", stderr);
        std::exit(1);
    }
    content.reset();
    return seconds;
}

template <typename Fill> double median(Fill fill) {
    timeOneOpening(fill); // warm-up: the first opening loads the modules
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        times.push_back(timeOneOpening(fill));
    }
    std::nth_element(times.begin(), times.begin() + kRounds / 2, times.end());
    return times[kRounds / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    TestPlatform platform;
    ReplyContext context;
    context.subject = QStringLiteral("Lunch on Tuesday");
    context.messageId = QStringLiteral("bench");
    const std::shared_ptr<ComposeWindow> window = ComposeSessionHandler::makeWindow(context);

    const double empty = median([] { return std::unique_ptr<QQuickItem>(); });
    const double panel = median([&window] {
        // Owned by the view for as long as it lives, as the session tabs own them.
        auto buttons = new ButtonStateManager(*window);
        auto summary = new SummarizeStateManager(*window);
        std::unique_ptr<QQuickItem> view =
            ViewEngine::create(QStringLiteral("SessionModalView"),
                               {{"buttonStateManager", QVariant::fromValue(buttons)},
                                {"summarizeStateManager", QVariant::fromValue(summary)}});
        buttons->setParent(view.get());
        summary->setParent(view.get());
        return view;
    });
    std::printf("empty window: %.2f ms, session panel: %.2f ms (median of %d)\n", empty * 1e3,
                panel * 1e3, kRounds);
    std::printf("ratio panel_open_vs_empty_window %.2f goal <= 2\n", panel / empty);
    return 0;
}
