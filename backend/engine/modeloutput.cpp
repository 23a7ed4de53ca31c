#include "modeloutput.h"

#include <algorithm>
#include <vector>

namespace backend {
namespace {

using Words = std::vector<std::string_view>;

// How models open a remark to their user, in the seven languages the engine writes: English,
// French, German, Spanish, Italian, Portuguese, Dutch. Lower case.
const Words preambleOpenings{
    "sure",      "certainly",  "of course",    "here is",   "here's",       "here are",
    "below is",  "absolutely", "voici",        "bien sûr",  "certainement", "voilà",
    "hier ist",  "gerne",      "gern",         "natürlich", "klar",         "aquí tienes",
    "aquí está", "claro",      "por supuesto", "ecco",      "certo",        "certamente",
    "aqui está", "aqui tem",   "com certeza",  "hier is",   "zeker",        "natuurlijk",
    "graag"};
// What such a preamble announces; without one of these the line may be the draft's own.
const Words preambleSubjects{
    "draft",     "reply",   "response", "summary",  "answer",      "email",           "e-mail",
    "brouillon", "réponse", "résumé",   "entwurf",  "antwort",     "zusammenfassung", "borrador",
    "respuesta", "resumen", "bozza",    "risposta", "riassunto",   "sintesi",         "rascunho",
    "resposta",  "resumo",  "concept",  "antwoord", "samenvatting"};
const Words offerOpenings{"let me know",
                          "feel free",
                          "i hope this",
                          "hope this",
                          "if you'd like",
                          "if you would like",
                          "if you want",
                          "would you like",
                          "n'hésitez pas",
                          "dites-moi",
                          "faites-moi savoir",
                          "si vous souhaitez",
                          "lassen sie mich wissen",
                          "sagen sie bescheid",
                          "sag bescheid",
                          "möchten sie",
                          "falls sie",
                          "wenn sie",
                          "avísame",
                          "dime si",
                          "si quieres",
                          "si necesitas",
                          "quieres",
                          "fammi sapere",
                          "se vuoi",
                          "se desideri",
                          "diga-me",
                          "avise-me",
                          "se quiser",
                          "se precisar",
                          "laat me weten",
                          "laat het me weten",
                          "als je wilt",
                          "wil je"};
// What such an offer is about: changing the draft or helping further.
const Words offerSubjects{"change",  "adjust",        "edit",     "modif", "tweak",   "revis",
                          "help",    "anything else", "ajust",    "aide",  "nderung", "anpass",
                          "hilft",   "cambi",         "ayud",     "aiut",  "alter",   "ajud",
                          "aanpass", "wijzig",        "verander", "helpt"};

// Lower case for ASCII, without Spanish opening marks, for matching the words above.
std::string lowered(std::string_view text) {
    for (const std::string_view mark : {"¡", "¿"}) {
        if (text.starts_with(mark)) {
            text.remove_prefix(mark.size());
        }
    }
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
    });
    return out;
}

bool startsWithAny(const std::string& text, const Words& words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return text.starts_with(word); });
}

bool containsAny(const std::string& text, const Words& words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return text.find(word) != std::string::npos; });
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Reasoning some servers leave in the content: whole <think> blocks, or only the end of one
// when the server already cut its opening tag.
std::string withoutReasoning(std::string text) {
    static constexpr std::string_view open = "<think>";
    static constexpr std::string_view close = "</think>";
    if (const auto end = text.find(close);
        end != std::string::npos && text.rfind(open, end) == std::string::npos) {
        text.erase(0, end + close.size());
    }
    for (auto start = text.find(open); start != std::string::npos; start = text.find(open)) {
        const auto end = text.find(close, start);
        text.erase(start,
                   end == std::string::npos ? std::string::npos : end + close.size() - start);
    }
    return text;
}

std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = std::min(text.find('\n', start), text.size());
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool isBlank(const std::string& line) {
    return trimmed(line).empty();
}

void dropRemarks(std::vector<std::string>& lines) {
    const auto first = std::find_if_not(lines.begin(), lines.end(), isBlank);
    if (first != lines.end()) {
        const std::string line = lowered(trimmed(*first));
        if (line.ends_with(':') && startsWithAny(line, preambleOpenings) &&
            containsAny(line, preambleSubjects)) {
            lines.erase(lines.begin(), first + 1);
        }
    }
    const auto last = std::find_if_not(lines.rbegin(), lines.rend(), isBlank);
    if (last != lines.rend()) {
        const std::string line = lowered(trimmed(*last));
        if (startsWithAny(line, offerOpenings) && containsAny(line, offerSubjects)) {
            lines.erase(std::prev(last.base()), lines.end());
        }
    }
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

// Removes `marker` pairs around text. `flanked` says whether the pair at [open, close) may be
// emphasis, so that an underscore inside a word or a lone star stays.
template <typename Flanked>
std::string withoutPairs(std::string line, std::string_view marker, Flanked flanked) {
    for (std::size_t open = line.find(marker); open != std::string::npos;) {
        const auto inner = open + marker.size();
        const auto close = line.find(marker, inner + 1);
        if (close == std::string::npos) {
            break;
        }
        if (inner < line.size() && !isSpace(line[inner]) && flanked(line, open, close)) {
            line.erase(close, marker.size());
            line.erase(open, marker.size());
            open = line.find(marker, close - marker.size());
        } else {
            open = line.find(marker, inner);
        }
    }
    return line;
}

bool anywhere(const std::string&, std::size_t, std::size_t) {
    return true;
}

// "_word_" only between spaces or punctuation: not ann_b@example.com or snake_case.
bool betweenWords(const std::string& line, std::size_t open, std::size_t close) {
    const auto bounds = [](char c) {
        return isSpace(c) || std::string_view(".,;:!?()").find(c) != std::string_view::npos;
    };
    return (open == 0 || bounds(line[open - 1])) &&
           (close + 1 == line.size() || bounds(line[close + 1]));
}

std::string plainLine(std::string line) {
    const auto indent = line.find_first_not_of(" \t");
    if (indent == std::string::npos) {
        return {};
    }
    const auto hashes = line.find_first_not_of('#', indent);
    if (indent <= 3 && hashes > indent && hashes - indent <= 6 && hashes < line.size() &&
        isSpace(line[hashes])) {
        line.erase(0, line.find_first_not_of(" \t", hashes));
    } else if (indent + 1 < line.size() &&
               std::string_view("*+-").find(line[indent]) != std::string_view::npos &&
               isSpace(line[indent + 1])) {
        line[indent] = '-';
    }
    line = withoutPairs(std::move(line), "**", anywhere);
    line = withoutPairs(std::move(line), "__", anywhere);
    line = withoutPairs(std::move(line), "*", anywhere);
    return withoutPairs(std::move(line), "_", betweenWords);
}

} // namespace

std::string draftFromModelOutput(std::string_view content) {
    auto lines = linesOf(withoutReasoning(std::string(content)));
    dropRemarks(lines);
    std::string draft;
    for (const auto& line : lines) {
        draft += plainLine(line);
        draft += '\n';
    }
    return std::string(trimmed(draft));
}

} // namespace backend
