<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>ChatTab</name>
    <message>
        <source>Provide specific prompts to the AI assistant for more detailed and personalized reply options.</source>
        <translation>Donnez des consignes précises à l&apos;assistant IA pour obtenir des propositions de réponse plus détaillées et personnalisées.</translation>
    </message>
</context>
<context>
    <name>ChatView</name>
    <message>
        <source>Ask questions here</source>
        <translation>Posez vos questions ici</translation>
    </message>
    <message>
        <source>Your question</source>
        <translation>Votre question</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Réponse de l&apos;assistant</translation>
    </message>
    <message>
        <source>Waiting for the answer</source>
        <translation>En attente de la réponse</translation>
    </message>
    <message>
        <source>Send question</source>
        <translation>Envoyer la question</translation>
    </message>
    <message>
        <source>Conversation</source>
        <extracomment>The list of questions and answers, as a screen reader names it.</extracomment>
        <translation>Conversation</translation>
    </message>
</context>
<context>
    <name>DeveloperMenu</name>
    <message>
        <source>Select API endpoint</source>
        <translation>Point d&apos;accès de l&apos;API</translation>
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
        <translation>Menu développeur</translation>
    </message>
</context>
<context>
    <name>FixedText</name>
    <message>
        <source>Response generated successfully.</source>
        <translation>Réponse générée avec succès.</translation>
    </message>
    <message>
        <source>Failed to submit training data.</source>
        <translation>Échec de l&apos;envoi des données d&apos;entraînement.</translation>
    </message>
    <message>
        <source>Server error! Please try again later.</source>
        <translation>Erreur du serveur ! Veuillez réessayer plus tard.</translation>
    </message>
    <message>
        <source>Something went wrong, please try again</source>
        <translation>Un problème est survenu, veuillez réessayer</translation>
    </message>
    <message>
        <source>Success: %1</source>
        <extracomment>A toast; %1 is the server&apos;s own text, shown untranslated.</extracomment>
        <translation>Réussi : %1</translation>
    </message>
    <message>
        <source>Invalid response received from the server.</source>
        <translation>Réponse non valide reçue du serveur.</translation>
    </message>
    <message>
        <source>No data received from server.</source>
        <translation>Aucune donnée reçue du serveur.</translation>
    </message>
    <message>
        <source>There is no message text to reply to.</source>
        <translation>Il n&apos;y a aucun texte de message auquel répondre.</translation>
    </message>
    <message>
        <source>Server error: %1</source>
        <extracomment>A toast; %1 is the HTTP status code.</extracomment>
        <translation>Erreur du serveur : %1</translation>
    </message>
    <message>
        <source>Error sending request: %1</source>
        <extracomment>A toast; %1 is the network&apos;s own description of the failure, shown untranslated.</extracomment>
        <translation>Erreur lors de l&apos;envoi de la requête : %1</translation>
    </message>
</context>
<context>
    <name>ImageView</name>
    <message>
        <source>Failed to load image</source>
        <translation>Impossible de charger l&apos;image</translation>
    </message>
</context>
<context>
    <name>LoginView</name>
    <message>
        <source>To use this plugin, you need to authenticate your account. Please log in to verify your subscription and access all the Quorvane features.</source>
        <translation>Pour utiliser ce plugin, vous devez authentifier votre compte. Connectez-vous pour vérifier votre abonnement et accéder à toutes les fonctionnalités de Quorvane.</translation>
    </message>
    <message>
        <source>Login</source>
        <extracomment>Starts the sign-in in the browser.</extracomment>
        <translation>Se connecter</translation>
    </message>
</context>
<context>
    <name>PanelHeader</name>
    <message>
        <source>Log out</source>
        <translation>Se déconnecter</translation>
    </message>
</context>
<context>
    <name>ReplyTab</name>
    <message>
        <source>Generate instant responses based on the selected email.</source>
        <translation>Générez des réponses instantanées à partir de l&apos;e-mail sélectionné.</translation>
    </message>
    <message>
        <source>Generate response</source>
        <translation>Générer une réponse</translation>
    </message>
    <message>
        <source>Regenerate response</source>
        <translation>Régénérer la réponse</translation>
    </message>
    <message>
        <source>Regenerating a response will use additional tokens</source>
        <translation>Régénérer une réponse consomme des jetons supplémentaires</translation>
    </message>
    <message>
        <source>Submit to train AI</source>
        <translation>Entraîner l&apos;IA</translation>
    </message>
    <message>
        <source>Copy to clipboard</source>
        <translation>Copier</translation>
    </message>
    <message>
        <source>Drafted reply</source>
        <translation>Brouillon de réponse</translation>
    </message>
</context>
<context>
    <name>SessionModalView</name>
    <message>
        <source>Quick response</source>
        <extracomment>A tab: a reply drafted in one step.</extracomment>
        <translation>Réponse rapide</translation>
    </message>
    <message>
        <source>Custom interactive response</source>
        <extracomment>A tab: a chat with the assistant about the message.</extracomment>
        <translation>Réponse interactive</translation>
    </message>
    <message>
        <source>Text copied to clipboard!</source>
        <translation>Texte copié dans le presse-papiers !</translation>
    </message>
    <message>
        <source>Drafting a reply</source>
        <translation>Réponse en cours de rédaction</translation>
    </message>
</context>
<context>
    <name>SummaryArea</name>
    <message>
        <source>Summary</source>
        <translation>Résumé</translation>
    </message>
    <message>
        <source>Email content cannot be loaded!</source>
        <translation>Impossible de charger le contenu de l&apos;e-mail !</translation>
    </message>
    <message>
        <source>Please copy the content and send it manually</source>
        <translation>Veuillez copier le contenu et l&apos;envoyer vous-même</translation>
    </message>
    <message>
        <source>Summarize</source>
        <translation>Résumer</translation>
    </message>
    <message>
        <source>Message text to summarize</source>
        <translation>Texte du message à résumer</translation>
    </message>
    <message>
        <source>Summarizing</source>
        <translation>Résumé en cours</translation>
    </message>
</context>
<context>
    <name>UpdateModalView</name>
    <message>
        <source>New version available!</source>
        <translation>Nouvelle version disponible !</translation>
    </message>
    <message>
        <source>A new version of the Quorvane app was released. Download the new version to use the latest updates.</source>
        <translation>Une nouvelle version de l&apos;application Quorvane est sortie. Téléchargez-la pour profiter des dernières mises à jour.</translation>
    </message>
    <message>
        <source>Remind me later</source>
        <translation>Me le rappeler plus tard</translation>
    </message>
    <message>
        <source>Update now</source>
        <translation>Mettre à jour</translation>
    </message>
</context>
</TS>
