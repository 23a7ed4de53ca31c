#include "draftquality.h"

#include "eventloop.h"
#include "extractiveengine.h"
#include "mailsentences.h"
#include "openaiengine.h"
#include "phrases.h"
#include "testhttpsserver.h"

#include <algorithm>
#include <fstream>
#include <future>
#include <glib.h>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

using namespace backend;

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(QualityMail::Ask, text, key)

namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return {std::istreambuf_iterator<char>(in), {}};
}

const std::pair<const char*, Language> languages[] = {
    {"en", Language::English}, {"fr", Language::French},  {"de", Language::German},
    {"es", Language::Spanish}, {"it", Language::Italian}, {"pt", Language::Portuguese},
    {"nl", Language::Dutch}};

Language languageOfCode(const std::string& code) {
    const auto* known = std::ranges::find(languages, code, [](const auto& l) { return l.first; });
    if (known == std::end(languages)) {
        throw std::runtime_error("unknown language " + code);
    }
    return known->second;
}

QualityMail readMail(const std::filesystem::path& eml) {
    QualityMail mail;
    mail.name = eml.stem().string();
    const std::string raw = fileText(eml);
    const std::size_t headEnd = raw.find("\n\n");
    if (headEnd == std::string::npos) {
        throw std::runtime_error(eml.string() + " has no body");
    }
    // The client sends the message without its headers.
    mail.body = raw.substr(headEnd + 2);
    std::filesystem::path annotation = eml;
    annotation.replace_extension(".json");
    try {
        const auto json = nlohmann::json::parse(fileText(annotation));
        mail.language = languageOfCode(json.at("language").get<std::string>());
        mail.sender = json.at("sender").get<std::string>();
        mail.heldOut = json.at("heldOut").get<bool>();
        mail.summary = json.at("summary").get<std::vector<std::string>>();
        mail.asks = json.at("asks").get<std::vector<QualityMail::Ask>>();
        mail.excluded = json.at("excluded").get<std::vector<std::string>>();
    } catch (const nlohmann::json::exception& e) {
        throw std::runtime_error(annotation.string() + ": " + e.what());
    }
    return mail;
}

// Case-folded, with every run of white space made one space, so that a sentence a paragraph
// wrapped still matches.
std::string folded(std::string_view text) {
    gchar* fold = g_utf8_casefold(text.data(), static_cast<gssize>(text.size()));
    std::string result;
    bool space = true;
    for (const char* c = fold; *c != '\0'; ++c) {
        if (*c == ' ' || *c == '\n' || *c == '\t' || *c == '\r') {
            space = true;
            continue;
        }
        if (space && !result.empty()) {
            result += ' ';
        }
        space = false;
        result += *c;
    }
    g_free(fold);
    return result;
}

bool holds(const std::string& foldedText, std::string_view part) {
    return foldedText.find(folded(part)) != std::string::npos;
}

std::string firstName(const std::string& name) {
    return name.substr(0, name.find(' '));
}

// The numbered lines of a draft: one point for each question and request.
std::vector<std::string> replyPointsOf(const std::string& reply) {
    std::vector<std::string> points;
    std::istringstream lines(reply);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t digits = line.find_first_not_of("0123456789");
        if (digits > 0 && digits != std::string::npos && line.compare(digits, 2, ". ") == 0) {
            points.push_back(folded(line));
        }
    }
    return points;
}

bool isNoText(const std::string& summary) {
    return std::ranges::any_of(
        languages, [&](const auto& l) { return summary == phrasesFor(l.second).noText; });
}

// The mail's first sentences, as the engine splits them, cut to `length` bytes.
std::string lead(const std::string& body, std::size_t length) {
    const MailSentences sentences(body);
    std::string text;
    for (std::size_t i = 0; i < sentences.size() && text.size() < length; ++i) {
        text += (text.empty() ? "" : " ") + std::string(sentences[i]);
    }
    return text.substr(0, length);
}

// Records a miss under the mail's name when `hit` is false.
void count(Share& share, bool hit, std::vector<std::string>& misses, const QualityMail& mail,
           const std::string& what) {
    share.add(hit);
    if (!hit) {
        misses.push_back(mail.name + ": " + what);
    }
}

} // namespace

std::vector<QualityMail> loadQualityCorpus() {
    return loadQualityCorpus(QUORVANE_QUALITY_CORPUS);
}

std::vector<QualityMail> loadQualityCorpus(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".eml") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<QualityMail> mails(files.size());
    std::ranges::transform(files, mails.begin(), readMail);
    return mails;
}

ExtractiveScores scoreExtractive(const std::vector<QualityMail>& mails, bool heldOut) {
    ExtractiveScores s;
    ExtractiveEngine engine;
    for (const QualityMail& mail : mails) {
        if (mail.heldOut != heldOut) {
            continue;
        }
        const std::string summary = engine.summarize(mail.body);
        const std::string reply = engine.reply(mail.body, "Ann Lee");
        const std::string foldedSummary = folded(summary);
        const std::string foldedLead = folded(lead(mail.body, summary.size()));
        for (const std::string& sentence : mail.summary) {
            count(s.summaryRecall, holds(foldedSummary, sentence), s.misses, mail,
                  "summary lacks \"" + sentence + "\"");
            s.leadRecall.add(holds(foldedLead, sentence));
        }
        count(s.summaryGiven, !summary.empty() && !isNoText(summary), s.misses, mail,
              "no summary: " + summary);
        const std::vector<std::string> points = replyPointsOf(reply);
        for (const QualityMail::Ask& ask : mail.asks) {
            const std::string key = folded(ask.key);
            const bool named = std::any_of(points.begin(), points.end(), [&](const auto& point) {
                return point.find(key) != std::string::npos;
            });
            count(s.asksNamed, named, s.misses, mail, "no point names \"" + ask.key + "\"");
        }
        count(s.onlyAsks, points.size() <= mail.asks.size(), s.misses, mail,
              std::to_string(points.size()) + " points for " + std::to_string(mail.asks.size()) +
                  " questions and requests");
        count(s.replyLanguage, detectLanguage(reply) == mail.language, s.misses, mail,
              "reply not in " + std::string(languageName(mail.language)));
        const std::string greeting = folded(reply.substr(0, reply.find('\n')));
        count(s.greetedByName, holds(greeting, firstName(mail.sender)), s.misses, mail,
              "greeting \"" + reply.substr(0, reply.find('\n')) + "\"");
        const std::string draft = foldedSummary + "\n" + folded(reply);
        for (const std::string& snippet : mail.excluded) {
            count(s.clean, !holds(draft, snippet), s.misses, mail,
                  "draft holds \"" + snippet + "\"");
        }
    }
    return s;
}

PromptScores scoreOpenAiPrompts(const std::vector<QualityMail>& mails, bool heldOut) {
    PromptScores s;
    TestHttpsServer model;
    model.on("/v1/chat/completions",
             ScriptedReply{200, R"({"choices":[{"message":{"content":"Noted."}}]})"});
    EventLoop loop(1);
    OpenAiOptions options;
    options.url = model.baseUrl();
    options.model = "echo";
    options.caFile = model.certificateAuthorityFile().string();
    options.timeout = std::chrono::seconds(10);
    OpenAiEngine engine(loop, options);
    std::size_t sent = 0;
    for (const QualityMail& mail : mails) {
        if (mail.heldOut != heldOut) {
            continue;
        }
        std::promise<void> answered;
        engine.reply(mail.body, "Ann Lee", [&](const EngineResult&) { answered.set_value(); });
        answered.get_future().wait();
        // A request that never reached the model server leaves an empty prompt, which fails
        // every check.
        const auto requests = model.requests();
        const std::string body = requests.size() > sent ? requests[sent].body : "{}";
        sent = requests.size();
        const auto parsed = nlohmann::json::parse(body, nullptr, false);
        const auto prompt = parsed.is_object() ? parsed.value("messages", nlohmann::json::array())
                                               : nlohmann::json::array();
        std::string system, user;
        for (const auto& message : prompt) {
            (message.value("role", "") == "user" ? user : system) +=
                message.value("content", "") + "\n";
        }
        const std::string foldedUser = folded(user);
        bool latest = true;
        for (const std::string& sentence : mail.summary) {
            latest = latest && holds(foldedUser, sentence);
        }
        for (const QualityMail::Ask& ask : mail.asks) {
            latest = latest && holds(foldedUser, ask.text);
        }
        count(s.latestMessage, latest, s.misses, mail, "prompt lacks the latest message");
        const std::string all = folded(system) + "\n" + foldedUser;
        count(s.clean,
              std::none_of(mail.excluded.begin(), mail.excluded.end(),
                           [&](const std::string& snippet) { return holds(all, snippet); }),
              s.misses, mail, "prompt holds quoted or signature text");
        count(s.languageNamed, system.find(languageName(mail.language)) != std::string::npos,
              s.misses, mail, "prompt does not name " + std::string(languageName(mail.language)));
        count(s.senderNamed, holds(foldedUser, firstName(mail.sender)), s.misses, mail,
              "prompt lacks the sender's name");
        // The user turn opens with a marker the system prompt names, and closes with its
        // counterpart once, after all of the mail.
        const std::string open = user.substr(0, user.find('\n'));
        const std::string close = "</" + open.substr(std::min<std::size_t>(1, open.size()));
        const std::size_t closeAt = user.find(close);
        bool intact = open.size() > 2 && open.front() == '<' && open.back() == '>' &&
                      system.find(open) != std::string::npos &&
                      user.find(open, 1) == std::string::npos && closeAt != std::string::npos &&
                      user.find(close, closeAt + 1) == std::string::npos;
        const std::string inside = intact ? folded(user.substr(0, closeAt)) : "";
        for (const QualityMail::Ask& ask : mail.asks) {
            intact = intact && holds(inside, ask.text);
        }
        count(s.fenceIntact, intact, s.misses, mail, "the fence does not hold the mail");
    }
    return s;
}
