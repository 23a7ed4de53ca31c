<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_PT" sourcelanguage="en">
<context>
    <name>ChatTab</name>
    <message>
        <source>Provide specific prompts to the AI assistant for more detailed and personalized reply options.</source>
        <translation>Dê instruções específicas ao assistente de IA para obter propostas de resposta mais detalhadas e personalizadas.</translation>
    </message>
</context>
<context>
    <name>ChatView</name>
    <message>
        <source>Ask questions here</source>
        <translation>Faça aqui as suas perguntas</translation>
    </message>
    <message>
        <source>Your question</source>
        <translation>A sua pergunta</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Resposta do assistente</translation>
    </message>
    <message>
        <source>Waiting for the answer</source>
        <translation>A aguardar a resposta</translation>
    </message>
    <message>
        <source>Send question</source>
        <translation>Enviar pergunta</translation>
    </message>
    <message>
        <source>Conversation</source>
        <extracomment>The list of questions and answers, as a screen reader names it.</extracomment>
        <translation>Conversa</translation>
    </message>
</context>
<context>
    <name>DeveloperMenu</name>
    <message>
        <source>Select API endpoint</source>
        <translation>Endpoint da API</translation>
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
        <translation>Versão</translation>
    </message>
    <message>
        <source>Developer menu</source>
        <translation>Menu de programador</translation>
    </message>
</context>
<context>
    <name>FixedText</name>
    <message>
        <source>Response generated successfully.</source>
        <translation>Resposta gerada com sucesso.</translation>
    </message>
    <message>
        <source>Failed to submit training data.</source>
        <translation>Não foi possível enviar os dados de treino.</translation>
    </message>
    <message>
        <source>Server error! Please try again later.</source>
        <translation>Erro do servidor! Tente novamente mais tarde.</translation>
    </message>
    <message>
        <source>Something went wrong, please try again</source>
        <translation>Algo correu mal, tente novamente</translation>
    </message>
    <message>
        <source>Success: %1</source>
        <extracomment>A toast; %1 is the server&apos;s own text, shown untranslated.</extracomment>
        <translation>Sucesso: %1</translation>
    </message>
    <message>
        <source>Invalid response received from the server.</source>
        <translation>Foi recebida uma resposta inválida do servidor.</translation>
    </message>
    <message>
        <source>No data received from server.</source>
        <translation>Não foram recebidos dados do servidor.</translation>
    </message>
    <message>
        <source>There is no message text to reply to.</source>
        <translation>Não há texto da mensagem a que responder.</translation>
    </message>
    <message>
        <source>Server error: %1</source>
        <extracomment>A toast; %1 is the HTTP status code.</extracomment>
        <translation>Erro do servidor: %1</translation>
    </message>
    <message>
        <source>Error sending request: %1</source>
        <extracomment>A toast; %1 is the network&apos;s own description of the failure, shown untranslated.</extracomment>
        <translation>Erro ao enviar o pedido: %1</translation>
    </message>
</context>
<context>
    <name>ImageView</name>
    <message>
        <source>Failed to load image</source>
        <translation>Não foi possível carregar a imagem</translation>
    </message>
</context>
<context>
    <name>LoginView</name>
    <message>
        <source>To use this plugin, you need to authenticate your account. Please log in to verify your subscription and access all the Quorvane features.</source>
        <translation>Para usar este plugin, tem de autenticar a sua conta. Inicie sessão para verificar a sua subscrição e aceder a todas as funcionalidades do Quorvane.</translation>
    </message>
    <message>
        <source>Login</source>
        <extracomment>Starts the sign-in in the browser.</extracomment>
        <translation>Iniciar sessão</translation>
    </message>
</context>
<context>
    <name>PanelHeader</name>
    <message>
        <source>Log out</source>
        <translation>Terminar sessão</translation>
    </message>
</context>
<context>
    <name>ReplyTab</name>
    <message>
        <source>Generate instant responses based on the selected email.</source>
        <translation>Gere respostas imediatas com base no e-mail selecionado.</translation>
    </message>
    <message>
        <source>Generate response</source>
        <translation>Gerar resposta</translation>
    </message>
    <message>
        <source>Regenerate response</source>
        <translation>Gerar novamente</translation>
    </message>
    <message>
        <source>Regenerating a response will use additional tokens</source>
        <translation>Gerar novamente uma resposta consome tokens adicionais</translation>
    </message>
    <message>
        <source>Submit to train AI</source>
        <translation>Treinar a IA</translation>
    </message>
    <message>
        <source>Copy to clipboard</source>
        <translation>Copiar</translation>
    </message>
    <message>
        <source>Drafted reply</source>
        <translation>Rascunho de resposta</translation>
    </message>
</context>
<context>
    <name>SessionModalView</name>
    <message>
        <source>Quick response</source>
        <extracomment>A tab: a reply drafted in one step.</extracomment>
        <translation>Resposta rápida</translation>
    </message>
    <message>
        <source>Custom interactive response</source>
        <extracomment>A tab: a chat with the assistant about the message.</extracomment>
        <translation>Resposta interativa</translation>
    </message>
    <message>
        <source>Text copied to clipboard!</source>
        <translation>Texto copiado para a área de transferência!</translation>
    </message>
    <message>
        <source>Drafting a reply</source>
        <translation>A redigir uma resposta</translation>
    </message>
</context>
<context>
    <name>SummaryArea</name>
    <message>
        <source>Summary</source>
        <translation>Resumo</translation>
    </message>
    <message>
        <source>Email content cannot be loaded!</source>
        <translation>Não é possível carregar o conteúdo do e-mail!</translation>
    </message>
    <message>
        <source>Please copy the content and send it manually</source>
        <translation>Copie o conteúdo e envie-o manualmente</translation>
    </message>
    <message>
        <source>Summarize</source>
        <translation>Resumir</translation>
    </message>
    <message>
        <source>Message text to summarize</source>
        <translation>Texto da mensagem a resumir</translation>
    </message>
    <message>
        <source>Summarizing</source>
        <translation>A resumir</translation>
    </message>
</context>
<context>
    <name>UpdateModalView</name>
    <message>
        <source>New version available!</source>
        <translation>Nova versão disponível!</translation>
    </message>
    <message>
        <source>A new version of the Quorvane app was released. Download the new version to use the latest updates.</source>
        <translation>Foi lançada uma nova versão da aplicação Quorvane. Transfira-a para usar as atualizações mais recentes.</translation>
    </message>
    <message>
        <source>Remind me later</source>
        <translation>Lembrar mais tarde</translation>
    </message>
    <message>
        <source>Update now</source>
        <translation>Atualizar agora</translation>
    </message>
</context>
</TS>
