#include "phrases.h"

namespace backend {

const Phrases& phrasesFor(Language language) {
    static const Phrases english{"Hi ",
                                 "Hello,",
                                 "Thank you for your message.",
                                 "I have read it and will come back to you if anything is needed.",
                                 "About \"",
                                 "\": ",
                                 "I will take care of it.",
                                 "I will check this and confirm it to you shortly.",
                                 "Best regards,",
                                 "The message has no text to summarize.",
                                 "The message does not say anything about that.",
                                 "The message says: "};
    static const Phrases french{"Bonjour ",
                                "Bonjour,",
                                "Merci pour votre message.",
                                "Je l'ai bien lu et je reviens vers vous si besoin.",
                                "Concernant « ",
                                " » : ",
                                "je m'en occupe.",
                                "je vérifie ce point et je vous le confirme rapidement.",
                                "Cordialement,",
                                "Le message ne contient aucun texte à résumer.",
                                "Le message ne dit rien à ce sujet.",
                                "Le message dit : "};
    static const Phrases german{"Hallo ",
                                "Guten Tag,",
                                "Vielen Dank für Ihre Nachricht.",
                                "Ich habe sie gelesen und melde mich, falls etwas nötig ist.",
                                "Zu „",
                                "“: ",
                                "Darum kümmere ich mich.",
                                "Das prüfe ich und bestätige es Ihnen in Kürze.",
                                "Viele Grüße",
                                "Die Nachricht enthält keinen Text zum Zusammenfassen.",
                                "Dazu sagt die Nachricht nichts.",
                                "In der Nachricht steht: "};
    static const Phrases spanish{"Hola, ",
                                 "Hola:",
                                 "Gracias por tu mensaje.",
                                 "Lo he leído y te escribo si hace falta algo.",
                                 "Sobre «",
                                 "»: ",
                                 "me encargo de ello.",
                                 "lo compruebo y te lo confirmo en breve.",
                                 "Un saludo,",
                                 "El mensaje no tiene texto que resumir.",
                                 "El mensaje no dice nada sobre eso.",
                                 "El mensaje dice: "};
    static const Phrases italian{"Ciao ",
                                 "Buongiorno,",
                                 "Grazie per il tuo messaggio.",
                                 "L'ho letto e ti riscrivo se serve qualcosa.",
                                 "Riguardo a «",
                                 "»: ",
                                 "me ne occupo io.",
                                 "lo verifico e te lo confermo a breve.",
                                 "Cordiali saluti,",
                                 "Il messaggio non ha testo da riassumere.",
                                 "Il messaggio non dice nulla al riguardo.",
                                 "Il messaggio dice: "};
    static const Phrases portuguese{"Olá ",
                                    "Olá,",
                                    "Obrigado pela sua mensagem.",
                                    "Já a li e volto a falar consigo se for preciso.",
                                    "Quanto a «",
                                    "»: ",
                                    "eu trato disso.",
                                    "vou verificar e confirmo-lhe em breve.",
                                    "Com os melhores cumprimentos,",
                                    "A mensagem não tem texto para resumir.",
                                    "A mensagem não diz nada sobre isso.",
                                    "A mensagem diz: "};
    static const Phrases dutch{"Hallo ",
                               "Goedendag,",
                               "Bedankt voor je bericht.",
                               "Ik heb het gelezen en laat het weten als er iets nodig is.",
                               "Over ‘",
                               "’: ",
                               "ik regel het.",
                               "ik zoek het uit en bevestig het je zo snel mogelijk.",
                               "Met vriendelijke groet,",
                               "Het bericht bevat geen tekst om samen te vatten.",
                               "Het bericht zegt daar niets over.",
                               "In het bericht staat: "};
    switch (language) {
    case Language::French:
        return french;
    case Language::German:
        return german;
    case Language::Spanish:
        return spanish;
    case Language::Italian:
        return italian;
    case Language::Portuguese:
        return portuguese;
    case Language::Dutch:
        return dutch;
    case Language::English:
        break;
    }
    return english;
}

const Openings& greetingOpenings() {
    static const Openings openings{
        "Hi",          "Hello",   "Dear",    "Hey",          "Good morning", "Good afternoon",
        "Bonjour",     "Bonsoir", "Salut",   "Chère",        "Cher ",        "Hallo",
        "Liebe",       "Lieber",  "Guten",   "Sehr geehrte", "Hola",         "Estimad",
        "Buenos",      "Buenas",  "Ciao",    "Buongiorno",   "Gentile",      "Caro",
        "Cara",        "Olá",     "Bom dia", "Boa tarde",    "Beste",        "Goedemorgen",
        "Goedemiddag", "Geachte", "Hoi",     "Querid",       "Prezad",       "Buon pomeriggio"};
    return openings;
}

const Openings& signOffOpenings() {
    static const Openings openings{"Thanks",
                                   "Thank you",
                                   "Best",
                                   "Regards",
                                   "Kind regards",
                                   "Cheers",
                                   "Warm regards",
                                   "Sincerely",
                                   "Many thanks",
                                   "All the best",
                                   "Cordialement",
                                   "Bien à vous",
                                   "Bien cordialement",
                                   "Merci,",
                                   "Merci !",
                                   "Amicalement",
                                   "Bonne journée",
                                   "Bises",
                                   "Viele Grüße",
                                   "Mit freundlichen Grüßen",
                                   "Beste Grüße",
                                   "Liebe Grüße",
                                   "Herzliche Grüße",
                                   "Freundliche Grüße",
                                   "Danke,",
                                   "Un saludo",
                                   "Saludos",
                                   "Atentamente",
                                   "Un abrazo",
                                   "Gracias,",
                                   "Cordiali saluti",
                                   "Distinti saluti",
                                   "Saluti",
                                   "Un saluto",
                                   "Un caro saluto",
                                   "A presto",
                                   "Grazie,",
                                   "Cumprimentos",
                                   "Com os melhores cumprimentos",
                                   "Atenciosamente",
                                   "Abraços",
                                   "Um abraço",
                                   "Obrigado,",
                                   "Obrigada,",
                                   "Met vriendelijke groet",
                                   "Met vriendelijke groeten",
                                   "Vriendelijke groet",
                                   "Vriendelijke groeten",
                                   "Groeten",
                                   "Groetjes",
                                   "Beste groeten",
                                   "Hartelijke groet",
                                   "Hartelijke groeten",
                                   "Bedankt,"};
    return openings;
}

const Openings& courtesyOpenings() {
    static const Openings openings{"Thank",
                                   "Thanks",
                                   "Many thanks",
                                   "I hope",
                                   "Hope ",
                                   "I am writing",
                                   "I'm writing",
                                   "Sorry for",
                                   "Merci",
                                   "Je vous remercie",
                                   "J'espère",
                                   "Je reviens vers vous",
                                   "Je vous écris",
                                   "Danke",
                                   "Vielen Dank",
                                   "Herzlichen Dank",
                                   "Ich hoffe",
                                   "Ich melde mich",
                                   "Gracias",
                                   "Muchas gracias",
                                   "Espero que",
                                   "Te escribo",
                                   "Le escribo",
                                   "Grazie",
                                   "Spero che",
                                   "Ti scrivo",
                                   "Ti aggiorno",
                                   "Obrigad",
                                   "Espero que",
                                   "Escrevo-lhe",
                                   "Dou-lhe notícias",
                                   "Bedankt",
                                   "Dank je",
                                   "Dank u",
                                   "Ik hoop",
                                   "Ik schrijf je",
                                   "Een update"};
    return openings;
}

const Openings& requestOpenings() {
    static const Openings openings{"Please",      "Kindly",           "Let me know",
                                   "Send",        "Could you",        "Can you",
                                   "Would you",   "Merci de",         "Pourriez-vous",
                                   "Pouvez-vous", "Veuillez",         "N'oubliez pas",
                                   "Bitte",       "Könnten Sie",      "Können Sie",
                                   "Kannst du",   "Denken Sie daran", "Por favor",
                                   "¿Puedes",     "¿Podrías",         "¿Podéis",
                                   "No olvides",  "Per favore",       "Potresti",
                                   "Puoi",        "Ricordati",        "Pode",
                                   "Podia",       "Poderia",          "Não se esqueça",
                                   "Graag",       "Kun je",           "Kunt u",
                                   "Wil je",      "Zou je",           "Vergeet niet"};
    return openings;
}

} // namespace backend
