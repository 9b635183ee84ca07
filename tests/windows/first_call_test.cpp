// The first debug call of a process, as a person at the screen sees it: the Window Message
// shows the line, the Attention window waits for "Continue", and the options come back
// rewritten in the caller's variable.
#include <windows.h>

#include <gtest/gtest.h>

#include "harness.h"
#include "quorvale_client.h"

namespace {

using qvkit::DynStr;

TEST(FirstCall, ShowsTheLineStopsAndReturnsTheCount) {
    DynStr opt(""), label("Start"), msg("Hello");
    std::string attention_text;
    bool flow_access_minimized = false;
    int32_t r = qvh::with_person(
        [&] {
            HWND att = qvh::must_find("DebugL Attention wait");
            if (!att) return;
            attention_text = qvh::get_text(att, 1544);
            HWND fa = qvh::find_window("Flow Access");
            flow_access_minimized = fa && IsIconic(fa);
            qvh::click_button(att, "Continue");
        },
        [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(attention_text, "Label: Start");
    EXPECT_TRUE(flow_access_minimized);
    EXPECT_EQ(qvh::window_message_text(), "Start:[Message] : [ 1 / 1 ] : Hello\r\n\r\n");
}

TEST(FirstCall, OptionsComeBackRewritten) {
    DynStr opt("+s -w"), label("Start"), msg("again");
    // "-w" means no attention stop: nobody needs to answer.
    EXPECT_EQ(DEBUGL(opt.ref(), label.ref(), msg.ref()), 2);
    EXPECT_EQ(opt.str(), "+S-W");
    EXPECT_NE(qvh::window_message_text().find("Start:[Message] : [ 2 / 2 ] : again\r\n\r\n"), std::string::npos);
}

TEST(FirstCall, BlankLabelIsAnErrorCall) {
    DynStr opt(""), label("   "), msg("x");
    std::string title;
    int32_t r = qvh::with_person(
        [&] {
            HWND att = qvh::must_find("DebugL(Label) Attention error");
            if (att) qvh::click_button(att, "Continue");
        },
        [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
    EXPECT_EQ(r, 0);
    EXPECT_NE(qvh::window_message_text().find("DebugL_err_label:[error] : [ 1 / 3 ] :"), std::string::npos);
}

}  // namespace
