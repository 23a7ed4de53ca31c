#include "formfields.h"

#include <sstream>

namespace backend {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::map<std::string, std::string> formFields(const std::string& encoded) {
    std::map<std::string, std::string> fields;
    std::istringstream in(encoded);
    for (std::string pair; std::getline(in, pair, '&');) {
        const std::size_t eq = pair.find('=');
        if (eq != std::string::npos) {
            fields[percentDecode(pair.substr(0, eq))] = percentDecode(pair.substr(eq + 1));
        }
    }
    return fields;
}

} // namespace backend
