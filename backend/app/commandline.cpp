#include "commandline.h"

#include "typedaddress.h"

#include <algorithm>
#include <boost/program_options.hpp>
#include <functional>
#include <sstream>
#include <vector>

namespace backend {

// Lets Boost.Program_options read an Endpoint option; found by argument-dependent lookup.
void validate(boost::any& value, const std::vector<std::string>& texts, Endpoint*, int) {
    namespace po = boost::program_options;
    const std::string& text = po::validators::get_single_string(texts);
    const auto endpoint = parseEndpoint(text);
    if (!endpoint) {
        throw po::invalid_option_value(text + " (not ADDRESS:PORT)");
    }
    value = *endpoint;
}

namespace {

namespace po = boost::program_options;

struct Options {
    po::options_description named{"options"};
    po::positional_options_description positional;
    std::string operands;
};

struct CommandForm {
    std::vector<std::string_view> words;
    CommandLine::Command command;
    std::function<void(Options&, CommandLine&)> describe;
};

auto text(std::optional<std::string>& target) {
    return po::value<std::string>()->notifier([&target](const std::string& v) { target = v; });
}

auto atLeastOne(std::int64_t& target, const char* flag) {
    return po::value<std::int64_t>(&target)->notifier([flag](std::int64_t v) {
        if (v < 1) {
            throw CommandLineError(std::string("--") + flag + " must be at least 1");
        }
    });
}

// For a setting that stays unset unless given.
auto optionalAtLeastOne(std::optional<std::int64_t>& target, const char* flag) {
    return po::value<std::int64_t>()->notifier([&target, flag](std::int64_t v) {
        if (v < 1) {
            throw CommandLineError(std::string("--") + flag + " must be at least 1");
        }
        target = v;
    });
}

// Clients append paths such as "/plugin-auth/login?code=..." to it, so it ends without a slash
// and carries neither query nor fragment.
auto publicUrl(std::optional<std::string>& target) {
    return po::value<std::string>()->notifier([&target](std::string url) {
        const std::size_t scheme = url.starts_with("https://")  ? 8
                                   : url.starts_with("http://") ? 7
                                                                : 0;
        if (scheme == 0 || url.size() == scheme || url[scheme] == '/' ||
            url.find_first_of("?#") != std::string::npos) {
            throw CommandLineError("--public-url must be an http or https URL without a query or "
                                   "fragment, such as https://mail.example.org:8443");
        }
        while (url.ends_with('/')) {
            url.pop_back();
        }
        target = url;
    });
}

void data(Options& options, CommandLine& line) {
    options.named.add_options()("data", po::value(&line.data)->required(),
                                "the backend's data folder");
}

void store(Options& options, CommandLine& line) {
    options.named.add_options()("store", po::value(&line.storeUrl),
                                "postgresql://USER@HOST/DB of a shared database (or "
                                "QUORVANE_STORE_URL); DATA/backend.sqlite without it");
}

// The administration commands reach the store alone, so a shared database needs no folder.
void dataOrStore(Options& options, CommandLine& line) {
    options.named.add_options()("data", po::value(&line.data), "the backend's data folder");
    store(options, line);
}

void describeServe(Options& options, CommandLine& line) {
    ServeSettings& s = line.serve;
    data(options, line);
    store(options, line);
    options.named.add_options()
        // clang-format off
        ("config", po::value<std::string>(), "a file of NAME = VALUE lines with these options' "
         "names; the command line wins")
        ("tls-init-if-missing", po::bool_switch(&s.tlsInitIfMissing),
         "run tls init first when neither --tls-cert nor DATA/tls/server.pem exists")
        ("listen", po::value(&s.listen), "ADDRESS:PORT of the API (127.0.0.1:8443)")
        ("login-listen", po::value<Endpoint>()->notifier([&s](const Endpoint& e) {
             s.loginListen = e; }), "loopback ADDRESS:PORT of a plain-HTTP sign-in page")
        ("tls-cert", text(s.tlsCert), "certificate PEM (DATA/tls/server.pem)")
        ("tls-key", text(s.tlsKey), "key PEM (DATA/tls/server-key.pem)")
        ("public-url", publicUrl(s.publicUrl), "the URL clients reach the API at")
        ("release-version", text(s.releaseVersion), "the newest extension version")
        ("release-url", text(s.releaseUrl), "where that version is downloaded")
        ("engine", po::value(&s.engine), "extractive or openai")
        ("llm-url", po::value(&s.llmUrl), "the model server's base URL")
        ("llm-model", po::value(&s.llmModel), "the model's name")
        ("llm-model-summary", po::value(&s.llmModelSummary), "the model for summaries")
        ("llm-model-reply", po::value(&s.llmModelReply), "the model for replies")
        ("llm-model-chat", po::value(&s.llmModelChat), "the model for chat answers")
        ("llm-temperature", po::value<double>()->notifier([&s](double v) {
             if (!(v >= 0 && v <= 2)) {
                 throw CommandLineError("--llm-temperature must be between 0 and 2");
             }
             s.llmTemperature = v; }), "sampling temperature (the server's default)")
        ("llm-max-tokens", optionalAtLeastOne(s.llmMaxTokens, "llm-max-tokens"),
         "tokens per answer (the server's default)")
        ("llm-timeout", atLeastOne(s.llmTimeoutSeconds, "llm-timeout"),
         "seconds per model call, queue wait included (50)")
        ("llm-max-input-chars", atLeastOne(s.llmMaxInputChars, "llm-max-input-chars"),
         "characters of a mail the model reads (24000)")
        ("llm-allow-http", po::bool_switch(&s.llmAllowHttp),
         "allow plain http to a model server on another machine")
        ("fallback", po::value(&s.fallback)->notifier([](const std::string& v) {
             if (v != "extractive") {
                 throw CommandLineError("--fallback must be extractive");
             }}), "the engine that answers when the model fails: extractive (none)")
        ("llm-concurrency", atLeastOne(s.llmConcurrency, "llm-concurrency"),
         "model calls at once")
        ("token-days", atLeastOne(s.tokenDays, "token-days"), "days a token lasts (30)")
        ("llm-queue", optionalAtLeastOne(s.llmQueue, "llm-queue"),
         "model calls waiting (4 x concurrency)")
        ("sessions-per-minute", atLeastOne(s.sessionsPerMinute, "sessions-per-minute"),
         "sign-in sessions one client address may start a minute")
        ("stored-mb-per-day", atLeastOne(s.storedMbPerDay, "stored-mb-per-day"),
         "megabytes of mail, questions and training pairs one account may store a day (256)")
        ("connections-per-address", atLeastOne(s.connectionsPerAddress,
                                               "connections-per-address"),
         "connections one client address (an IPv6 one by its /64) may hold")
        ("keep-alive-timeout", atLeastOne(s.keepAliveSeconds, "keep-alive-timeout"),
         "seconds an idle connection has for its next request's headers")
        ("store-connections", atLeastOne(s.storeConnections, "store-connections"),
         "connections to a shared database (8)");
    // clang-format on
}

// What counts as blank in a name.
constexpr std::string_view spaces = " \t\n\r\f\v";

void describeUserAdd(Options& options, CommandLine& line) {
    dataOrStore(options, line);
    // Sign-in compares the address without its surrounding spaces, so it is kept without them.
    const auto email = [&line](const std::string& given) {
        line.email = typedAddress(given);
        const std::size_t at = line.email.find('@');
        if (at == 0 || at == std::string::npos || at + 1 == line.email.size() ||
            line.email.find('@', at + 1) != std::string::npos) {
            throw CommandLineError("'" + given +
                                   "' is not an e-mail address; it needs one @ with text on both "
                                   "sides");
        }
    };
    const auto name = [](const std::string& given) {
        if (given.find_first_not_of(spaces) == std::string::npos) {
            throw CommandLineError("--name must not be blank");
        }
    };
    options.named.add_options()("email", po::value<std::string>()->required()->notifier(email),
                                "the account's e-mail address: one @ with text on both sides")(
        "name", po::value(&line.name)->required()->notifier(name), "the account's display name");
    options.positional.add("email", 1);
    options.operands = " EMAIL";
}

void describeTlsInit(Options& options, CommandLine& line) {
    data(options, line);
    options.named.add_options()("force", po::bool_switch(&line.force),
                                "replace the CA and server certificate and keys in DATA/tls; "
                                "clients must then trust the new CA");
}

void describeTokenRevoke(Options& options, CommandLine& line) {
    dataOrStore(options, line);
    options.named.add_options()("user", po::value(&line.email)->required(),
                                "the e-mail address whose tokens end now");
}

const std::vector<CommandForm>& commands() {
    using C = CommandLine::Command;
    static const std::vector<CommandForm> table = {
        {{"serve"}, C::Serve, describeServe},
        {{"user", "add"}, C::UserAdd, describeUserAdd},
        {{"tls", "init"}, C::TlsInit, describeTlsInit},
        {{"export-training"}, C::ExportTraining, dataOrStore},
        {{"migrate"}, C::Migrate, dataOrStore},
        {{"token", "list"}, C::TokenList, dataOrStore},
        {{"token", "revoke"}, C::TokenRevoke, describeTokenRevoke},
    };
    return table;
}

std::string commandName(const CommandForm& form) {
    std::string name;
    for (const auto word : form.words) {
        if (!name.empty()) {
            name += ' ';
        }
        name += word;
    }
    return name;
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    const std::vector<std::string> args(argv, argv + argc);
    CommandLine line;
    // Help asked after a command ("serve --help") is help too, not an unknown option.
    const auto asksForHelp = [](const std::string& arg) { return arg == "--help" || arg == "-h"; };
    if (args.empty() || args[0] == "help" || std::ranges::any_of(args, asksForHelp)) {
        return line;
    }
    for (const CommandForm& form : commands()) {
        if (args.size() < form.words.size() ||
            !std::equal(form.words.begin(), form.words.end(), args.begin())) {
            continue;
        }
        Options options;
        form.describe(options, line);
        const std::vector<std::string> rest(args.begin() + std::ssize(form.words), args.end());
        try {
            po::variables_map values;
            // No abbreviations: a shortened flag must not quietly pick one of several.
            const int style =
                po::command_line_style::default_style & ~po::command_line_style::allow_guessing;
            po::store(po::command_line_parser(rest)
                          .options(options.named)
                          .positional(options.positional)
                          .style(style)
                          .run(),
                      values);
            if (values.count("config") != 0) {
                // Stored after the command line, whose values therefore win.
                po::store(po::parse_config_file(values["config"].as<std::string>().c_str(),
                                                options.named),
                          values);
            }
            po::notify(values);
        } catch (const po::error& e) {
            throw CommandLineError(commandName(form) + ": " + e.what());
        }
        line.command = form.command;
        return line;
    }
    throw CommandLineError("unknown command '" + args[0] + "'; see quorvane-backend --help");
}

std::string usage() {
    std::ostringstream out;
    out << "usage: quorvane-backend COMMAND [OPTIONS]\n";
    for (const CommandForm& form : commands()) {
        Options options;
        CommandLine unused;
        form.describe(options, unused);
        out << "\nquorvane-backend " << commandName(form) << options.operands << "\n"
            << options.named;
    }
    out << "\nThe openai engine reads its key from QUORVANE_LLM_API_KEY; user add reads the "
           "password from standard input. serve and tls init need --data; the other commands need "
           "--data, --store or QUORVANE_STORE_URL.\n";
    return out.str();
}

} // namespace backend
