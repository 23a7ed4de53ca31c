<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT" sourcelanguage="en">
<context>
    <name>ChatTab</name>
    <message>
        <source>Provide specific prompts to the AI assistant for more detailed and personalized reply options.</source>
        <translation>Dai indicazioni precise all&apos;assistente IA per ottenere proposte di risposta più dettagliate e personalizzate.</translation>
    </message>
</context>
<context>
    <name>ChatView</name>
    <message>
        <source>Ask questions here</source>
        <translation>Fai qui le tue domande</translation>
    </message>
    <message>
        <source>Your question</source>
        <translation>La tua domanda</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Risposta dell&apos;assistente</translation>
    </message>
    <message>
        <source>Waiting for the answer</source>
        <translation>In attesa della risposta</translation>
    </message>
    <message>
        <source>Send question</source>
        <translation>Invia domanda</translation>
    </message>
    <message>
        <source>Conversation</source>
        <extracomment>The list of questions and answers, as a screen reader names it.</extracomment>
        <translation>Conversazione</translation>
    </message>
</context>
<context>
    <name>DeveloperMenu</name>
    <message>
        <source>Select API endpoint</source>
        <translation>Endpoint dell&apos;API</translation>
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
        <translation>Versione</translation>
    </message>
    <message>
        <source>Developer menu</source>
        <translation>Menu sviluppatore</translation>
    </message>
</context>
<context>
    <name>FixedText</name>
    <message>
        <source>Response generated successfully.</source>
        <translation>Risposta generata correttamente.</translation>
    </message>
    <message>
        <source>Failed to submit training data.</source>
        <translation>Invio dei dati di addestramento non riuscito.</translation>
    </message>
    <message>
        <source>Server error! Please try again later.</source>
        <translation>Errore del server! Riprova più tardi.</translation>
    </message>
    <message>
        <source>Something went wrong, please try again</source>
        <translation>Qualcosa è andato storto, riprova</translation>
    </message>
    <message>
        <source>Success: %1</source>
        <extracomment>A toast; %1 is the server&apos;s own text, shown untranslated.</extracomment>
        <translation>Riuscito: %1</translation>
    </message>
    <message>
        <source>Invalid response received from the server.</source>
        <translation>Ricevuta una risposta non valida dal server.</translation>
    </message>
    <message>
        <source>No data received from server.</source>
        <translation>Nessun dato ricevuto dal server.</translation>
    </message>
    <message>
        <source>There is no message text to reply to.</source>
        <translation>Non c&apos;è alcun testo del messaggio a cui rispondere.</translation>
    </message>
    <message>
        <source>Server error: %1</source>
        <extracomment>A toast; %1 is the HTTP status code.</extracomment>
        <translation>Errore del server: %1</translation>
    </message>
    <message>
        <source>Error sending request: %1</source>
        <extracomment>A toast; %1 is the network&apos;s own description of the failure, shown untranslated.</extracomment>
        <translation>Errore durante l&apos;invio della richiesta: %1</translation>
    </message>
</context>
<context>
    <name>ImageView</name>
    <message>
        <source>Failed to load image</source>
        <translation>Impossibile caricare l&apos;immagine</translation>
    </message>
</context>
<context>
    <name>LoginView</name>
    <message>
        <source>To use this plugin, you need to authenticate your account. Please log in to verify your subscription and access all the Quorvane features.</source>
        <translation>Per usare questo plugin devi autenticare il tuo account. Accedi per verificare il tuo abbonamento e usare tutte le funzioni di Quorvane.</translation>
    </message>
    <message>
        <source>Login</source>
        <extracomment>Starts the sign-in in the browser.</extracomment>
        <translation>Accedi</translation>
    </message>
</context>
<context>
    <name>PanelHeader</name>
    <message>
        <source>Log out</source>
        <translation>Esci</translation>
    </message>
</context>
<context>
    <name>ReplyTab</name>
    <message>
        <source>Generate instant responses based on the selected email.</source>
        <translation>Genera risposte immediate in base all&apos;e-mail selezionata.</translation>
    </message>
    <message>
        <source>Generate response</source>
        <translation>Genera risposta</translation>
    </message>
    <message>
        <source>Regenerate response</source>
        <translation>Rigenera risposta</translation>
    </message>
    <message>
        <source>Regenerating a response will use additional tokens</source>
        <translation>Rigenerare una risposta consuma token aggiuntivi</translation>
    </message>
    <message>
        <source>Submit to train AI</source>
        <translation>Addestra l&apos;IA</translation>
    </message>
    <message>
        <source>Copy to clipboard</source>
        <translation>Copia</translation>
    </message>
    <message>
        <source>Drafted reply</source>
        <translation>Bozza di risposta</translation>
    </message>
</context>
<context>
    <name>SessionModalView</name>
    <message>
        <source>Quick response</source>
        <extracomment>A tab: a reply drafted in one step.</extracomment>
        <translation>Risposta rapida</translation>
    </message>
    <message>
        <source>Custom interactive response</source>
        <extracomment>A tab: a chat with the assistant about the message.</extracomment>
        <translation>Risposta interattiva</translation>
    </message>
    <message>
        <source>Text copied to clipboard!</source>
        <translation>Testo copiato negli appunti!</translation>
    </message>
    <message>
        <source>Drafting a reply</source>
        <translation>Stesura della risposta</translation>
    </message>
</context>
<context>
    <name>SummaryArea</name>
    <message>
        <source>Summary</source>
        <translation>Riepilogo</translation>
    </message>
    <message>
        <source>Email content cannot be loaded!</source>
        <translation>Impossibile caricare il contenuto dell&apos;e-mail!</translation>
    </message>
    <message>
        <source>Please copy the content and send it manually</source>
        <translation>Copia il contenuto e invialo manualmente</translation>
    </message>
    <message>
        <source>Summarize</source>
        <translation>Riassumi</translation>
    </message>
    <message>
        <source>Message text to summarize</source>
        <translation>Testo del messaggio da riassumere</translation>
    </message>
    <message>
        <source>Summarizing</source>
        <translation>Riepilogo in corso</translation>
    </message>
</context>
<context>
    <name>UpdateModalView</name>
    <message>
        <source>New version available!</source>
        <translation>Nuova versione disponibile!</translation>
    </message>
    <message>
        <source>A new version of the Quorvane app was released. Download the new version to use the latest updates.</source>
        <translation>È stata rilasciata una nuova versione dell&apos;app Quorvane. Scaricala per usare gli ultimi aggiornamenti.</translation>
    </message>
    <message>
        <source>Remind me later</source>
        <translation>Ricordamelo più tardi</translation>
    </message>
    <message>
        <source>Update now</source>
        <translation>Aggiorna ora</translation>
    </message>
</context>
</TS>
