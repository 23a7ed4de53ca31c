#include "generateresponsebody.h"
#include "summarizerequestbody.h"

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
