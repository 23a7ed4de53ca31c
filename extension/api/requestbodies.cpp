#include "api/chatbodies.h"
#include "api/generateresponsebody.h"
#include "api/recordtext.h"
#include "api/summarizerequestbody.h"
#include "api/trainingdatabody.h"

// Each body lists its members once; the wire form and the log form both follow that list.

namespace {

Json objectOf(const RecordMembers& members) {
    Json object = Json::object();
    for (const auto& [name, value] : members) {
        object[name] = utf8(value);
    }
    return object;
}

RecordMembers members(const SummarizeRequestBody& body) {
    return {{"content", body.content},
            {"email", body.email},
            {"plugin_source", body.plugin_source},
            {"plugin_version", body.plugin_version}};
}

RecordMembers members(const GenerateResponseBody& body) {
    return {{"messageId", body.messageId},
            {"content", body.content},
            {"email", body.email},
            {"plugin_source", body.plugin_source},
            {"plugin_version", body.plugin_version}};
}

RecordMembers members(const ChatStartBody& body) {
    return {{"email", body.email},
            {"plugin_source", body.plugin_source},
            {"plugin_version", body.plugin_version},
            {"email_content", body.email_content}};
}

RecordMembers members(const ChatBody& body) {
    return {{"assistantId", body.assistantId},
            {"threadId", body.threadId},
            {"email", body.email},
            {"content", body.content},
            {"plugin_source", body.plugin_source},
            {"plugin_version", body.plugin_version}};
}

RecordMembers members(const TrainingDataBody& body) {
    return {{"email", body.email},
            {"question", body.question},
            {"answer", body.answer},
            {"plugin_source", body.plugin_source},
            {"plugin_version", body.plugin_version}};
}

} // namespace

Json toJson(const SummarizeRequestBody& body) {
    return objectOf(members(body));
}

Json toJson(const GenerateResponseBody& body) {
    return objectOf(members(body));
}

Json toJson(const ChatStartBody& body) {
    return objectOf(members(body));
}

Json toJson(const ChatBody& body) {
    return objectOf(members(body));
}

Json toJson(const TrainingDataBody& body) {
    return objectOf(members(body));
}

QString textForm(const ChatStartBody& body) {
    return recordText("ChatStartBody", members(body));
}

QString textForm(const TrainingDataBody& body) {
    return recordText("TrainingDataBody", members(body));
}
