#include "formfields.h"

#include <boost/url/params_view.hpp>
#include <boost/url/parse_query.hpp>

namespace backend {

std::map<std::string, std::string> formFields(const std::string& encoded) {
    std::map<std::string, std::string> fields;
    if (!boost::urls::parse_query(encoded)) {
        return fields;
    }
    // Browsers encode a space in a form as '+'. The view is made from the text, which parses
    // now: Debian's library lacks the constructor that takes the parsed view.
    const boost::urls::params_view decoded(encoded, boost::urls::encoding_opts(true));
    for (const boost::urls::param& field : decoded) {
        if (field.has_value) {
            fields[field.key] = field.value;
        }
    }
    return fields;
}

} // namespace backend
