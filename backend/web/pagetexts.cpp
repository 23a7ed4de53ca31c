#include "pagetexts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace backend::loginpage {
namespace {

// The word in `request` for the login button is the panel's own. French keeps its quotes on
// the line of what they enclose, and Dutch its date on one line.
const std::array<Texts, 7> translations{{
    {"en", "Sign in to Quorvane",
     "The Quorvane reply assistant in your mail program asks to use your account. It asked at "
     "%1. If you did not just press Login in a mail window, close this page.",
     "%H:%M UTC on %d %B %Y", "E-mail", "Password", "Sign in",
     "You are signed in. Return to the mail window to continue.",
     "This sign-in link is incomplete.",
     "This sign-in link has expired or was used. Start again from the mail window.",
     "Wrong e-mail address or password.", "Too many attempts. Wait a moment and try again."},
    {"de", "Bei Quorvane anmelden",
     "Der Antwortassistent Quorvane in Ihrem Mailprogramm möchte Ihr Konto verwenden. Die "
     "Anfrage kam am %1. Wenn Sie nicht gerade in einem Mailfenster auf „Anmelden“ geklickt "
     "haben, schließen Sie diese Seite.",
     "%d.%m.%Y um %H:%M UTC", "E-Mail", "Passwort", "Anmelden",
     "Sie sind angemeldet. Kehren Sie zum Mailfenster zurück, um fortzufahren.",
     "Dieser Anmeldelink ist unvollständig.",
     "Dieser Anmeldelink ist abgelaufen oder wurde schon verwendet. Beginnen Sie erneut im "
     "Mailfenster.",
     "Falsche E-Mail-Adresse oder falsches Passwort.",
     "Zu viele Versuche. Warten Sie einen Moment und versuchen Sie es erneut."},
    {"fr", "Se connecter à Quorvane",
     "L’assistant de réponse Quorvane de votre logiciel de messagerie demande à utiliser votre "
     "compte. La demande date du %1. Si vous n’avez pas cliqué à l’instant sur "
     "«\u00a0Se connecter\u00a0» dans une fenêtre de messagerie, fermez cette page.",
     "%d/%m/%Y à %H:%M UTC", "E-mail", "Mot de passe", "Se connecter",
     "Vous êtes connecté. Revenez à la fenêtre de messagerie pour continuer.",
     "Ce lien de connexion est incomplet.",
     "Ce lien de connexion a expiré ou a déjà servi. Recommencez depuis la fenêtre de "
     "messagerie.",
     "Adresse e-mail ou mot de passe incorrect.",
     "Trop de tentatives. Patientez un instant, puis réessayez."},
    {"es", "Iniciar sesión en Quorvane",
     "El asistente de respuestas Quorvane de su programa de correo pide usar su cuenta. Lo pidió "
     "el %1. Si no acaba de pulsar «Iniciar sesión» en una ventana de correo, cierre esta "
     "página.",
     "%d/%m/%Y a las %H:%M UTC", "Correo electrónico", "Contraseña", "Iniciar sesión",
     "Ha iniciado sesión. Vuelva a la ventana de correo para continuar.",
     "Este enlace de inicio de sesión está incompleto.",
     "Este enlace de inicio de sesión ha caducado o ya se usó. Empiece de nuevo desde la ventana "
     "de correo.",
     "Dirección de correo o contraseña incorrecta.",
     "Demasiados intentos. Espere un momento y vuelva a intentarlo."},
    {"it", "Accedi a Quorvane",
     "L’assistente di risposta Quorvane del tuo programma di posta chiede di usare il tuo "
     "account. La richiesta è del %1. Se non hai appena premuto «Accedi» in una finestra di "
     "posta, chiudi questa pagina.",
     "%d/%m/%Y alle %H:%M UTC", "E-mail", "Password", "Accedi",
     "Accesso eseguito. Torna alla finestra di posta per continuare.",
     "Questo link di accesso è incompleto.",
     "Questo link di accesso è scaduto o è già stato usato. Ricomincia dalla finestra di posta.",
     "Indirizzo e-mail o password errati.", "Troppi tentativi. Attendi un momento e riprova."},
    {"nl", "Inloggen bij Quorvane",
     "De antwoordassistent Quorvane in uw mailprogramma vraagt uw account te gebruiken. Het "
     "verzoek kwam op %1. Hebt u niet zojuist in een mailvenster op ‘Inloggen’ gedrukt, sluit "
     "dan deze pagina.",
     "%d\u2011%m\u2011%Y om %H:%M UTC", "E-mailadres", "Wachtwoord", "Inloggen",
     "U bent ingelogd. Ga terug naar het mailvenster om verder te gaan.",
     "Deze inloglink is onvolledig.",
     "Deze inloglink is verlopen of al gebruikt. Begin opnieuw vanuit het mailvenster.",
     "Onjuist e-mailadres of wachtwoord.", "Te veel pogingen. Wacht even en probeer het opnieuw."},
    {"pt", "Iniciar sessão no Quorvane",
     "O assistente de resposta Quorvane do seu programa de e-mail pede para usar a sua conta. O "
     "pedido foi feito a %1. Se não acabou de carregar em «Iniciar sessão» numa janela de "
     "e-mail, feche esta página.",
     "%d/%m/%Y às %H:%M UTC", "E-mail", "Palavra-passe", "Iniciar sessão",
     "Sessão iniciada. Volte à janela de e-mail para continuar.",
     "Esta ligação de início de sessão está incompleta.",
     "Esta ligação de início de sessão expirou ou já foi usada. Comece de novo na janela de "
     "e-mail.",
     "Endereço de e-mail ou palavra-passe incorretos.",
     "Demasiadas tentativas. Aguarde um momento e tente novamente."},
}};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "q=0.8" as thousandths; a weight that cannot be read counts as refused.
int weightOf(std::string_view parameters) {
    const auto q = parameters.find("q=");
    if (q == std::string_view::npos) {
        return 1000;
    }
    std::string_view value = trimmed(parameters.substr(q + 2));
    double weight = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), weight);
    return error == std::errc{} ? static_cast<int>(std::clamp(weight, 0.0, 1.0) * 1000) : 0;
}

const Texts* textsOf(std::string_view tag) {
    const std::string_view primary = tag.substr(0, tag.find('-'));
    for (const Texts& texts : translations) {
        const std::string_view language = texts.language;
        if (std::ranges::equal(primary, language, [](char a, char b) {
                return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
            })) {
            return &texts;
        }
    }
    return nullptr;
}

} // namespace

const Texts& textsFor(const std::string& acceptLanguage) {
    const Texts* best = &translations.front();
    int bestWeight = 0;
    std::string_view rest = acceptLanguage;
    // A header names a handful of languages; a hostile one is read no further than that.
    for (int read = 0; !rest.empty() && read < 32; ++read) {
        const std::string_view item = rest.substr(0, rest.find(','));
        rest.remove_prefix(std::min(rest.size(), item.size() + 1));
        const auto semicolon = item.find(';');
        const Texts* texts = textsOf(trimmed(item.substr(0, semicolon)));
        const int weight =
            semicolon == std::string_view::npos ? 1000 : weightOf(item.substr(semicolon + 1));
        // Of equal weights the first listed wins.
        if (texts != nullptr && weight > bestWeight) {
            best = texts;
            bestWeight = weight;
        }
    }
    return *best;
}

} // namespace backend::loginpage
