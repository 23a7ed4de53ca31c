#include "framing.h"

#include "phrases.h"

#include <array>

namespace backend {
namespace {

using Others = std::array<Framing, kFramings - 1>;

// Written for this project, in the register of each language's phrases.
const Others& othersFor(Language language) {
    static const Others english{{
        {"Thanks for getting in touch.",
         "I have gone through it and will let you know if anything comes up.", "Kind regards,"},
        {"Many thanks for your message.",
         "I have noted it and will get back to you should anything be needed.", "All the best,"},
    }};
    static const Others french{{
        {"Je vous remercie de votre message.",
         "J'en ai pris connaissance et je reviens vers vous si nécessaire.", "Bien à vous,"},
        {"Merci de m'avoir écrit.", "Je l'ai lu attentivement et vous recontacte si besoin.",
         "Bien cordialement,"},
    }};
    static const Others german{{
        {"Herzlichen Dank für Ihre Nachricht.",
         "Ich habe sie zur Kenntnis genommen und melde mich, falls etwas zu tun ist.",
         "Beste Grüße"},
        {"Danke für Ihre Nachricht.",
         "Ich habe alles gelesen und komme auf Sie zu, sobald etwas nötig ist.",
         "Freundliche Grüße"},
    }};
    static const Others spanish{{
        {"Muchas gracias por tu mensaje.", "Lo he revisado y te aviso si necesito algo.",
         "Saludos,"},
        {"Gracias por escribirme.", "Ya lo he leído; si hace falta algo, te lo digo.",
         "Un cordial saludo,"},
    }};
    static const Others italian{{
        {"Grazie mille per il tuo messaggio.",
         "L'ho letto con attenzione e ti faccio sapere se serve qualcosa.", "Un saluto,"},
        {"Ti ringrazio per il messaggio.", "L'ho visto e ti ricontatto se c'è bisogno di qualcosa.",
         "A presto,"},
    }};
    static const Others portuguese{{
        {"Muito obrigado pela sua mensagem.",
         "Já a li com atenção e entro em contacto consigo se for necessário.", "Cumprimentos,"},
        {"Agradeço a sua mensagem.", "Tomei nota e digo-lhe alguma coisa se for preciso.",
         "Melhores cumprimentos,"},
    }};
    static const Others dutch{{
        {"Dank je wel voor je bericht.",
         "Ik heb het doorgenomen en laat het je weten als er iets nodig is.",
         "Vriendelijke groet,"},
        {"Bedankt dat je me schreef.",
         "Ik heb het gelezen en kom bij je terug als er iets moet gebeuren.", "Hartelijke groet,"},
    }};
    return inLanguage(language, english, french, german, spanish, italian, portuguese, dutch);
}

} // namespace

Framing framingFor(Language language, std::size_t draft) {
    const std::size_t turn = draft % kFramings;
    if (turn == 0) {
        const Phrases& say = phrasesFor(language);
        return {say.thanks, say.nothingAsked, say.closing};
    }
    return othersFor(language)[turn - 1];
}

} // namespace backend
