#include "formfields.h"

#include <boost/url/params_view.hpp>
#include <boost/url/parse_query.hpp>

namespace backend {

std::map<std::string, std::string> formFields(std::string_view encoded) {
    std::map<std::string, std::string> fields;
    const auto parsed = boost::urls::parse_query(encoded);
    if (!parsed) {
        return fields;
    }
    // Browsers encode a space in a form as '+'.
    const boost::urls::params_view decoded(*parsed, boost::urls::encoding_opts(true));
    for (const boost::urls::param& field : decoded) {
        if (field.has_value) {
            fields[field.key] = field.value;
        }
    }
    return fields;
}

} // namespace backend
