// Opening the signed-in panel of a compose window (the controller, its state objects, the view
// with a stored summary and reply, and its first frame drawn offscreen) against a flat scene
// made at bench time from that panel's item tree: the same item types, geometry and texts as
// constants, with no layouts, loaders, bindings or C++ behind them. Runs alternate; prints the
// median of each and their ratio. Times are the process's CPU time, since on shared cores wall
// time also counts whatever else ran.
#include "entry/composesessionhandler.h"
#include "entry/composesessionviewcontroller.h"
#include "support/measure.h"
#include "testplatform.h"
#include "teststores.h"
#include "views/viewengine.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

namespace {

/// CPU time of every thread of the process, as a clock.
struct CpuClock {
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<CpuClock>;
    static time_point now() {
        timespec spent{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &spent);
        return time_point(std::chrono::seconds(spent.tv_sec) +
                          std::chrono::nanoseconds(spent.tv_nsec));
    }
};

constexpr int kWidth = 400;
constexpr int kHeight = 650;
constexpr int kRounds = 31;

QString quoted(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString quoted(const QColor& color) {
    return quoted(color.name(QColor::HexArgb));
}

/// The drawn type an item flattens to: what it paints itself, or a plain Item for controls,
/// layouts and views, whose drawn parts are items of their own in the tree.
QString flatType(const QQuickItem& item) {
    for (const char* type : {"TintedIcon", "QQuickRectangle", "QQuickText", "QQuickTextEdit",
                             "QQuickTextInput", "QQuickImage"}) {
        if (item.inherits(type)) {
            return QString::fromLatin1(type).remove(QStringLiteral("QQuick"));
        }
    }
    return QStringLiteral("Item");
}

/// The properties that make an item of `type` look as it does, as QML constants.
QStringList drawnProperties(const QQuickItem& item, const QString& type) {
    const auto read = [&item](const char* name) { return item.property(name); };
    // Enumerations by name, qualified by the type that declares them.
    const auto number = [&](const char* name) { return type + '.' + read(name).toString(); };
    // Sources are relative to the view that set them; the scene lives elsewhere.
    const auto source = [&] {
        return quoted(qmlContext(&item)->resolvedUrl(read("source").toUrl()).toString());
    };
    QStringList lines;
    if (type == QLatin1String("Rectangle")) {
        lines << "color: " + quoted(read("color").value<QColor>())
              << "radius: " + read("radius").toString();
        const auto* border = read("border").value<QObject*>();
        if (border != nullptr && border->property("width").toReal() > 0) {
            lines << "border.color: " + quoted(border->property("color").value<QColor>())
                  << "border.width: " + border->property("width").toString();
        }
    } else if (type == QLatin1String("TintedIcon")) {
        lines << "source: " + source() << "color: " + quoted(read("color").value<QColor>());
    } else if (type == QLatin1String("Image")) {
        lines << "source: " + source() << "fillMode: " + number("fillMode");
    } else {
        const auto font = read("font").value<QFont>();
        lines << "text: " + quoted(read("text").toString())
              << "color: " + quoted(read("color").value<QColor>())
              << "font.pixelSize: " + QString::number(font.pixelSize())
              << "font.bold: " + QString(font.bold() ? "true" : "false")
              << "font.italic: " + QString(font.italic() ? "true" : "false")
              << "wrapMode: " + number("wrapMode");
        for (const char* padding : {"leftPadding", "rightPadding", "topPadding", "bottomPadding"}) {
            lines << QString::fromLatin1(padding) + ": " + read(padding).toString();
        }
        if (type == QLatin1String("Text")) {
            lines << "elide: " + number("elide")
                  << "horizontalAlignment: " + number("horizontalAlignment")
                  << "verticalAlignment: " + number("verticalAlignment");
        }
    }
    return lines;
}

/// Writes `item` and what it shows; gives the number of items written.
int writeFlat(const QQuickItem& item, QString& out, int depth) {
    if (!item.isVisible()) {
        return 0;
    }
    const QString indent(qsizetype{depth} * 4, QLatin1Char(' '));
    const QString type = flatType(item);
    QStringList lines{
        QStringLiteral("x: %1; y: %2; width: %3; height: %4")
            .arg(item.x())
            .arg(item.y())
            .arg(item.width())
            .arg(item.height()),
    };
    if (item.opacity() < 1) {
        lines << "opacity: " + QString::number(item.opacity());
    }
    if (item.z() != 0) {
        lines << "z: " + QString::number(item.z());
    }
    if (item.clip()) {
        lines << QStringLiteral("clip: true");
    }
    if (type != QLatin1String("Item")) {
        lines << drawnProperties(item, type);
    }
    out += indent + type + " {\n";
    for (const QString& line : lines) {
        out += indent + "    " + line + '\n';
    }
    int written = 1;
    for (const QQuickItem* child : item.childItems()) {
        written += writeFlat(*child, out, depth + 1);
    }
    out += indent + "}\n";
    return written;
}

/// A QML document that draws what `root` shows now, as constants, and its number of items.
std::pair<QByteArray, int> flatScene(const QQuickItem& root) {
    QString out = QStringLiteral("import QtQuick\nimport Quorvane.Extension\n");
    const int items = writeFlat(root, out, 0);
    return {out.toUtf8(), items};
}

/// Puts what `open` makes into the window and draws one frame; seconds taken.
double timeOpening(QQuickWindow& window, const std::function<std::function<void()>()>& open) {
    const auto start = CpuClock::now();
    const std::function<void()> close = open();
    const QImage frame = window.grabWindow();
    const double seconds = std::chrono::duration<double>(CpuClock::now() - start).count();
    if (frame.isNull()) {
        std::fputs("no frame was drawn\n", stderr);
        std::exit(1);
    }
    close();
    QCoreApplication::processEvents();
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    TestPlatform platform;
    ReplyContext context;
    context.subject = QStringLiteral("Lunch on Tuesday");
    context.messageId = QStringLiteral("bench");
    context.content = QStringLiteral("Can we meet on Tuesday?");
    const TestStores stores;
    const std::shared_ptr<ComposeWindow> composeWindow =
        ComposeSessionHandler::makeWindow(context, stores.services);
    stores.services.auth.setAccessToken(QStringLiteral("tok"));
    // A reopened panel: the stored summary and reply are shown, nothing is asked for.
    UserDefaults& defaults = Platform::current().userDefaults();
    (void)defaults.set(QStringLiteral("summarizeResponse bench"),
                       QStringLiteral("Ann asks whether Tuesday at noon suits you for lunch near "
                                      "the office, and whether the budget slides can come."));
    (void)defaults.set(QStringLiteral("generateResponse bench"),
                       QStringLiteral("Hi Ann,\n\nTuesday at noon works for me. I will bring the "
                                      "budget slides.\n\nBest,\nMe"));
    (void)defaults.set(QStringLiteral("bench_generateResponse"), true);

    QQuickWindow window;
    window.resize(kWidth, kHeight);
    window.show();
    QByteArray scene;
    int items = 0;
    const auto openPanel = [&] {
        auto controller = ComposeSessionViewController::make(composeWindow);
        QQuickItem& view = controller->view();
        view.setParentItem(window.contentItem());
        view.setSize(QSizeF(kWidth, kHeight));
        return std::function<void()>([controller]() mutable { controller.reset(); });
    };
    // The first opening compiles the views; the scene is taken from a panel as it is drawn.
    (void)timeOpening(window, [&] {
        auto close = openPanel();
        (void)window.grabWindow();
        std::tie(scene, items) = flatScene(*window.contentItem()->childItems().front());
        return close;
    });

    QQmlComponent component(&ViewEngine::shared());
    component.setData(scene, QUrl(QStringLiteral("qrc:/bench/FlatPanel.qml")));
    if (!component.isReady()) {
        std::fprintf(stderr, "the flat scene does not load: %s\n",
                     qPrintable(component.errorString()));
        return 1;
    }
    const auto openFlat = [&] {
        auto* item = qobject_cast<QQuickItem*>(component.create());
        if (item == nullptr) {
            std::fputs("the flat scene could not be made\n", stderr);
            std::exit(1);
        }
        item->setParentItem(window.contentItem());
        return std::function<void()>([item] { delete item; });
    };
    (void)timeOpening(window, openFlat);

    std::vector<double> panel;
    std::vector<double> flat;
    for (int round = 0; round < kRounds; ++round) {
        panel.push_back(timeOpening(window, openPanel));
        flat.push_back(timeOpening(window, openFlat));
    }
    std::printf("flat scene (%d items): %.2f ms, session panel: %.2f ms (median of %d "
                "alternating)\n",
                items, bench::median(flat) * 1e3, bench::median(panel) * 1e3, kRounds);
    std::printf("ratio panel_open_vs_flat_scene %.2f goal <= 1.5\n",
                bench::median(panel) / bench::median(flat));
    return 0;
}
