// The post-call decision, the watchdogs, the Attention and Flow Access windows' buttons, the
// flow-table exports and the Flow Table window.
#include "library_fixture.h"

namespace qv::test {
namespace {

bool starts_with(const std::string& s, const std::string& p) { return s.rfind(p, 0) == 0; }

TEST_F(LibraryTest, StopRulesInOrder) {
    struct Case {
        uint32_t attention;
        bool stops;
    } cases[] = {
        {0x3000000 | 0x80000, true},    // user on beats "-W"
        {0x2000000 | 0x800000, false},  // user off beats an argument error
        {0x800000 | 0x80000, true},     // error beats "-W"
        {0xC0000, true},                // "+W"
        {0x80000 | 0x20000, false},     // "-W" beats the export's request
        {0x20000, true},                // the export asks
        {0x10000, true},                // wait switch
        {0x1, false},
    };
    lib.flowaccessn();
    debugl("-W", "row", "");
    for (const auto& c : cases) {
        lib.state().flow.record(1).attention = c.attention;
        size_t before = ui.attentions.size();
        lib.post_call("t", "T");
        EXPECT_EQ(ui.attentions.size() - before, c.stops ? 1u : 0u) << std::hex << c.attention;
    }
}

TEST_F(LibraryTest, FirstCallOpensFlowAccessThenStops) {
    ui.on_attention = [](const ScriptedUi::Attention&) { return 77; };
    EXPECT_EQ(debugl("", "Start", "Hello"), 1);
    EXPECT_EQ(ui.flow_access_opened, 1);
    EXPECT_EQ(lib.state().flow_access_state, 2);
    EXPECT_EQ(lib.state().flow_access_handle, ui.flow_access_handle);
    EXPECT_EQ(ui.attentions.size(), 1u);
    EXPECT_EQ(lib.state().dog_countdown, 50);
    debugl("-W", "Start", "");
    EXPECT_EQ(ui.flow_access_opened, 1);
    EXPECT_EQ(lib.state().dog_countdown, 49);
    EXPECT_EQ(row(1).dog_countdown, -1);
}

TEST_F(LibraryTest, MasterWatchdogOpensFlowTable) {
    lib.debugdy(variant_i32(3));
    for (int i = 0; i < 3; ++i) debugl("-W", "dog", "");
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_TRUE(starts_with(ui.lists[0].caption, "Table Flow(Master WatchDog)     Master[Counter= 3 : WatchDog= 0]"))
        << ui.lists[0].caption;
    EXPECT_EQ(lib.getmasterdog(), 3);

    lib.debugdn();
    for (int i = 0; i < 3; ++i) debugl("-W", "dog", "");
    EXPECT_EQ(ui.lists.size(), 1u);
    EXPECT_EQ(lib.getmasterdog(), 3);

    // A countdown brought to 0 by a switch export is passed over by the next call.
    lib.debugdy(variant_i32(3));
    lib.debugsy(), lib.debugsy(), lib.debugsy();
    debugl("-W", "dog", "");
    EXPECT_EQ(lib.getmasterdog(), -1);
    EXPECT_EQ(ui.lists.size(), 1u);
    debugl("", "dog", "");
    EXPECT_EQ(lib.getmasterdog(), 3);
}

TEST_F(LibraryTest, SpecificWatchdogFromSetTabFlow) {
    debugl("-W", "spec", "");
    OwnedStringArray t(1, 1, 0, 12);
    t.set(1, 2, "spec");
    t.set(1, 4, "1");
    t.set(1, 11, "5");
    EXPECT_EQ(lib.settabflow(t), 1);
    EXPECT_EQ(row(1).dog_limit, 5);
    for (int i = 0; i < 4; ++i) debugl("-W", "spec", "");
    EXPECT_TRUE(ui.lists.empty());
    debugl("-W", "spec", "");
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_TRUE(starts_with(ui.lists[0].caption, "Table Flow(Specific WatchDog)"));
    // The window's apply step took the countdown shown (0) as nothing, then it was reloaded.
    EXPECT_EQ(row(1).dog_countdown, row(1).dog_limit);

    t.set(1, 11, " d");
    lib.settabflow(t);
    EXPECT_EQ(row(1).dog_countdown, -1);
    OwnedStringArray shown(1, 1, 0, 12);
    lib.build_rows(shown);
    EXPECT_EQ(shown.get(1, 11), "Disabled");
}

TEST_F(LibraryTest, FlowAccessButtons) {
    debugl("-W", "a", "");
    lib.on_flow_access_table();
    EXPECT_TRUE(ui.lists.empty());
    debugl("-W", "a", "");
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_TRUE(starts_with(ui.lists[0].caption, "Table Flow(FlowAccess)"));
    EXPECT_EQ(lib.state().flow_table_request, 0);

    struct Case {
        const char* answer;
        int32_t limit;
        int32_t disabled;
    } cases[] = {{"25", 25, 0}, {"0", 25, 0}, {"", 25, 0}, {"x", 25, 0}, {" d ", -1, 1}, {"7.5", 8, 1}, {"-3", -1, 1}};
    for (const auto& c : cases) {
        ui.input_answers.push_back(c.answer);
        lib.on_flow_access_master_dog();
        EXPECT_EQ(lib.state().dog_limit, c.limit) << c.answer;
        EXPECT_EQ(lib.state().dog_disabled, c.disabled) << c.answer;
    }
    EXPECT_EQ(ui.inputs[0].title, "Master Watch Dog");
    EXPECT_EQ(ui.inputs[0].prompt, "Now: 50\r\nD:disable\r\nx>0: new Master Watch Dog");
    EXPECT_EQ(ui.inputs[0].default_text, " 50");

    lib.on_flow_access_destroyed();
    EXPECT_EQ(lib.state().flow_access_handle, 0);
    lib.windo_flow_access();
    EXPECT_EQ(ui.flow_access_opened, 2);
    lib.windo_flow_access();
    EXPECT_EQ(ui.flow_access_opened, 2);
}

TEST_F(LibraryTest, AttentionFlowTableButtonIsGuarded) {
    int nested = 0;
    ui.on_attention = [&](const ScriptedUi::Attention&) {
        ui.on_list = [&](VirtualList&, ScriptedUi::ListShown&) {
            ++nested;
            lib.on_attention_flow_table();  // a second click while the table is shown
        };
        lib.on_attention_flow_table();
        ui.on_list = nullptr;
        return 0;
    };
    debugl("", "att", "");
    EXPECT_EQ(nested, 1);
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_TRUE(starts_with(ui.lists[0].caption, "Table Flow(Attention)"));
    EXPECT_EQ(ui.lists[0].headers[0], "^Progression   ");
    EXPECT_EQ(ui.lists[0].headers.size(), 13u);
}

TEST_F(LibraryTest, AttentionWindowThatCannotOpen) {
    struct FailingUi : ScriptedUi {
        int32_t attention(const std::string&, const std::string&, const WindowLook&, int32_t&) override { return 0; }
    } failing;
    Library l(failing);
    l.first_call_init();
    EXPECT_EQ(l.windo_attention("t", "T"), 0);
    ASSERT_EQ(failing.boxes.size(), 1u);
    EXPECT_EQ(failing.boxes[0].text, "Error to open WinAttention");
    EXPECT_EQ(failing.boxes[0].title, "PowerBASIC");
    EXPECT_EQ(l.state().attention_handle, 0);
}

TEST_F(LibraryTest, FlowTableWindowEditsApply) {
    lib.flowaccessn();
    debugl("-W", "first", "");
    debugl("-W", "second", "");
    ui.on_list = [](VirtualList& m, ScriptedUi::ListShown&) {
        // Opened sorted by sequence, latest first.
        EXPECT_EQ(m.cell_text(0, 2), "second");
        m.set_cell(1, 10, "on");  // "first": stop at every call
        m.set_cell(0, 9, "OFF");  // "second": no more window output
    };
    EXPECT_EQ(lib.pulluptabflow(), 0);
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_TRUE(starts_with(ui.lists[0].caption, "Table Flow(PullUpTabFlow)"));
    EXPECT_EQ(row(1).attention & 0x3000000, 0x3000000u);
    EXPECT_EQ(row(2).attention & 0x60, 0x40u);
    size_t stops = ui.attentions.size();
    debugl("-W", "first", "");
    EXPECT_EQ(ui.attentions.size(), stops + 1);
    const std::string before = winmsg();
    debugl("-W", "second", "");
    EXPECT_EQ(winmsg(), before);
}

TEST_F(LibraryTest, FlowTableWindowAppliesEveryRowToItsOwnLabel) {
    // Past 9999 rows the four-column row number no longer sorts back into table order.
    lib.flowaccessn();
    for (int i = 1; i <= 10001; ++i) {
        std::string o = "-W";
        lib.register_call(o, "L" + std::to_string(i));
    }
    lib.state().flow.record(10000).attention |= 0x60;
    lib.pulluptabflow();
    EXPECT_EQ(row(10000).attention & 0x60, 0x60u);
    EXPECT_EQ(row(1000).attention & 0x60, 0u);
    EXPECT_EQ(row(1).attention & 0x60, 0u);
}

TEST_F(LibraryTest, GetTabFlowModes) {
    OwnedStringArray t(1, 5, 0, 12);
    int32_t mode = 0;
    EXPECT_EQ(lib.gettabflow(t, mode), 0);
    EXPECT_EQ(mode, -3);

    lib.flowaccessn();
    debugl("-W", "Alpha", "");
    debugl("-W", "Beta", "");
    debugl("-W", "Alpha", "");
    t.set(1, 0, "keep");
    mode = 2;
    EXPECT_EQ(lib.gettabflow(t, mode), 2);
    EXPECT_EQ(mode, -5);
    EXPECT_EQ(t.get(1, 2), "Alpha");  // latest sequence first
    EXPECT_EQ(t.get(2, 2), "Beta");
    EXPECT_EQ(t.get(1, 0), "keep");
    mode = 0;
    lib.gettabflow(t, mode);
    EXPECT_EQ(t.get(1, 2), "Alpha");
    EXPECT_EQ(t.get(2, 2), "Beta");

    t.set(1, 2, "beta");
    EXPECT_EQ(lib.gettabflow(t, mode), 2);
    EXPECT_EQ(mode, -4);
    EXPECT_EQ(t.get(1, 4), "   1");
    t.set(1, 2, "gamma");
    EXPECT_EQ(lib.gettabflow(t, mode), 0);
    EXPECT_EQ(mode, -1);

    OwnedStringArray small(1, 1, 0, 12);
    EXPECT_EQ(lib.gettabflow(small, mode), -2);
    EXPECT_EQ(mode, -2);
    EXPECT_EQ(small.get(1, 2), "");

    OwnedStringArray wrong(1, 5, 0, 11);
    mode = 9;
    EXPECT_EQ(lib.gettabflow(wrong, mode), 0);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(lib.state().flow.label(3), "GetTabFlow_err_subscript");
}

TEST_F(LibraryTest, SetTabFlowRows) {
    lib.flowaccessn();
    debugl("-W", "Existing", "");
    debugl("-W", "Existing", "");
    OwnedStringArray t(1, 1, 0, 12);
    t.set(1, 2, "Existing");
    t.set(1, 9, "off");
    EXPECT_EQ(lib.settabflow(t), 1);
    EXPECT_EQ(row(1).count, 2);  // the registration's own count is undone
    OwnedStringArray shown(1, 2, 0, 12);
    lib.build_rows(shown);
    EXPECT_EQ(shown.get(1, 9), "OFF");
    const std::string before = winmsg();
    debugl("-W", "Existing", "");
    EXPECT_EQ(winmsg(), before);

    OwnedStringArray n(1, 1, 0, 12);
    n.set(1, 2, "NewCmp");
    n.set(1, 5, "= <");
    EXPECT_EQ(lib.settabflow(n), 2);
    EXPECT_EQ(row(2).status, 40);
    EXPECT_EQ(row(2).count, 0);
    EXPECT_EQ(std::string(row(2).op.data(), 8), "=<      ");
    EXPECT_EQ(row(2).row_options & 1, 1u);
    n.set(1, 5, "b");
    lib.settabflow(n);
    EXPECT_EQ(std::string(row(2).op.data(), 8), "B       ");
    EXPECT_EQ(row(2).row_options & 1, 0u);

    // A round trip of a row whose operator field was never written does not make it a comparison.
    OwnedStringArray g(1, 1, 0, 12);
    g.set(1, 2, "Existing");
    int32_t mode = 0;
    lib.gettabflow(g, mode);
    g.set(1, 2, "Existing");
    lib.settabflow(g);
    EXPECT_EQ(row(1).status, 26);

    OwnedStringArray blank(1, 1, 0, 12);
    EXPECT_EQ(lib.settabflow(blank), 0);
    OwnedStringArray wrong(1, 1, 0, 3);
    EXPECT_EQ(lib.settabflow(wrong), 0);
    EXPECT_EQ(lib.state().flow.label(3), "SetTabFlow_err_label");
    EXPECT_EQ(lib.state().flow.label(4), "SetTabFlow_err_subscript");
}

}  // namespace
}  // namespace qv::test
