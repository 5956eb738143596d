// clang-format off
#include <giac/config.h>
#include <giac/giac.h>
// clang-format on

#include "giac_parse.h"

namespace tessary::bench {

int GiacParseAll(const std::vector<std::string>& lines) {
    static giac::context context;
    int parsed = 0;
    for (const std::string& line : lines) {
        giac::gen tree(line, &context);
        if (tree.type != giac::_STRNG || !giac::first_error_line(&context)) ++parsed;
    }
    return parsed;
}

} // namespace tessary::bench
