#include "OpenOptions.h"

#include "AsciiText.h"

#include <charconv>

namespace corvinet {
namespace {

enum class Kind { Flag, Text, Options, Mode };
enum class Field {
    None,
    Name,
    Protocol,
    Mode,
    Host,
    Options,
    Launch,
    Create,
    Connect,
    Auth,
    Device
};

struct Option {
    const char* name;
    Kind kind;
    Field field;
};

constexpr Option kOptions[] = {
    {"-corvinet", Kind::Flag, Field::None},
    {"-linkname", Kind::Text, Field::Name},
    {"-linkprotocol", Kind::Text, Field::Protocol},
    {"-linkmode", Kind::Mode, Field::Mode},
    {"-linkhost", Kind::Text, Field::Host},
    {"-linkoptions", Kind::Options, Field::Options},
    {"-linklaunch", Kind::Flag, Field::Launch},
    {"-linkcreate", Kind::Flag, Field::Create},
    {"-linkconnect", Kind::Flag, Field::Connect},
    {"-linkauthentication", Kind::Text, Field::Auth},
    {"-linkdevice", Kind::Text, Field::Device},
};

struct Keyword {
    const char* name;
    uint32_t mask;
    uint32_t value;
};

constexpr Keyword kModes[] = {
    {"Loopback", 0, 0x1}, {"Launch", 0, 0x8}, {"ParentConnect", 0, 0x10}, {"Listen", 0, 0x2},
    {"Connect", 0, 0x4},  {"Read", 0, 0x20},  {"Write", 0, 0x40},         {"Server", 0, 0x80},
};

constexpr Keyword kLinkOptions[] = {
    {"QKNetworkVisible", 0x3, 0x0},   {"QKLocallyVisible", 0x3, 0x1},
    {"QKInternetVisible", 0x3, 0x2},  {"QKBrowse", 0x10, 0x0},
    {"QKDontBrowse", 0x10, 0x10},     {"QKNonBlocking", 0x20, 0x0},
    {"QKBlocking", 0x20, 0x20},       {"QKInteract", 0x100, 0x0},
    {"QKDontInteract", 0x100, 0x100},
};

const Option* findOption(std::string_view word) {
    for (const Option& option : kOptions)
        if (equalsIgnoringCase(word, option.name)) return &option;
    return nullptr;
}

template <std::size_t N>
const Keyword* findKeyword(const Keyword (&table)[N], std::string_view word) {
    for (const Keyword& keyword : table)
        if (equalsIgnoringCase(word, keyword.name)) return &keyword;
    return nullptr;
}

bool applyItem(std::string_view item, uint32_t& options) {
    if (const Keyword* keyword = findKeyword(kLinkOptions, item)) {
        options = (options & ~keyword->mask) | keyword->value;
        return true;
    }
    std::size_t bar = item.find('|');
    uint32_t value = 0, mask = 0;
    if (!parseOptionNumber(item.substr(0, bar), value)) return false;
    if (bar != std::string_view::npos && !parseOptionNumber(item.substr(bar + 1), mask))
        return false;
    options = value | (options & mask);
    return true;
}

} // namespace

bool parseOptionNumber(std::string_view text, uint32_t& value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        base = 16;
    else if (text.size() > 2 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B'))
        base = 2;
    if (base != 10) text.remove_prefix(2);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool applyLinkOptions(std::string_view value, uint32_t& options) {
    uint32_t result = options;
    while (!value.empty()) {
        std::size_t cut = value.find_first_of(", \t");
        std::string_view item = value.substr(0, cut);
        if (!item.empty() && !applyItem(item, result)) return false;
        value = cut == std::string_view::npos ? std::string_view{} : value.substr(cut + 1);
    }
    options = result;
    return true;
}

void parseOpenOptions(const char* const* words, std::size_t count, OpenOptions& out,
                      std::vector<bool>* consumed) {
    if (consumed) consumed->assign(count, false);
    bool launch = false, create = false, connect = false;
    for (std::size_t i = 0; i < count; ++i) {
        const Option* option = words[i] ? findOption(words[i]) : nullptr;
        if (!option) continue;
        if (consumed) (*consumed)[i] = true;
        if (option->kind == Kind::Flag) {
            out.present = true;
            launch |= option->field == Field::Launch;
            create |= option->field == Field::Create;
            connect |= option->field == Field::Connect;
            continue;
        }
        if (i + 1 == count || !words[i + 1] || findOption(words[i + 1])) continue;
        std::string_view value = words[i + 1];
        bool accepted = true;
        switch (option->field) {
        case Field::Name:
            out.name = value;
            break;
        case Field::Protocol:
            out.protocol = value;
            break;
        case Field::Host:
            out.host = value;
            break;
        case Field::Auth:
            out.authentication = value;
            break;
        case Field::Device:
            out.device = value;
            break;
        case Field::Mode:
            if (const Keyword* mode = findKeyword(kModes, value))
                out.mode = mode->value;
            else
                accepted = false;
            break;
        case Field::Options:
            accepted = applyLinkOptions(value, out.options);
            break;
        default:
            accepted = false;
        }
        if (!accepted) continue;
        if (option->field != Field::Options) out.present = true;
        if (consumed) (*consumed)[i + 1] = true;
        ++i;
    }
    if (launch)
        out.mode = 0x8;
    else if (create)
        out.mode = 0x2;
    else if (connect)
        out.mode = 0x4;
}

} // namespace corvinet
