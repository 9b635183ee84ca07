// What a careless client may hand the library at the export boundary: null addresses, null
// and zero-length handles, counts past an array's end, arrays of the wrong shape, VARIANTs by
// reference. The library answers each with its result or error, and never crashes.
#include <windows.h>

#include <gtest/gtest.h>

#include "client_steps.h"
#include "harness.h"
#include "quorvale_client.h"

namespace {

using namespace qvkit;

TEST(BadInput, NullAndZeroLengthStrings) {
    FLOWACCESSN();
    // A null handle and a zero-length string are both the empty string.
    DynStr opt("-W"), label("Null"), null_msg, empty_msg = DynStr::zero_length();
    EXPECT_EQ(DEBUGL(opt.ref(), label.ref(), null_msg.ref()), 1);
    EXPECT_EQ(DEBUGL(opt.ref(), label.ref(), empty_msg.ref()), 2);
    EXPECT_NE(qvh::window_message_text().find("Null:[Message] : [ 2 / 2 ] : \r\n"), std::string::npos);
    // Null addresses instead of string variables: treated as empty, so a label error.
    int32_t r = qvs::continue_at("DebugL(Label) Attention error", [&] { return DEBUGL(nullptr, nullptr, nullptr); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(GETTOTFLOW(), 2);
}

TEST(BadInput, TradhexThroughTheExport) {
    DynStr text("A\r\nB");
    DynStr plain = DynStr::adopt(TRADHEX(text.ref(), nullptr, nullptr));
    EXPECT_EQ(plain.str(), "A<0D><0A>B");
    DynStr ab("AB"), range(" 65 ; 66 "), brackets("[;]");
    DynStr coded = DynStr::adopt(TRADHEX(ab.ref(), range.release(), brackets.release()));
    EXPECT_EQ(coded.str(), "[41][42]");
    EXPECT_EQ(ab.str(), "AB");
    DynStr none = DynStr::adopt(TRADHEX(nullptr, nullptr, nullptr));
    EXPECT_EQ(none.str(), "");
}

TEST(BadInput, PutWinMsgCountsPastTheEnd) {
    StringArray lines = StringArray::from_lines({"one\r\n", "two\r\n"});
    int32_t count = 1000;
    int32_t before = GETMASTERCOUNTER();
    EXPECT_NE(PUTWINMSG(lines.desc(), &count), 0);
    EXPECT_EQ(GETMASTERCOUNTER(), before + 1);
    std::string text = qvh::window_message_text();
    EXPECT_EQ(text.substr(text.size() - 12), "one\r\ntwo\r\n\r\n");
    count = 2;
    PbArrayDescriptor undimensioned{};  // a declared array never dimensioned
    EXPECT_NE(PUTWINMSG(&undimensioned, &count), 0);
    EXPECT_NE(PUTWINMSG(nullptr, nullptr), 0);
}

TEST(BadInput, FlowTableArraysOfTheWrongShape) {
    StringArray flat({{1, 5}});
    int32_t mode = 7;
    int32_t r = qvs::continue_at("DebugL Attention wait", [&] { return GETTABFLOW(flat.desc(), &mode); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(mode, 0);
    // A table whose first row holds no label.
    StringArray table({{1, 1}, {0, 12}});
    r = qvs::continue_at("DebugL Attention wait", [&] { return SETTABFLOW(table.desc()); });
    EXPECT_EQ(r, 0);
    // The whole table into an array of one row: the negative row count, nothing written.
    mode = 0;
    EXPECT_EQ(GETTABFLOW(table.desc(), &mode), -GETTOTFLOW());
    EXPECT_EQ(mode, -2);
    EXPECT_EQ(table.get({1, 1}), "");
}

TEST(BadInput, DebugDyFollowsVariantsByReference) {
    int32_t limit = 20;
    EXPECT_EQ(DEBUGDY(Variant::byref_i32(&limit).release()), 50);
    EXPECT_EQ(GETMASTERDOG(), 20);
    VARIANT inner;
    VariantInit(&inner);
    inner.vt = VT_R8;
    inner.dblVal = 2.5;
    EXPECT_EQ(DEBUGDY(Variant::byref(&inner).release()), 20);
    EXPECT_EQ(GETMASTERDOG(), 2);
    EXPECT_EQ(DEBUGDY(Variant::str(L"30").release()), 2);  // a string counts as 0
    EXPECT_EQ(GETMASTERDOG(), 0);
    EXPECT_EQ(DEBUGDY(Variant::empty().release()), 0);
    DEBUGDY(Variant::i32(50).release());
}

}  // namespace
