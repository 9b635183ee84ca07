// The Attention and Flow Access windows as a person at the screen meets them: the first
// debug call of the process, the "Flow Table" button of the Attention window and the
// "Table Flow" button of the Flow Access window.
//
// The library's state is process-wide: the first test here is the first debug call of the
// process (run the file as a whole, in declaration order).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "client_steps.h"
#include "harness.h"
#include "quorvale_client.h"

namespace {

using namespace qvkit;
using namespace qvs;

constexpr const char* kAttentionCaption = "DebugL Attention wait";
constexpr int kAttentionText = 1544;

TEST(AttentionWindow, FirstDebugLOpensFlowAccessMinimizedAndWaitsForContinue) {
    ASSERT_TRUE(qvh::top_windows("Flow Access").empty()) << "run this file as a whole: this is the first call";
    DynStr opt(""), label("First stop"), msg("Hello");
    for (int32_t call = 1; call <= 2; ++call) {
        SCOPED_TRACE("call " + std::to_string(call));
        std::atomic<bool> returned{false};
        bool flow_access_iconic = false, waited_for_person = false;
        std::string text;
        int32_t r = qvh::with_person(
            [&] {
                HWND att = qvh::must_find(kAttentionCaption);
                if (!att) return;
                text = qvh::get_text(att, kAttentionText);
                if (HWND fa = qvh::must_find("Flow Access")) flow_access_iconic = IsIconic(fa) != FALSE;
                Sleep(500);  // the client stays stopped while nobody answers
                waited_for_person = !returned;
                qvh::click_button(att, "Continue");
                EXPECT_TRUE(qvh::wait_gone(att));
            },
            [&] {
                int32_t n = DEBUGL(opt.ref(), label.ref(), msg.ref());
                returned = true;
                return n;
            });
        EXPECT_EQ(text, "Label: First stop");
        EXPECT_TRUE(flow_access_iconic) << "the Flow Access window starts minimized";
        EXPECT_TRUE(waited_for_person) << "DEBUGL returned before \"Continue\" was pressed";
        EXPECT_EQ(r, call) << "DEBUGL returns the label's call count";
    }
    EXPECT_EQ(qvh::top_windows("Flow Access").size(), 1u) << "the Flow Access window opens once";
}

TEST(AttentionWindow, FlowTableButtonShowsTheFlowTableWhileTheClientWaits) {
    flow_access_window();
    // A stop neither counts the master watchdog down nor reloads it before the window closes.
    const std::string expected_title = "Table Flow(Attention)     Master[Counter=" +
                                       str_form(GETMASTERCOUNTER() + 1) + " : WatchDog=" + str_form(GETMASTERDOG()) +
                                       "]" + std::string(20, ' ') + "Esc=End";
    DynStr opt(""), label("Inspected"), msg("look at the table");
    std::string title;
    bool label_listed = false;
    size_t tables_after_second_click = 0;
    std::vector<std::string> headers;
    int32_t r = qvh::with_person(
        [&] {
            HWND att = qvh::must_find(kAttentionCaption);
            if (!att) return;
            qvh::click_button(att, "Flow Table");
            HWND table = qvh::must_find("Table Flow(Attention)", qvh::Match::Prefix);
            if (!table) return;
            title = qvh::window_text(table);
            HWND lv = qvh::child_by_class(table, "SysListView32");
            ASSERT_TRUE(lv) << "no list in the Flow Table window";
            for (int i = 0, n = qvh::lv_count(lv); i < n; ++i)
                if (qvh::lv_text(lv, i, 2) == "Inspected") label_listed = true;
            for (int c = 0; c < qvh::lv_column_count(lv); ++c) headers.push_back(qvh::lv_column_text(lv, c));
            // The button again while the table is shown: no second table.
            qvh::click_button(att, "Flow Table");
            Sleep(1000);
            tables_after_second_click = qvh::top_windows("Table Flow(", qvh::Match::Prefix).size();
            press_key(lv, VK_ESCAPE);
            EXPECT_TRUE(qvh::wait_gone(table)) << "Esc closes the Flow Table window";
            EXPECT_TRUE(IsWindow(att)) << "the Attention window waits on after the table";
            qvh::click_button(att, "Continue");
            EXPECT_TRUE(qvh::wait_gone(att));
        },
        [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(title, expected_title);
    EXPECT_TRUE(label_listed) << "the table lists the stopped call's label";
    const std::vector<std::string> expected_headers = {
        "^Progression   ", "^Sequence       ", "Label" + std::string(46, ' '), "Fnct(Funct)  ",
        "<^Counter         ", "<Compare        ", "Debug[EY/EN:FY/FN:SY/SN:WY/WN]" + std::string(16, ' '),
        "+-(S,W,F)          ", "Error        ", "<Put Msg            ", "<Put Att/Ins          ",
        "<WatchDog          ", "<Put File         "};
    EXPECT_EQ(headers, expected_headers);
    EXPECT_EQ(tables_after_second_click, 1u) << "a second click while the table is shown opens nothing";
}

// WINDOATTENTION called by the client: its result tells "Continue" from the caption's close.
TEST(AttentionWindow, WindoAttentionReturnsZeroOnlyAfterContinue) {
    struct Case {
        const char* how;
        bool by_continue;
    };
    const Case cases[] = {{"Continue", true}, {"close box", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        DynStr text("Look here"), title("Client attention");
        std::string shown;
        int32_t r = qvh::with_person(
            [&] {
                HWND att = qvh::must_find("Client attention");
                if (!att) return;
                shown = qvh::get_text(att, kAttentionText);
                if (c.by_continue) qvh::click_button(att, "Continue");
                else qvh::close_window(att);
                EXPECT_TRUE(qvh::wait_gone(att));
            },
            [&] { return WINDOATTENTION(text.ref(), title.ref()); });
        EXPECT_EQ(shown, "Look here");
        if (c.by_continue) EXPECT_EQ(r, 0);
        else EXPECT_NE(r, 0);
    }
}

// Double-clicks a cell that may lie right of the visible part: the person scrolls to it first.
void double_click_cell(HWND lv, int row, int col) {
    RECT r{};
    r.top = col;
    r.left = LVIR_BOUNDS;
    if (qvh::send(lv, LVM_GETSUBITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r))) {
        RECT client{};
        GetClientRect(lv, &client);
        if (r.left < 0 || r.left + 20 > client.right) qvh::send(lv, LVM_SCROLL, WPARAM(r.left - 20), 0);
    }
    qvh::lv_double_click(lv, row, col);
}

// The person switches a label's attention stops on in the Flow Table window: from then on
// the label stops even with option "-W".
TEST(FlowTableWindow, PutAttInsEditedToOnStopsTheLabelEvenWithOptionW) {
    DynStr opt("-W"), label("Switched on"), msg("");
    ASSERT_EQ(call_without_windows([&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); }), 1);
    std::string box_caption;
    qvh::with_person(
        [&] {
            HWND table = qvh::must_find("Table Flow(PullUpTabFlow)", qvh::Match::Prefix);
            if (!table) return;
            HWND lv = qvh::child_by_class(table, "SysListView32");
            ASSERT_TRUE(lv);
            int row = -1;
            for (int i = 0, n = qvh::lv_count(lv); i < n; ++i)
                if (qvh::lv_text(lv, i, 2) == "Switched on") row = i;
            if (row >= 0) {
                double_click_cell(lv, row, 10);
                if (HWND box = qvh::must_find("Row:", qvh::Match::Prefix)) {
                    box_caption = qvh::window_text(box);
                    qvh::set_text(box, 101, "on");
                    qvh::click_button(box, "OK");
                    EXPECT_TRUE(qvh::wait_gone(box));
                    EXPECT_TRUE(eventually([&] { return qvh::lv_text(lv, row, 10) == "on"; }));
                }
            } else {
                ADD_FAILURE() << "the label has no row in the table";
            }
            press_key(lv, VK_ESCAPE);
            EXPECT_TRUE(qvh::wait_gone(table));
        },
        [] { return PULLUPTABFLOW(); });
    EXPECT_EQ(box_caption.rfind("Row:", 0), 0u);
    EXPECT_NE(box_caption.find("Col.(0 to x): 10"), std::string::npos) << box_caption;

    bool stopped = false;
    int32_t r = qvh::with_person(
        [&] {
            HWND att = qvh::must_find(kAttentionCaption);
            if (!att) return;
            stopped = true;
            qvh::click_button(att, "Continue");
            EXPECT_TRUE(qvh::wait_gone(att));
        },
        [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
    EXPECT_TRUE(stopped) << "the label stops at the Attention window";
    EXPECT_EQ(r, 2);
}

TEST(FlowAccessWindow, TableFlowOpensTheFlowTableAtTheNextDebugCall) {
    ASSERT_TRUE(flow_access_window());
    std::atomic<bool> clicked{false};
    bool minimized_after_click = false;
    HWND early_table = nullptr;
    std::string title;
    DynStr opt("-W"), label("Next call"), msg("after the request");
    int32_t r = qvh::with_person(
        [&] {
            RaiseOnExit raise{clicked};
            HWND fa = click_in_flow_access("Table Flow");
            if (!fa) return;
            minimized_after_click = eventually([&] { return IsIconic(fa) != FALSE; });
            early_table = qvh::find_window("Table Flow(", qvh::Match::Prefix, 1000);
            if (early_table) return;
            clicked = true;  // the client goes on to its next debug call
            HWND table = qvh::must_find("Table Flow(FlowAccess)", qvh::Match::Prefix);
            if (!table) return;
            title = qvh::window_text(table);
            if (HWND lv = qvh::child_by_class(table, "SysListView32")) press_key(lv, VK_ESCAPE);
            EXPECT_TRUE(qvh::wait_gone(table));
        },
        [&] {
            client_loop_until(clicked);
            return DEBUGL(opt.ref(), label.ref(), msg.ref());
        });
    EXPECT_TRUE(minimized_after_click) << "\"Table Flow\" minimizes the Flow Access window";
    EXPECT_EQ(early_table, nullptr) << "the table opened at the click, not at the next debug call: \""
                                    << (early_table ? qvh::window_text(early_table) : "") << "\"";
    EXPECT_EQ(title.rfind("Table Flow(FlowAccess)     Master[Counter=", 0), 0u) << title;
    EXPECT_EQ(r, 1);
    // The request was used up: the call after that goes on without a window.
    EXPECT_EQ(call_without_windows([&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); }), 2);
}

TEST(FlowAccessWindow, WindoFlowAccessOpensNoSecondWindow) {
    ASSERT_TRUE(flow_access_window());
    EXPECT_EQ(WINDOFLOWACCESS(), 0);
    EXPECT_EQ(qvh::top_windows("Flow Access").size(), 1u);
}

}  // namespace
