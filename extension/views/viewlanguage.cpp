#include "views/viewlanguage.h"

#include "views/viewengine.h"

#include <QCoreApplication>
#include <QPointer>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QTranslator>
#include <memory>

namespace ViewLanguage {

namespace {

const QString kEnglish = QStringLiteral("en");

// "pt-BR", "de_DE.UTF-8" and "nl" all name their language by the letters before the region.
QString languageCode(const QString& uiLanguage) {
    const qsizetype end = uiLanguage.indexOf(QRegularExpression(QStringLiteral("[-_.@]")));
    return uiLanguage.left(end).toLower();
}

} // namespace

QString use(const QStringList& uiLanguages) {
    // Owned by the application object, which outlives every view.
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    QString chosen = kEnglish;
    for (const QString& uiLanguage : uiLanguages) {
        const QString code = languageCode(uiLanguage);
        if (code == kEnglish) {
            break;
        }
        auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
        if (!code.isEmpty() &&
            translator->load(QStringLiteral(":/quorvane/i18n/quorvane_") + code)) {
            installed = translator.release();
            QCoreApplication::installTranslator(installed);
            chosen = code;
            break;
        }
    }
    ViewEngine::shared().retranslate();
    return chosen;
}

} // namespace ViewLanguage
