#pragma once

#include <QString>
#include <QStringList>

/// The language the views are shown in: English, the source language, unless a translation
/// for one of the user's languages is bundled.
namespace ViewLanguage {

/// Shows the views in the first of `uiLanguages` (most wanted first, as
/// QLocale::uiLanguages gives them) that is English or has a translation; English when none
/// does. Views already made follow at once. Returns the language's code, "en" for English.
QString use(const QStringList& uiLanguages);

} // namespace ViewLanguage
