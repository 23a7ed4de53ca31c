#include "chatbodies.h"
#include "generateresponsebody.h"
#include "recordtext.h"
#include "summarizerequestbody.h"
#include "trainingdatabody.h"

Json toJson(const SummarizeRequestBody& body) {
    return Json{{"content", utf8(body.content)},
                {"email", utf8(body.email)},
                {"plugin_source", utf8(body.plugin_source)},
                {"plugin_version", utf8(body.plugin_version)}};
}

Json toJson(const GenerateResponseBody& body) {
    return Json{{"messageId", utf8(body.messageId)},
                {"content", utf8(body.content)},
                {"email", utf8(body.email)},
                {"plugin_source", utf8(body.plugin_source)},
                {"plugin_version", utf8(body.plugin_version)}};
}

Json toJson(const ChatStartBody& body) {
    return Json{{"email", utf8(body.email)},
                {"plugin_source", utf8(body.plugin_source)},
                {"plugin_version", utf8(body.plugin_version)},
                {"email_content", utf8(body.email_content)}};
}

Json toJson(const ChatBody& body) {
    return Json{{"assistantId", utf8(body.assistantId)},
                {"threadId", utf8(body.threadId)},
                {"email", utf8(body.email)},
                {"content", utf8(body.content)},
                {"plugin_source", utf8(body.plugin_source)},
                {"plugin_version", utf8(body.plugin_version)}};
}

Json toJson(const TrainingDataBody& body) {
    return Json{{"email", utf8(body.email)},
                {"question", utf8(body.question)},
                {"answer", utf8(body.answer)},
                {"plugin_source", utf8(body.plugin_source)},
                {"plugin_version", utf8(body.plugin_version)}};
}

QString textForm(const ChatStartBody& body) {
    return recordText("ChatStartBody", {{"email", body.email},
                                        {"plugin_source", body.plugin_source},
                                        {"plugin_version", body.plugin_version},
                                        {"email_content", body.email_content}});
}

QString textForm(const TrainingDataBody& body) {
    return recordText("TrainingDataBody", {{"email", body.email},
                                           {"question", body.question},
                                           {"answer", body.answer},
                                           {"plugin_source", body.plugin_source},
                                           {"plugin_version", body.plugin_version}});
}
