// The two watchdogs as the client and the person see them: the Flow Table window they open,
// DEBUGDN keeping the master one quiet, the "Master Watch Dog" button of the Flow Access
// window, and a label's own watchdog armed through SETTABFLOW.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "client_steps.h"
#include "harness.h"
#include "quorvale_client.h"

namespace {

using namespace qvkit;
using namespace qvs;

constexpr const char* kMasterDogTag = "Table Flow(Master WatchDog)";

int32_t set_master_dog(int32_t limit) { return DEBUGDY(Variant::i32(limit).release()); }

// A debug call that goes on without an attention stop.
int32_t quiet_call(const char* label_text) {
    DynStr opt("-W"), label(label_text), msg("");
    return call_without_windows([&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
}

// A "-W" call that the master watchdog stops: returns the call count and the title of the
// Flow Table window the person closed with Esc.
int32_t call_into_master_dog(const char* label_text, std::string& title) {
    DynStr opt("-W"), label(label_text), msg("");
    return qvh::with_person(
        [&] {
            HWND table = qvh::must_find(kMasterDogTag, qvh::Match::Prefix);
            if (!table) return;
            title = qvh::window_text(table);
            if (HWND lv = qvh::child_by_class(table, "SysListView32")) press_key(lv, VK_ESCAPE);
            EXPECT_TRUE(qvh::wait_gone(table));
        },
        [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
}

TEST(MasterWatchDog, LimitThreeOpensTheFlowTableAtTheThirdCall) {
    set_master_dog(3);
    EXPECT_EQ(quiet_call("Dog three"), 1);
    EXPECT_EQ(quiet_call("Dog three"), 2);
    EXPECT_EQ(GETMASTERDOG(), 1);
    const std::string counter = str_form(GETMASTERCOUNTER() + 1);
    std::string title;
    EXPECT_EQ(call_into_master_dog("Dog three", title), 3);
    EXPECT_EQ(title.rfind(std::string(kMasterDogTag) + "     Master[Counter=" + counter + " : WatchDog= 0]", 0), 0u)
        << title;
    EXPECT_EQ(GETMASTERDOG(), 3) << "the countdown is reloaded after the window";
}

TEST(MasterWatchDog, AfterDebugDnTheCountdownReloadsWithoutAWindow) {
    set_master_dog(3);
    DEBUGDN();
    for (int32_t call = 1; call <= 3; ++call) EXPECT_EQ(quiet_call("Dog off"), call);
    EXPECT_EQ(GETMASTERDOG(), 3);
    set_master_dog(50);
}

// Switch exports count the countdown down without checking it; the next call that goes on
// passes 0 by, and the next stop reloads it.
TEST(MasterWatchDog, CountdownBroughtToZeroBySwitchExportsIsPassedOver) {
    set_master_dog(3);
    for (int i = 0; i < 3; ++i) DEBUGSY();
    ASSERT_EQ(GETMASTERDOG(), 0);
    EXPECT_EQ(quiet_call("Dog passed"), 1);
    EXPECT_EQ(GETMASTERDOG(), -1);
    DynStr opt(""), label("Dog stops here"), msg("");
    qvs::continue_at("DebugL Attention wait", [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
    EXPECT_EQ(GETMASTERDOG(), 3);
    set_master_dog(50);
}

// The per-label watchdog, armed through SETTABFLOW, opens the table at the label's second call.
TEST(SpecificWatchDog, ArmedWithTwoOpensTheFlowTableAtTheSecondCall) {
    set_master_dog(50);
    StringArray row({{1, 1}, {0, 12}});
    row.set({1, 2}, "Own dog");
    row.set({1, 11}, "2");
    ASSERT_GT(SETTABFLOW(row.desc()), 0);
    EXPECT_EQ(quiet_call("Own dog"), 1);
    DynStr opt("-W"), label("Own dog"), msg("");
    std::string title;
    int32_t r = qvh::with_person(
        [&] {
            HWND table = qvh::must_find("Table Flow(Specific WatchDog)", qvh::Match::Prefix);
            if (!table) return;
            title = qvh::window_text(table);
            if (HWND lv = qvh::child_by_class(table, "SysListView32")) press_key(lv, VK_ESCAPE);
            EXPECT_TRUE(qvh::wait_gone(table));
        },
        [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
    EXPECT_EQ(r, 2);
    EXPECT_FALSE(title.empty());
    // Reloaded with its limit: two more calls until the next opening.
    EXPECT_EQ(quiet_call("Own dog"), 3);
}

// The person answers the input box of the "Master Watch Dog" button (Cancel when `answer`
// is null) while the client runs its own loop. Returns what the box showed.
struct DogBox {
    std::string prompt, default_text;
    bool minimized_after = false;
};

DogBox answer_master_dog(const char* answer) {
    DogBox seen;
    std::atomic<bool> done{false};
    qvh::with_person(
        [&] {
            RaiseOnExit raise{done};
            HWND fa = click_in_flow_access("Master Watch Dog");
            if (!fa) return;
            HWND box = qvh::must_find("Master Watch Dog");
            if (!box) return;
            seen.prompt = qvh::get_text(qvh::child_by_class(box, "Static"));
            HWND edit = qvh::child_by_class(box, "Edit");
            seen.default_text = qvh::get_text(edit);
            if (answer) {
                qvh::set_text(edit, answer);
                qvh::click(child_by_text_nocase(box, "OK", "Button"));
            } else {
                qvh::click(child_by_text_nocase(box, "Cancel", "Button"));
            }
            EXPECT_TRUE(qvh::wait_gone(box));
            seen.minimized_after = eventually([&] { return IsIconic(fa) != FALSE; });
        },
        [&] { client_loop_until(done); });
    return seen;
}

TEST(MasterWatchDog, InputBoxAnswersSetOrDisableTheLimit) {
    ASSERT_TRUE(flow_access_window());
    struct Case {
        const char* answer;  // nullptr: Cancel
        int32_t limit;       // the limit afterwards
    };
    const Case cases[] = {
        {"25", 25}, {" d ", -1}, {"-3", -1}, {"0", 40}, {nullptr, 40}, {"7.6", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer ? "answer \"" + std::string(c.answer) + "\"" : std::string("Cancel"));
        set_master_dog(40);
        DogBox seen = answer_master_dog(c.answer);
        EXPECT_EQ(seen.prompt, "Now: 40\r\nD:disable\r\nx>0: new Master Watch Dog");
        EXPECT_EQ(seen.default_text, " 40");
        EXPECT_TRUE(seen.minimized_after) << "the Flow Access window is minimized again";
        EXPECT_EQ(GETMASTERDOG(), 40) << "the answer leaves the countdown until its next reload";
        // DEBUGDY with a value returns the limit it replaces.
        EXPECT_EQ(set_master_dog(40), c.limit);
        if (HasFailure()) break;
    }
    set_master_dog(50);
}

TEST(MasterWatchDog, AnsweredTwentyFiveTheWatchdogFiresAtTheTwentyFifthCall) {
    ASSERT_TRUE(flow_access_window());
    set_master_dog(40);
    answer_master_dog("25");
    ASSERT_EQ(GETMASTERDOG(), 40);
    // An attention stop reloads the countdown from the new limit.
    DynStr opt(""), label("Dog stop"), msg("");
    qvs::continue_at("DebugL Attention wait", [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
    ASSERT_EQ(GETMASTERDOG(), 25);
    DynStr quiet("-W"), label25("Dog twenty-five");
    const int32_t count = call_without_windows([&] {
        int32_t n = 0;
        for (int call = 1; call < 25; ++call) n = DEBUGL(quiet.ref(), label25.ref(), msg.ref());
        return n;
    });
    ASSERT_EQ(count, 24);
    std::string title;
    EXPECT_EQ(call_into_master_dog("Dog twenty-five", title), 25);
    EXPECT_NE(title.find(" : WatchDog= 0]"), std::string::npos) << title;
    EXPECT_EQ(GETMASTERDOG(), 25);
    set_master_dog(50);
}

}  // namespace
