#include "displayrequired.h"
#include "itemlistmodel.h"
#include "itemstore.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QStandardPaths>
#include <cstdio>
#include <optional>

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Quorvane"));
    const auto describe = [](QCommandLineParser& parser) {
        parser.setApplicationDescription(QStringLiteral(
            "Keeps a list of time stamps; its folder carries the extension plugin."));
        parser.addHelpOption();
        parser.addVersionOption();
    };
    QGuiApplication application =
        applicationWithDisplay<QGuiApplication>(argc, argv, "Quorvane", describe);
    // Here --help-all lists the window system's options too; unknown arguments stay ignored.
    QCommandLineParser parser;
    describe(parser);
    if (parser.parse(QCoreApplication::arguments())) {
        parser.process(application);
    }

    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    std::optional<ItemStore> store;
    // The model reads every item, which a damaged file or another program's table refuses.
    std::optional<ItemListModel> model;
    try {
        store.emplace(folder.toStdString());
        model.emplace(*store);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Could not create ModelContainer: %s\n", error.what());
        return EXIT_FAILURE;
    }

    QQmlApplicationEngine engine;
    engine.setInitialProperties({{QStringLiteral("model"), QVariant::fromValue(&*model)}});
    engine.load(QUrl(QStringLiteral("qrc:/Quorvane/Container/Main.qml")));
    if (engine.rootObjects().isEmpty()) {
        return EXIT_FAILURE;
    }
    return QGuiApplication::exec();
}
