<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nl_NL" sourcelanguage="en">
<context>
    <name>ChatTab</name>
    <message>
        <source>Provide specific prompts to the AI assistant for more detailed and personalized reply options.</source>
        <translation>Geef de AI-assistent gerichte instructies voor uitgebreidere en persoonlijkere antwoordvoorstellen.</translation>
    </message>
</context>
<context>
    <name>ChatView</name>
    <message>
        <source>Ask questions here</source>
        <translation>Stel hier uw vragen</translation>
    </message>
    <message>
        <source>Your question</source>
        <translation>Uw vraag</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Antwoord van de assistent</translation>
    </message>
    <message>
        <source>Waiting for the answer</source>
        <translation>Wachten op het antwoord</translation>
    </message>
    <message>
        <source>Send question</source>
        <translation>Vraag versturen</translation>
    </message>
    <message>
        <source>Conversation</source>
        <extracomment>The list of questions and answers, as a screen reader names it.</extracomment>
        <translation>Gesprek</translation>
    </message>
</context>
<context>
    <name>DeveloperMenu</name>
    <message>
        <source>Select API endpoint</source>
        <translation>API-eindpunt kiezen</translation>
    </message>
    <message>
        <source>Dev</source>
        <extracomment>The development deployment of the backend.</extracomment>
        <translation>Dev</translation>
    </message>
    <message>
        <source>Staging</source>
        <extracomment>The staging deployment of the backend, where releases are tried.</extracomment>
        <translation>Staging</translation>
    </message>
    <message>
        <source>Live</source>
        <extracomment>The live deployment of the backend, the one people use.</extracomment>
        <translation>Live</translation>
    </message>
    <message>
        <source>Version</source>
        <extracomment>The extension&apos;s version number follows.</extracomment>
        <translation>Versie</translation>
    </message>
    <message>
        <source>Developer menu</source>
        <translation>Ontwikkelaarsmenu</translation>
    </message>
</context>
<context>
    <name>FixedText</name>
    <message>
        <source>Response generated successfully.</source>
        <translation>Antwoord gegenereerd.</translation>
    </message>
    <message>
        <source>Failed to submit training data.</source>
        <translation>Trainingsgegevens konden niet worden verstuurd.</translation>
    </message>
    <message>
        <source>Server error! Please try again later.</source>
        <translation>Serverfout! Probeer het later opnieuw.</translation>
    </message>
    <message>
        <source>Something went wrong, please try again</source>
        <translation>Er ging iets mis, probeer het opnieuw</translation>
    </message>
    <message>
        <source>Success: %1</source>
        <extracomment>A toast; %1 is the server&apos;s own text, shown untranslated.</extracomment>
        <translation>Gelukt: %1</translation>
    </message>
    <message>
        <source>Invalid response received from the server.</source>
        <translation>Ongeldig antwoord van de server ontvangen.</translation>
    </message>
    <message>
        <source>No data received from server.</source>
        <translation>Geen gegevens van de server ontvangen.</translation>
    </message>
    <message>
        <source>There is no message text to reply to.</source>
        <translation>Er is geen berichttekst om op te antwoorden.</translation>
    </message>
    <message>
        <source>Server error: %1</source>
        <extracomment>A toast; %1 is the HTTP status code.</extracomment>
        <translation>Serverfout: %1</translation>
    </message>
    <message>
        <source>Error sending request: %1</source>
        <extracomment>A toast; %1 is the network&apos;s own description of the failure, shown untranslated.</extracomment>
        <translation>Fout bij het verzenden van het verzoek: %1</translation>
    </message>
</context>
<context>
    <name>ImageView</name>
    <message>
        <source>Failed to load image</source>
        <translation>Afbeelding kon niet worden geladen</translation>
    </message>
</context>
<context>
    <name>LoginView</name>
    <message>
        <source>To use this plugin, you need to authenticate your account. Please log in to verify your subscription and access all the Quorvane features.</source>
        <translation>Om deze plug-in te gebruiken, moet u uw account verifiëren. Log in om uw abonnement te bevestigen en alle functies van Quorvane te gebruiken.</translation>
    </message>
    <message>
        <source>Login</source>
        <extracomment>Starts the sign-in in the browser.</extracomment>
        <translation>Inloggen</translation>
    </message>
</context>
<context>
    <name>PanelHeader</name>
    <message>
        <source>Log out</source>
        <translation>Afmelden</translation>
    </message>
</context>
<context>
    <name>ReplyTab</name>
    <message>
        <source>Generate instant responses based on the selected email.</source>
        <translation>Genereer direct antwoorden op basis van de geselecteerde e-mail.</translation>
    </message>
    <message>
        <source>Generate response</source>
        <translation>Antwoord genereren</translation>
    </message>
    <message>
        <source>Regenerate response</source>
        <translation>Opnieuw genereren</translation>
    </message>
    <message>
        <source>Regenerating a response will use additional tokens</source>
        <translation>Opnieuw genereren verbruikt extra tokens</translation>
    </message>
    <message>
        <source>Submit to train AI</source>
        <translation>AI trainen</translation>
    </message>
    <message>
        <source>Copy to clipboard</source>
        <translation>Kopiëren</translation>
    </message>
    <message>
        <source>Drafted reply</source>
        <translation>Conceptantwoord</translation>
    </message>
</context>
<context>
    <name>SessionModalView</name>
    <message>
        <source>Quick response</source>
        <extracomment>A tab: a reply drafted in one step.</extracomment>
        <translation>Snel antwoord</translation>
    </message>
    <message>
        <source>Custom interactive response</source>
        <extracomment>A tab: a chat with the assistant about the message.</extracomment>
        <translation>Interactief antwoord</translation>
    </message>
    <message>
        <source>Text copied to clipboard!</source>
        <translation>Tekst naar het klembord gekopieerd!</translation>
    </message>
    <message>
        <source>Drafting a reply</source>
        <translation>Antwoord wordt opgesteld</translation>
    </message>
</context>
<context>
    <name>SummaryArea</name>
    <message>
        <source>Summary</source>
        <translation>Samenvatting</translation>
    </message>
    <message>
        <source>Email content cannot be loaded!</source>
        <translation>E-mailinhoud kan niet worden geladen!</translation>
    </message>
    <message>
        <source>Please copy the content and send it manually</source>
        <translation>Kopieer de inhoud en verstuur deze handmatig</translation>
    </message>
    <message>
        <source>Summarize</source>
        <translation>Samenvatten</translation>
    </message>
    <message>
        <source>Message text to summarize</source>
        <translation>Berichttekst om samen te vatten</translation>
    </message>
    <message>
        <source>Summarizing</source>
        <translation>Bezig met samenvatten</translation>
    </message>
</context>
<context>
    <name>UpdateModalView</name>
    <message>
        <source>New version available!</source>
        <translation>Nieuwe versie beschikbaar!</translation>
    </message>
    <message>
        <source>A new version of the Quorvane app was released. Download the new version to use the latest updates.</source>
        <translation>Er is een nieuwe versie van de Quorvane-app uitgebracht. Download deze om de nieuwste updates te gebruiken.</translation>
    </message>
    <message>
        <source>Remind me later</source>
        <translation>Later herinneren</translation>
    </message>
    <message>
        <source>Update now</source>
        <translation>Nu bijwerken</translation>
    </message>
</context>
</TS>
