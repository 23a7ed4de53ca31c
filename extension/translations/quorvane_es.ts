<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en">
<context>
    <name>ChatTab</name>
    <message>
        <source>Provide specific prompts to the AI assistant for more detailed and personalized reply options.</source>
        <translation>Da indicaciones concretas al asistente de IA para obtener propuestas de respuesta más detalladas y personalizadas.</translation>
    </message>
</context>
<context>
    <name>ChatView</name>
    <message>
        <source>Ask questions here</source>
        <translation>Haz tus preguntas aquí</translation>
    </message>
    <message>
        <source>Your question</source>
        <translation>Tu pregunta</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Respuesta del asistente</translation>
    </message>
    <message>
        <source>Waiting for the answer</source>
        <translation>Esperando la respuesta</translation>
    </message>
    <message>
        <source>Send question</source>
        <translation>Enviar pregunta</translation>
    </message>
    <message>
        <source>Conversation</source>
        <extracomment>The list of questions and answers, as a screen reader names it.</extracomment>
        <translation>Conversación</translation>
    </message>
</context>
<context>
    <name>DeveloperMenu</name>
    <message>
        <source>Select API endpoint</source>
        <translation>Endpoint de la API</translation>
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
        <translation>Versión</translation>
    </message>
    <message>
        <source>Developer menu</source>
        <translation>Menú de desarrollo</translation>
    </message>
</context>
<context>
    <name>FixedText</name>
    <message>
        <source>Response generated successfully.</source>
        <translation>Respuesta generada correctamente.</translation>
    </message>
    <message>
        <source>Failed to submit training data.</source>
        <translation>No se pudieron enviar los datos de entrenamiento.</translation>
    </message>
    <message>
        <source>Server error! Please try again later.</source>
        <translation>¡Error del servidor! Inténtalo de nuevo más tarde.</translation>
    </message>
    <message>
        <source>Something went wrong, please try again</source>
        <translation>Algo salió mal, inténtalo de nuevo</translation>
    </message>
    <message>
        <source>Success: %1</source>
        <extracomment>A toast; %1 is the server&apos;s own text, shown untranslated.</extracomment>
        <translation>Correcto: %1</translation>
    </message>
    <message>
        <source>Invalid response received from the server.</source>
        <translation>Se recibió una respuesta no válida del servidor.</translation>
    </message>
    <message>
        <source>No data received from server.</source>
        <translation>No se recibieron datos del servidor.</translation>
    </message>
    <message>
        <source>There is no message text to reply to.</source>
        <translation>No hay texto del mensaje al que responder.</translation>
    </message>
    <message>
        <source>Server error: %1</source>
        <extracomment>A toast; %1 is the HTTP status code.</extracomment>
        <translation>Error del servidor: %1</translation>
    </message>
    <message>
        <source>Error sending request: %1</source>
        <extracomment>A toast; %1 is the network&apos;s own description of the failure, shown untranslated.</extracomment>
        <translation>Error al enviar la solicitud: %1</translation>
    </message>
</context>
<context>
    <name>ImageView</name>
    <message>
        <source>Failed to load image</source>
        <translation>No se pudo cargar la imagen</translation>
    </message>
</context>
<context>
    <name>LoginView</name>
    <message>
        <source>To use this plugin, you need to authenticate your account. Please log in to verify your subscription and access all the Quorvane features.</source>
        <translation>Para usar este plugin, debes autenticar tu cuenta. Inicia sesión para verificar tu suscripción y acceder a todas las funciones de Quorvane.</translation>
    </message>
    <message>
        <source>Login</source>
        <extracomment>Starts the sign-in in the browser.</extracomment>
        <translation>Iniciar sesión</translation>
    </message>
</context>
<context>
    <name>PanelHeader</name>
    <message>
        <source>Log out</source>
        <translation>Cerrar sesión</translation>
    </message>
</context>
<context>
    <name>ReplyTab</name>
    <message>
        <source>Generate instant responses based on the selected email.</source>
        <translation>Genera respuestas al instante a partir del correo seleccionado.</translation>
    </message>
    <message>
        <source>Generate response</source>
        <translation>Generar respuesta</translation>
    </message>
    <message>
        <source>Regenerate response</source>
        <translation>Volver a generar</translation>
    </message>
    <message>
        <source>Regenerating a response will use additional tokens</source>
        <translation>Volver a generar una respuesta consume tokens adicionales</translation>
    </message>
    <message>
        <source>Submit to train AI</source>
        <translation>Entrenar la IA</translation>
    </message>
    <message>
        <source>Copy to clipboard</source>
        <translation>Copiar</translation>
    </message>
    <message>
        <source>Drafted reply</source>
        <translation>Borrador de respuesta</translation>
    </message>
</context>
<context>
    <name>SessionModalView</name>
    <message>
        <source>Quick response</source>
        <extracomment>A tab: a reply drafted in one step.</extracomment>
        <translation>Respuesta rápida</translation>
    </message>
    <message>
        <source>Custom interactive response</source>
        <extracomment>A tab: a chat with the assistant about the message.</extracomment>
        <translation>Respuesta interactiva</translation>
    </message>
    <message>
        <source>Text copied to clipboard!</source>
        <translation>¡Texto copiado al portapapeles!</translation>
    </message>
    <message>
        <source>Drafting a reply</source>
        <translation>Redactando una respuesta</translation>
    </message>
</context>
<context>
    <name>SummaryArea</name>
    <message>
        <source>Summary</source>
        <translation>Resumen</translation>
    </message>
    <message>
        <source>Email content cannot be loaded!</source>
        <translation>¡No se puede cargar el contenido del correo!</translation>
    </message>
    <message>
        <source>Please copy the content and send it manually</source>
        <translation>Copia el contenido y envíalo manualmente</translation>
    </message>
    <message>
        <source>Summarize</source>
        <translation>Resumir</translation>
    </message>
    <message>
        <source>Message text to summarize</source>
        <translation>Texto del mensaje para resumir</translation>
    </message>
    <message>
        <source>Summarizing</source>
        <translation>Resumiendo</translation>
    </message>
</context>
<context>
    <name>UpdateModalView</name>
    <message>
        <source>New version available!</source>
        <translation>¡Nueva versión disponible!</translation>
    </message>
    <message>
        <source>A new version of the Quorvane app was released. Download the new version to use the latest updates.</source>
        <translation>Se ha publicado una nueva versión de la aplicación Quorvane. Descárgala para usar las últimas novedades.</translation>
    </message>
    <message>
        <source>Remind me later</source>
        <translation>Recordármelo más tarde</translation>
    </message>
    <message>
        <source>Update now</source>
        <translation>Actualizar ahora</translation>
    </message>
</context>
</TS>
