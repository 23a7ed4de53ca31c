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
};

// The training-data toast: the server's success text follows the fixed part.
constexpr const char* kSuccessPrefix = "Success: ";
//: A toast; %1 is the server's own text, shown untranslated.
constexpr const char* kSuccess = QT_TRANSLATE_NOOP("FixedText", "Success: %1");

} // namespace

QString FixedText::shown(const QString& english) {
    for (const char* text : kWhole) {
        if (english == QLatin1String(text)) {
            return QCoreApplication::translate(kContext, text);
        }
    }
    if (english.startsWith(QLatin1String(kSuccessPrefix))) {
        return QCoreApplication::translate(kContext, kSuccess)
            .arg(english.mid(QLatin1String(kSuccessPrefix).size()));
    }
    return english;
}
