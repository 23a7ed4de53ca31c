#include "views/fixedtext.h"

#include <QCoreApplication>
#include <array>

namespace {

constexpr const char* kContext = "FixedText";

constexpr std::array kWhole{
    QT_TRANSLATE_NOOP("FixedText", "Response generated successfully."),
    QT_TRANSLATE_NOOP("FixedText", "Failed to submit training data."),
    QT_TRANSLATE_NOOP("FixedText", "Server error! Please try again later."),
    QT_TRANSLATE_NOOP("FixedText", "Something went wrong, please try again"),
    QT_TRANSLATE_NOOP("FixedText", "Invalid response received from the server."),
    QT_TRANSLATE_NOOP("FixedText", "No data received from server."),
    QT_TRANSLATE_NOOP("FixedText", "There is no message text to reply to."),
};

// Toasts whose end, "%1", is the server's own text, a status code or the network's words; only
// their fixed start is translated.
constexpr std::array kPrefixed{
    //: A toast; %1 is the server's own text, shown untranslated.
    QT_TRANSLATE_NOOP("FixedText", "Success: %1"),
    //: A toast; %1 is the HTTP status code.
    QT_TRANSLATE_NOOP("FixedText", "Server error: %1"),
    //: A toast; %1 is the network's own description of the failure, shown untranslated.
    QT_TRANSLATE_NOOP("FixedText", "Error sending request: %1"),
};

} // namespace

QString FixedText::shown(const QString& english) {
    for (const char* text : kWhole) {
        if (english == QLatin1String(text)) {
            return QCoreApplication::translate(kContext, text);
        }
    }
    for (const char* text : kPrefixed) {
        const QLatin1String prefix = QLatin1String(text).chopped(2);
        if (english.startsWith(prefix)) {
            return QCoreApplication::translate(kContext, text).arg(english.mid(prefix.size()));
        }
    }
    return english;
}
