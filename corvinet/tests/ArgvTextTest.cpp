// Splitting strings into words and printing words so that splitting gives them back.

#include "ArgvText.h"

#include "corvinet/corvinet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvinet {
namespace {

using Words = std::vector<std::string>;

TEST(ArgvText, SplitsAtSeparatorsOutsideQuotes) {
    struct Case {
        const char* text;
        Words words;
    };
    const Case cases[] = {
        {"a 'b c' \"d\\\"e\"", {"a", "b c", "d\"e"}},
        {"  -linkmode\tlisten\r\n", {"-linkmode", "listen"}},
        {"it\\'s 'back\\slash' x\xB6 y", {"it's", "back\\slash", "x y"}},
        {"''", {""}},
        {"ab'cd'ef", {"abcdef"}},
        {"'open quote", {"open quote"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(splitWords(c.text), c.words);
    }
}

TEST(ArgvText, PrintingQuotesSoThatSplittingGivesTheWordsBack) {
    struct Case {
        const char* word;
        const char* printed;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"", "''"},
        {"two words", "'two words'"},
        {"say \"hi\"", "'say \"hi\"'"},
        {"it's", "\"it's\""},
        {"it's a \"test\"", "it\\'s\\ a\\ \\\"test\\\""},
        {"c:\\dir's", "c:\\\\dir\\'s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        char buffer[64];
        const char* words[] = {c.word};
        ASSERT_EQ(printWords(buffer, buffer + sizeof buffer, words, 1), 0);
        EXPECT_STREQ(buffer, c.printed);
        EXPECT_EQ(splitWords(buffer), Words{c.word});
    }
}

TEST(ArgvText, PublicFunctionsReportWhatDidNotFit) {
    char buffer[64];
    char* argv[3];
    EXPECT_EQ(QKStringToArgv("one 'two three' four", buffer, argv, 2), 2);
    EXPECT_STREQ(argv[0], "one");
    EXPECT_STREQ(argv[1], "two three");
    char* list[] = {argv[0], argv[1]};
    EXPECT_EQ(QKStringToArgv("x", buffer, argv, 3), 1);
    EXPECT_EQ(argv[1], nullptr) << "a null entry ends the stored list";

    char words[3][8] = {"alpha", "beta", "gamma"};
    char* printed[] = {words[0], words[1], words[2]};
    char out[12];
    EXPECT_EQ(QKPrintArgv(out, out + sizeof out, printed, printed + 3), 1);
    EXPECT_STREQ(out, "alpha beta");
    EXPECT_EQ(QKPrintArgv(out, out + sizeof out, list, list), 0);
    EXPECT_STREQ(out, "");
}

} // namespace
} // namespace corvinet
