#include "expr/tests/TreeChecks.h"

#include "expr/BoxFactory.h"
#include "expr/LinkReader.h"
#include "expr/MathMLWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace treecheck {

namespace {

// Follows the tree on the link: nothing the tree writes is a symbol of this name.
constexpr const char* kEndMark = "TreeEnd$Mark";

// A real's link digits ("1.5", ".5", "1.5`20*^3") as the double they stand for.
std::string RealValue(std::string digits) {
    const std::size_t mark = digits.find('`');
    const std::size_t exponent = digits.find("*^");
    std::string mantissa = digits.substr(0, std::min(mark, exponent));
    if (exponent != std::string::npos) mantissa += "e" + digits.substr(exponent + 2);
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", std::strtod(mantissa.c_str(), nullptr));
    return text;
}

void Put(const ExprNode& tree, QKLINK link, bool standard) {
    if (standard)
        tree.PutStandardToLink(link);
    else
        tree.PutToLink(link, kNoMarkers);
    QKPutSymbol(link, kEndMark);
    QKEndPacket(link);
    QKFlush(link);
}

// The tree as the link carries it, and what follows it: the end mark when the tree wrote
// exactly what it announced.
struct Written {
    std::string tree;
    std::string after;
};

// Text beyond printable ASCII travels through the character maps, which do not give every
// character back as it was (a math-face letter in the standard form comes back a text-face
// one, a tab a blank): such symbols and strings are compared by place, the maps' own tests
// check the characters.
Written WriteAndWalk(const ExprNode& tree, bool standard) {
    LoopbackLink link;
    Put(tree, link.Get(), standard);
    Written written;
    WalkOptions options;
    options.realsByValue = true;
    options.maskEscapedText = true;
    written.tree = LinkExprText(link.Get(), "<error>", options);
    written.after = LinkExprText(link.Get(), "<end of packet>");
    return written;
}

int32_t NestingDepth(std::string_view text) {
    int32_t depth = 0;
    int32_t deepest = 0;
    for (const char c : text) {
        if (c == '[') deepest = std::max(deepest, ++depth);
        if (c == ']') --depth;
    }
    return deepest;
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == ':' || c == '_';
}

} // namespace

std::string LinkDigits(QKLINK link) {
    int32_t n = 0;
    if (!QKBytesToGet(link, &n)) return "<bad number>";
    std::string text(static_cast<size_t>(n), '\0');
    int32_t copied = 0;
    if (n > 0 && !QKGetData(link, text.data(), n, &copied)) return "<bad number>";
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::string LinkExprText(QKLINK link, const char* other, WalkOptions options) {
    switch (QKGetNext(link)) {
    case QKTOK_FUNCTION: {
        // The head is an expression too: g[x][y] has g[x] for its head.
        int32_t count = 0;
        if (!QKGetArgCount(link, &count)) return "<bad function>";
        std::string out = LinkExprText(link, other, options) + "[";
        for (int32_t i = 0; i < count; ++i)
            out += (i ? ", " : "") + LinkExprText(link, other, options);
        return out + "]";
    }
    case QKTOK_SYMBOL: {
        const char* name = nullptr;
        if (!QKGetSymbol(link, &name)) return "<bad symbol>";
        std::string out = name;
        QKDisownSymbol(link, name);
        if (options.maskEscapedText && out.find('\\') != std::string::npos) return "<symbol>";
        return out;
    }
    case QKTOK_STRING: {
        const char* text = nullptr;
        if (!QKGetString(link, &text)) return "<bad string>";
        std::string out = "\"" + std::string(text) + "\"";
        QKDisownString(link, text);
        if (options.maskEscapedText && out.find('\\') != std::string::npos) return "<string>";
        return out;
    }
    case QKTOK_INTEGER:
        return LinkDigits(link);
    case QKTOK_REAL:
        return "R:" + (options.realsByValue ? RealValue(LinkDigits(link)) : LinkDigits(link));
    default:
        return other;
    }
}

QKENV Environment() {
    static QKParameters block{};
    static QKENV env = [] {
        QKNewParameters(block, 1, 7);
        QKSetDeviceParameter(block, "");
        return QKBegin(block);
    }();
    return env;
}

LoopbackLink::LoopbackLink() {
    int32_t error = 0;
    m_link = QKLoopbackOpen(Environment(), &error);
}

LoopbackLink::~LoopbackLink() {
    if (m_link) QKClose(m_link);
}

namespace {

// Writes the tree and reads it back: the tree read, or null with `problem` set. `written` is
// the tree as the link carried it.
NodePtr ReadBack(const ExprNode& tree, bool standard, Written& written, std::string& problem) {
    written = WriteAndWalk(tree, standard);
    if (written.after != kEndMark) {
        problem =
            "the tree says other counts than it writes: " + written.tree + " then " + written.after;
        return nullptr;
    }
    LoopbackLink link;
    Put(tree, link.Get(), standard);
    LinkReader reader(link.Get());
    NodePtr back = reader.ReadExpr();
    if (reader.Failed()) {
        problem = "the reader failed on " + written.tree;
        return nullptr;
    }
    const std::string after = LinkExprText(link.Get(), "<end of packet>");
    if (after != kEndMark) {
        problem = "the reader did not end where the tree ends: " + written.tree + " then " + after;
        return nullptr;
    }
    return back;
}

} // namespace

std::string LinkProblem(const ExprNode& tree, bool standard, Sameness sameness) {
    const std::string form = standard ? "standard form: " : "own form: ";
    Written written;
    std::string problem;
    NodePtr back = ReadBack(tree, standard, written, problem);
    if (!back) return form + problem;
    // Past the reader's depth the rest stands as an error node; only the end is checked there.
    if (NestingDepth(written.tree) >= LinkReader::kMaxDepth) return {};
    if (sameness == Sameness::kOnceRead) {
        // What the reader made of the tree must read back as itself.
        NodePtr again = ReadBack(*back, standard, written, problem);
        if (!again) return form + "read back: " + problem;
        back = std::move(again);
    }
    const Written rewritten = WriteAndWalk(*back, standard);
    if (rewritten.tree != written.tree)
        return form + "read back as another tree: " + written.tree + " became " + rewritten.tree;
    return {};
}

std::string MathMLProblem(std::string_view markup) {
    std::vector<std::string> open;
    std::size_t i = 0;
    auto fail = [&](const char* what) {
        return std::string(what) + " at " + std::to_string(i) + " in " + std::string(markup);
    };
    while (i < markup.size()) {
        const char c = markup[i];
        if (c == '&') {
            std::size_t j = i + 1;
            if (j < markup.size() && markup[j] == '#') ++j;
            const std::size_t start = j;
            while (j < markup.size() && IsNameChar(markup[j]))
                ++j;
            if (j == start || j >= markup.size() || markup[j] != ';')
                return fail("an incomplete entity");
            i = j + 1;
            continue;
        }
        if (c != '<') {
            ++i;
            continue;
        }
        const bool closing = i + 1 < markup.size() && markup[i + 1] == '/';
        std::size_t j = i + (closing ? 2 : 1);
        const std::size_t start = j;
        while (j < markup.size() && IsNameChar(markup[j]))
            ++j;
        if (j == start) return fail("a tag without a name");
        const std::string name(markup.substr(start, j - start));
        bool empty = false;
        // Attributes: name="value", the value without "<" or a bare "&".
        for (;;) {
            while (j < markup.size() && markup[j] == ' ')
                ++j;
            if (j >= markup.size()) return fail("an unfinished tag");
            if (markup[j] == '>') break;
            if (!closing && markup.compare(j, 2, "/>") == 0) {
                empty = true;
                ++j;
                break;
            }
            if (closing) return fail("a closing tag with more than its name");
            const std::size_t attribute = j;
            while (j < markup.size() && IsNameChar(markup[j]))
                ++j;
            if (j == attribute || j + 1 >= markup.size() || markup[j] != '=' ||
                markup[j + 1] != '"')
                return fail("an attribute without a quoted value");
            const std::size_t close = markup.find('"', j + 2);
            if (close == std::string_view::npos) return fail("an unclosed attribute value");
            if (markup.substr(j + 2, close - j - 2).find('<') != std::string_view::npos)
                return fail("a \"<\" in an attribute value");
            j = close + 1;
        }
        i = j + 1;
        if (closing) {
            if (open.empty() || open.back() != name) return fail("an end tag out of order");
            open.pop_back();
        } else if (!empty) {
            open.push_back(name);
        }
    }
    if (!open.empty()) return "an element left open: " + open.back() + " in " + std::string(markup);
    return {};
}

std::string WritingProblem(const ExprNode& tree, Sameness sameness) {
    for (const bool standard : {false, true}) {
        std::string problem = LinkProblem(tree, standard, sameness);
        if (!problem.empty()) return problem;
    }
    const std::string before = WriteAndWalk(tree, false).tree;
    Str255 first;
    Str255 second;
    tree.WriteText(first);
    tree.WriteText(second);
    if (first.View() != second.View())
        return "the text changed on the second writing: " + std::string(first.View()) + " then " +
               std::string(second.View());
    const std::string after = WriteAndWalk(tree, false).tree;
    if (after != before) return "writing the text changed the tree: " + before + " became " + after;

    const NodePtr copy = tree.Clone();
    if (copy) {
        StringMathMLWriter writer;
        copy->WriteMathML(writer);
        std::string problem = MathMLProblem(writer.Text());
        if (!problem.empty()) return "MathML: " + problem;
    }
    if (const NodePtr boxed = tree.Clone()) {
        BoxList boxes;
        boxed->BuildBoxes(boxes, 1);
    }
    return {};
}

} // namespace treecheck
