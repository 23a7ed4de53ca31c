#include "modeloutput.h"

#include <gtest/gtest.h>

using backend::draftFromModelOutput;

TEST(ModelOutput, LeavesTheDraftAndNothingElse) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        // Reasoning, whole or with the opening tag already cut by the server.
        {"<think>They ask for Monday.</think>\nMonday works.", "Monday works."},
        {"weigh it\n</think>\n\nMonday works.", "Monday works."},
        {"Monday <think>aside</think>works.", "Monday works."},
        {"<think>never closed", ""},
        // Preambles addressed to the model's user, in each language.
        {"Sure! Here is a draft reply:\n\nHi Ann,\nYes.", "Hi Ann,\nYes."},
        {"Here's a summary of the email:\nThe crew starts Monday.", "The crew starts Monday."},
        {"Voici une proposition de réponse :\nBonjour Ann,", "Bonjour Ann,"},
        {"Gerne, hier ist ein Entwurf für die Antwort:\nHallo Ann,", "Hallo Ann,"},
        {"¡Claro! Aquí tienes un borrador de respuesta:\nHola, Ann:", "Hola, Ann:"},
        {"Ecco una bozza di risposta:\nCiao Ann,", "Ciao Ann,"},
        {"Claro! Aqui está um rascunho da resposta:\nOlá Ann,", "Olá Ann,"},
        {"Zeker, hier is een concept voor het antwoord:\nHallo Ann,", "Hallo Ann,"},
        // The draft's own first lines stay.
        {"Here are the dates:\n- Monday", "Here are the dates:\n- Monday"},
        {"Sure, Monday works.", "Sure, Monday works."},
        // Closing offers, but not a closing request of the draft's own.
        {"Hi Ann,\nYes.\n\nLet me know if you'd like any changes!", "Hi Ann,\nYes."},
        {"Bonjour,\nOui.\nN'hésitez pas si vous souhaitez des modifications.", "Bonjour,\nOui."},
        {"Hallo,\nJa.\n\nMöchten Sie Änderungen am Entwurf?", "Hallo,\nJa."},
        {"Hi Ann,\nLet me know if Monday works.", "Hi Ann,\nLet me know if Monday works."},
        // Markdown becomes plain text; lists stay as "- " lines.
        {"## Summary\nThe **crew** starts *Monday*, __not__ _Friday_.",
         "Summary\nThe crew starts Monday, not Friday."},
        {"* forklifts\n+ budget\n  - two drivers\n1. first",
         "- forklifts\n- budget\n  - two drivers\n1. first"},
        {"Write to ann_b@example.com or see snake_case_name.",
         "Write to ann_b@example.com or see snake_case_name."},
        // Nothing left is no draft.
        {"", ""},
        {"Sure! Here is a draft reply:\n\nLet me know if you'd like any changes.", ""},
    };
    for (const auto& [content, draft] : cases) {
        EXPECT_EQ(draftFromModelOutput(content), draft) << content;
    }
}
