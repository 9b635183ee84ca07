#include "values/operator_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct OpCase {
    std::string input;
    int code;
    std::string rewritten;
};

TEST(OperatorParser, CodesAndRewrittenText) {
    using namespace std::string_literals;
    const OpCase cases[] = {
        {">", 1, ">"},
        {"<", 2, "<"},
        {"<>", 3, "<>"},
        {"><", 3, "><"},
        {"=", 4, "="},
        {">=", 5, ">="},
        {"=>", 5, "=>"},
        {"< =", 6, "<="},
        {"=<", 6, "=<"},
        {"<=", 6, "<="},
        {"> >", 1, ">>"},
        {" = = ", 4, "=="},
        {"<>=", 7, "<>="},
        {"=><<", 7, "=><<"},
        {"<-/", 8, "<-/"},
        {"< = x", 8, "<=x"},
        {"\t<", 8, "\t<"},  // only blanks are removed, not other white space
        {"", 9, ""},
        {"    ", 9, ""},
        {"<\0="s, 6, "<="},
        {" \0\0 "s, 9, ""},
        {"\0>\0 "s, 1, ">"},
    };
    for (const auto& c : cases) {
        std::string text = c.input;
        EXPECT_EQ(qv::operator_parse(text), c.code) << '"' << c.input << '"';
        EXPECT_EQ(text, c.rewritten) << '"' << c.input << '"';
    }
}

TEST(OperatorParser, OnlySixCodesAreUsable) {
    for (int code = 0; code <= 10; ++code) EXPECT_EQ(qv::operator_usable(code), code >= 1 && code <= 6) << code;
}

}  // namespace
