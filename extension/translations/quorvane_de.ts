<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>ChatTab</name>
    <message>
        <source>Provide specific prompts to the AI assistant for more detailed and personalized reply options.</source>
        <translation>Geben Sie dem KI-Assistenten gezielte Anweisungen für ausführlichere und persönlichere Antwortvorschläge.</translation>
    </message>
</context>
<context>
    <name>ChatView</name>
    <message>
        <source>Ask questions here</source>
        <translation>Stellen Sie hier Ihre Fragen</translation>
    </message>
    <message>
        <source>Your question</source>
        <translation>Ihre Frage</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Antwort des Assistenten</translation>
    </message>
    <message>
        <source>Waiting for the answer</source>
        <translation>Warten auf die Antwort</translation>
    </message>
    <message>
        <source>Send question</source>
        <translation>Frage senden</translation>
    </message>
    <message>
        <source>Conversation</source>
        <extracomment>The list of questions and answers, as a screen reader names it.</extracomment>
        <translation>Unterhaltung</translation>
    </message>
</context>
<context>
    <name>DeveloperMenu</name>
    <message>
        <source>Select API endpoint</source>
        <translation>API-Endpunkt wählen</translation>
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
        <translation>Version</translation>
    </message>
    <message>
        <source>Developer menu</source>
        <translation>Entwicklermenü</translation>
    </message>
</context>
<context>
    <name>FixedText</name>
    <message>
        <source>Response generated successfully.</source>
        <translation>Antwort erfolgreich erstellt.</translation>
    </message>
    <message>
        <source>Failed to submit training data.</source>
        <translation>Trainingsdaten konnten nicht gesendet werden.</translation>
    </message>
    <message>
        <source>Server error! Please try again later.</source>
        <translation>Serverfehler! Bitte versuchen Sie es später erneut.</translation>
    </message>
    <message>
        <source>Something went wrong, please try again</source>
        <translation>Etwas ist schiefgelaufen, bitte versuchen Sie es erneut</translation>
    </message>
    <message>
        <source>Success: %1</source>
        <extracomment>A toast; %1 is the server&apos;s own text, shown untranslated.</extracomment>
        <translation>Erfolgreich: %1</translation>
    </message>
    <message>
        <source>Invalid response received from the server.</source>
        <translation>Ungültige Antwort vom Server erhalten.</translation>
    </message>
    <message>
        <source>No data received from server.</source>
        <translation>Keine Daten vom Server erhalten.</translation>
    </message>
    <message>
        <source>There is no message text to reply to.</source>
        <translation>Es gibt keinen Nachrichtentext zum Antworten.</translation>
    </message>
    <message>
        <source>Server error: %1</source>
        <extracomment>A toast; %1 is the HTTP status code.</extracomment>
        <translation>Serverfehler: %1</translation>
    </message>
    <message>
        <source>Error sending request: %1</source>
        <extracomment>A toast; %1 is the network&apos;s own description of the failure, shown untranslated.</extracomment>
        <translation>Fehler beim Senden der Anfrage: %1</translation>
    </message>
</context>
<context>
    <name>ImageView</name>
    <message>
        <source>Failed to load image</source>
        <translation>Bild konnte nicht geladen werden</translation>
    </message>
</context>
<context>
    <name>LoginView</name>
    <message>
        <source>To use this plugin, you need to authenticate your account. Please log in to verify your subscription and access all the Quorvane features.</source>
        <translation>Um dieses Plugin zu nutzen, müssen Sie Ihr Konto bestätigen. Bitte melden Sie sich an, um Ihr Abonnement zu prüfen und alle Funktionen von Quorvane zu nutzen.</translation>
    </message>
    <message>
        <source>Login</source>
        <extracomment>Starts the sign-in in the browser.</extracomment>
        <translation>Anmelden</translation>
    </message>
</context>
<context>
    <name>PanelHeader</name>
    <message>
        <source>Log out</source>
        <translation>Abmelden</translation>
    </message>
</context>
<context>
    <name>ReplyTab</name>
    <message>
        <source>Generate instant responses based on the selected email.</source>
        <translation>Erstellen Sie sofort Antworten auf die ausgewählte E-Mail.</translation>
    </message>
    <message>
        <source>Generate response</source>
        <translation>Antwort erstellen</translation>
    </message>
    <message>
        <source>Regenerate response</source>
        <translation>Antwort neu erstellen</translation>
    </message>
    <message>
        <source>Regenerating a response will use additional tokens</source>
        <translation>Eine neue Antwort verbraucht zusätzliche Tokens</translation>
    </message>
    <message>
        <source>Submit to train AI</source>
        <translation>KI trainieren</translation>
    </message>
    <message>
        <source>Copy to clipboard</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Drafted reply</source>
        <translation>Antwortentwurf</translation>
    </message>
</context>
<context>
    <name>SessionModalView</name>
    <message>
        <source>Quick response</source>
        <extracomment>A tab: a reply drafted in one step.</extracomment>
        <translation>Schnellantwort</translation>
    </message>
    <message>
        <source>Custom interactive response</source>
        <extracomment>A tab: a chat with the assistant about the message.</extracomment>
        <translation>Interaktive Antwort</translation>
    </message>
    <message>
        <source>Text copied to clipboard!</source>
        <translation>Text in die Zwischenablage kopiert!</translation>
    </message>
    <message>
        <source>Drafting a reply</source>
        <translation>Antwort wird erstellt</translation>
    </message>
</context>
<context>
    <name>SummaryArea</name>
    <message>
        <source>Summary</source>
        <translation>Zusammenfassung</translation>
    </message>
    <message>
        <source>Email content cannot be loaded!</source>
        <translation>E-Mail-Inhalt kann nicht geladen werden!</translation>
    </message>
    <message>
        <source>Please copy the content and send it manually</source>
        <translation>Bitte kopieren Sie den Inhalt und senden Sie ihn selbst</translation>
    </message>
    <message>
        <source>Summarize</source>
        <translation>Zusammenfassen</translation>
    </message>
    <message>
        <source>Message text to summarize</source>
        <translation>Zu zusammenfassender Nachrichtentext</translation>
    </message>
    <message>
        <source>Summarizing</source>
        <translation>Wird zusammengefasst</translation>
    </message>
</context>
<context>
    <name>UpdateModalView</name>
    <message>
        <source>New version available!</source>
        <translation>Neue Version verfügbar!</translation>
    </message>
    <message>
        <source>A new version of the Quorvane app was released. Download the new version to use the latest updates.</source>
        <translation>Eine neue Version der Quorvane-App ist erschienen. Laden Sie sie herunter, um die neuesten Verbesserungen zu nutzen.</translation>
    </message>
    <message>
        <source>Remind me later</source>
        <translation>Später erinnern</translation>
    </message>
    <message>
        <source>Update now</source>
        <translation>Jetzt aktualisieren</translation>
    </message>
</context>
</TS>
