// Start-up, configuration, registration, DEBUGL, the output routine and the switch exports.
#include <filesystem>
#include <fstream>

#include "library_fixture.h"

namespace qv::test {
namespace {

TEST_F(LibraryTest, FirstDebugLWritesOneLineAndReturnsOne) {
    std::string opts;
    EXPECT_EQ(lib.debugl(opts, "Start", "Hello"), 1);
    EXPECT_EQ(winmsg(), "Start:[Message] : [ 1 / 1 ] : Hello\r\n\r\n");
    ASSERT_EQ(ui.attentions.size(), 1u);
    EXPECT_EQ(ui.attentions[0].text, "Label: Start");
    EXPECT_EQ(ui.attentions[0].title, "DebugL Attention wait");
    EXPECT_EQ(ui.flow_access_opened, 1);
    EXPECT_EQ(row(1).sequence, 1);
    EXPECT_EQ(row(1).count, 1);
    EXPECT_EQ(row(1).status, 26);
    EXPECT_FALSE(std::filesystem::exists("Quorvale_Log.Txt"));
}

TEST_F(LibraryTest, LongMessageWrapsWithoutLosingCharacters) {
    std::string opts = "-W";
    std::string msg;
    // Label "L" plus the header make the line 250 characters long.
    const std::string head = "L:[Message] : [ 1 / 1 ] : ";
    for (size_t i = 0; head.size() + msg.size() < 250; ++i) msg += char('a' + i % 26);
    const std::string line = head + msg;
    ASSERT_EQ(line.size(), 250u);
    lib.debugl(opts, "L", msg);
    const std::string blanks(12, ' ');
    EXPECT_EQ(winmsg(), line.substr(0, 104) + "\r\n" + blanks + line.substr(104, 92) + "\r\n" + blanks +
                            line.substr(196) + "\r\n\r\n");
}

TEST_F(LibraryTest, VeryLongMessageIsWrappedWhole) {
    // A megabyte of message: every character arrives, in pieces of at most 106 characters.
    std::string msg;
    for (size_t i = 0; i < 1000000; ++i) msg += char('a' + i % 26);
    lib.putwinmsg({});  // start from a known text
    EXPECT_EQ(debugl("-W-S+F", "Big", msg), 1);
    const std::string log = read_file("Quorvale_Log.Txt");
    std::string joined;
    size_t pos = log.find("\r\n") + 2, pieces = 0;
    for (size_t e; (e = log.find("\r\n", pos)) != std::string::npos; pos = e + 2, ++pieces) {
        std::string piece = log.substr(pos, e - pos);
        EXPECT_LE(piece.size(), 104u);
        joined += pieces == 0 ? piece : piece.substr(12);
    }
    EXPECT_EQ(joined, "Big:[Message] : [ 1 / 2 ] : " + msg);
}

TEST_F(LibraryTest, BlankLabelIsAnErrorCall) {
    for (int i = 1; i <= 2; ++i) {
        std::string opts;
        EXPECT_EQ(lib.debugl(opts, "   ", "x"), 0);
        const FlowRecord& r = row(1);
        EXPECT_EQ(lib.state().flow.label(1), "DebugL_err_label");
        EXPECT_EQ(r.count, i);
        EXPECT_EQ(r.status, 56);
        EXPECT_EQ(r.attention & 0x800010u, 0x800010u);
        EXPECT_EQ(r.state & 0x10u, 0x10u);
    }
    EXPECT_NE(winmsg().find("DebugL_err_label:[error] : [ 2 / 2 ] : : Must be: Label different of  ( NULL   or   only "
                            "Space )\r\n"),
              std::string::npos);
    EXPECT_EQ(ui.attentions.back().title, "DebugL(Label) Attention error");
    EXPECT_EQ(ui.attentions.back().text, "Label: DebugL_err_label");
}

TEST_F(LibraryTest, OptionsAreRewrittenAndSetOverrides) {
    std::string opts = "+s -w";
    lib.debugl(opts, "A", "m");
    EXPECT_EQ(opts, "+S-W");
    EXPECT_EQ(row(1).attention & 0xC, 0xCu);
    EXPECT_EQ(row(1).attention & 0xC0000, 0x80000u);

    struct Case {
        const char* options;
        uint32_t s_bits;
    } cases[] = {{"+S", 0xC}, {"-S", 0x8}, {"", 0x0}, {"+S-S", 0xC}, {"+SW", 0xC}};
    for (const auto& c : cases) {
        std::string o = c.options;
        lib.debugl(o, "B", "m");
        EXPECT_EQ(row(2).attention & 0xC, c.s_bits) << c.options;
    }
    // "+SW" names S only: W has no sign of its own.
    EXPECT_EQ(row(2).attention & 0xC0000, 0u);
}

TEST_F(LibraryTest, RegistrationGrowsTableAndKeepsControlCharactersVisible) {
    for (int i = 1; i <= 9; ++i) debugl("-W", "label" + std::to_string(i), "");
    EXPECT_EQ(lib.state().flow.capacity(), 10);
    debugl("-W", "label10", "");
    EXPECT_EQ(lib.state().flow.capacity(), 20);
    debugl("-W", "label11", "");
    EXPECT_EQ(lib.state().flow.capacity(), 20);

    debugl("-W", "a\rb", "");
    EXPECT_EQ(lib.state().flow.label(12), "a<0D>b");
    EXPECT_EQ(debugl("-W", "a\rb", ""), 2);
    // Case-sensitive and untrimmed.
    debugl("-W", "A<0D>B", "");
    debugl("-W", " a<0D>b", "");
    EXPECT_EQ(lib.gettotflow(), 14);
}

TEST_F(LibraryTest, SwitchesAreCopiedIntoRowsAtRegistration) {
    debugl("-W", "A", "");
    EXPECT_EQ(row(1).attention & 0x100001, 0x100001u);
    int32_t m = lib.debugsn();
    EXPECT_EQ(lib.debugfy(), m + 1);
    lib.debugwy();
    lib.debugen();
    debugl("-W", "A", "");
    EXPECT_EQ(row(1).attention & 0x110001, 0x10000u);
    EXPECT_EQ(row(1).state & 1, 1u);
    OwnedStringArray t(1, 1, 0, 12);
    lib.build_rows(t);
    EXPECT_EQ(t.get(1, 6), "EN  :FY  :SN>Yes  :WY>Yes");
}

TEST_F(LibraryTest, RowBuilderColumns) {
    debugl("+s-w+i-f", "Row", "");
    OwnedStringArray t(1, 1, 0, 12);
    lib.build_rows(t);
    EXPECT_EQ(t.get(1, 0), "   1");
    EXPECT_EQ(t.get(1, 1), "        1");
    EXPECT_EQ(t.get(1, 2), "Row");
    EXPECT_EQ(t.get(1, 3), "L");
    EXPECT_EQ(t.get(1, 4), "   1");
    EXPECT_EQ(t.get(1, 5), std::string(8, '\0'));
    EXPECT_EQ(t.get(1, 6), "EY  :FN  :SY>Yes  :WN>Yes");
    EXPECT_EQ(t.get(1, 7), "+S -W +I -F");
    EXPECT_EQ(t.get(1, 8), "");
    EXPECT_EQ(t.get(1, 11), "Disabled");
    EXPECT_EQ(lib.status_text(0), "");
    EXPECT_EQ(lib.status_text(41), "AB(err)");
    EXPECT_EQ(lib.status_text(71), "C(cmp.)");
}

TEST_F(LibraryTest, ConfigurationKeys) {
    lib.apply_config_text(
        "watchdog,25 ' a comment\r\n"
        "'FontSize,99\r\n"
        "FontName, Courier New\n"
        "FirstFile, log.txt\r"
        "XLeftUpWinMsg=40\r\n"
        "WidthWinMsg HighWinMsg,300\r\n"
        "ForeGroundWinMsg,&HFF00\r\n"
        "garbage \x01\x02\xff line, 7");
    const auto& s = lib.state();
    EXPECT_EQ(s.dog_limit, 25);
    EXPECT_EQ(s.dog_countdown, 25);
    EXPECT_EQ(s.dog_disabled, 0);
    EXPECT_EQ(s.font_size, 8);
    EXPECT_EQ(s.font_name, " COURIER NEW");
    EXPECT_EQ(s.file_stack.back(), " LOG.TXT");
    EXPECT_EQ(s.started_names[1], " LOG.TXT");
    EXPECT_EQ(s.winmsg_left, 0);
    EXPECT_EQ(s.winmsg_width, 300);
    EXPECT_EQ(s.winmsg_height, 300);
    EXPECT_EQ(s.winmsg_fore, 0xFF00u);
    lib.apply_config_text("WatchDog, 0");
    EXPECT_EQ(lib.state().dog_disabled, 1);
}

TEST_F(LibraryTest, ConfigurationFileIsReadAtStartUp) {
    {
        std::ofstream("Quorvale.Cfg", std::ios::binary) << "YLeftUpWinMsg,77\r\nBackGroundWinMsg,16777215";
    }
    ScriptedUi ui2;
    Library fresh(ui2);
    fresh.first_call_init();
    EXPECT_EQ(fresh.state().winmsg_top, 77);
    EXPECT_EQ(fresh.state().winmsg_back, 16777215u);
    // Many lines of noise: still read, no crash.
    {
        std::ofstream f("Quorvale.Cfg", std::ios::binary);
        for (int i = 0; i < 100000; ++i) f << "noise line " << i << "\n";
        f << "HighWinMsg,123";
    }
    Library big(ui2);
    big.first_call_init();
    EXPECT_EQ(big.state().winmsg_height, 123);
}

TEST_F(LibraryTest, WindowMessageKeepsTheLast990LineEnds) {
    std::vector<std::string> batch{"x\r\n"};
    for (int i = 0; i < 1000; ++i) {
        batch[0] = std::to_string(i) + "\r\n";
        lib.putwinmsg(batch);
    }
    const std::string t = winmsg();
    size_t ends = 0;
    for (size_t p = 0; (p = t.find("\r\n", p)) != std::string::npos; p += 2) ++ends;
    EXPECT_EQ(ends, 990u);
    EXPECT_EQ(t.substr(0, 5), "505\r\n");
    EXPECT_TRUE(ui.delta_ok);
    EXPECT_EQ(lib.state().winmsg_line_limit, 990);
}

TEST_F(LibraryTest, WindowMessageKeepsAtMost120000Characters) {
    std::string big(50000, 'y');
    for (int i = 0; i < 5; ++i) lib.putwinmsg({big + "\r\n", "z\r\n"});
    EXPECT_LE(winmsg().size(), 120000u);
    EXPECT_EQ(winmsg().substr(winmsg().size() - 5), "z\r\n\r\n");
    EXPECT_TRUE(ui.delta_ok);
    // A foreign text from WINDOMESSAGE makes the next batch resend the whole text.
    lib.window_message("other");
    lib.putwinmsg({"q\r\n"});
    EXPECT_EQ(ui.winmsg_texts.back(), winmsg());
    EXPECT_TRUE(ui.delta_ok);
}

TEST_F(LibraryTest, FileWriterHeaderAppendAndEmptyBatch) {
    lib.debugfy();
    lib.debugfy();
    lib.putfilelog({"", ""});
    EXPECT_EQ(read_file("Quorvale_Log.Txt"), "Master Counter:  3 \r\n");
    lib.putfilelog({"a\r\n", "", "b", "", ""});
    EXPECT_EQ(read_file("Quorvale_Log.Txt"), "Master Counter:  3 \r\na\r\nb");
    // Window only: a PUTWINMSG batch never reaches the file.
    lib.putwinmsg({"w\r\n"});
    EXPECT_EQ(read_file("Quorvale_Log.Txt"), "Master Counter:  3 \r\na\r\nb");
}

TEST_F(LibraryTest, OptionsRouteOutputAgainstTheSwitches) {
    debugl("-S-W", "quiet", "q");
    EXPECT_EQ(winmsg().find("quiet"), std::string::npos);
    debugl("+F-W", "tofile", "f");
    EXPECT_NE(read_file("Quorvale_Log.Txt").find("tofile:[Message]"), std::string::npos);
    // Error bits send the error label to the file although the file switch is off.
    debugl("-W", "", "");
    EXPECT_NE(read_file("Quorvale_Log.Txt").find("DebugL_err_label"), std::string::npos);
}

TEST_F(LibraryTest, UnwritableLogFileIsReportedAndNotMarkedStarted) {
    lib.debugfb((dir_ / "no_such_dir" / "log.txt").string());
    lib.debugfy();
    debugl("-W", "A", "m");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Error_Write_file");
    EXPECT_EQ(ui.boxes[0].text.rfind("Error on write file:" + (dir_ / "no_such_dir" / "log.txt").string() +
                                         "\r\nType error:",
                                     0),
              0u);
    EXPECT_EQ(lib.state().started_flags.back(), 0);
    EXPECT_EQ(debugl("-W", "A", "m"), 2);
}

TEST_F(LibraryTest, LogFileStack) {
    lib.debugfy();
    EXPECT_EQ(lib.debugfb("second.txt"), "second.txt");
    EXPECT_EQ(lib.debugfb("second.txt"), "second.txt");
    EXPECT_EQ(lib.debugfb("   "), "second.txt");
    debugl("-W", "A", "one");
    EXPECT_EQ(lib.debugft(), "Quorvale_Log.Txt");
    EXPECT_EQ(lib.debugft(), "Quorvale_Log.Txt");
    lib.debugfb("second.txt");
    debugl("-W", "A", "two");
    const std::string log = read_file("second.txt");
    EXPECT_NE(log.find("one"), std::string::npos);
    EXPECT_NE(log.find("two"), std::string::npos);
    for (int i = 0; i < 25; ++i) lib.debugfb("f" + std::to_string(i));
    EXPECT_GE(lib.state().file_capacity, 26);
    EXPECT_EQ(lib.debugft(), "f23");
}

TEST_F(LibraryTest, DebugDyAndMasterWatchdogExports) {
    struct Case {
        VariantValue value;
        int32_t result, limit;
    } cases[] = {{variant_empty(), 0, 50}, {variant_i32(20), 50, 20}, {variant_double(2.5), 20, 2},
                 {variant_string("9"), 2, 0}};
    for (auto& c : cases) {
        lib.debugdn();
        EXPECT_EQ(lib.debugdy(c.value), c.result);
        EXPECT_EQ(lib.state().dog_limit, c.limit);
        EXPECT_EQ(lib.getmasterdog(), c.limit);
        EXPECT_EQ(lib.state().dog_disabled, 0);
    }
    lib.debugdy(variant_i32(50));
    lib.debugsy();
    EXPECT_EQ(lib.getmasterdog(), 49);
    EXPECT_EQ(lib.debugdn(), 49);
    EXPECT_EQ(lib.debugey(), 0);
    EXPECT_EQ(lib.getmastercounter(), 2);
}

TEST_F(LibraryTest, FlowAccessExports) {
    EXPECT_EQ(lib.flowaccessn(), 0);
    debugl("-W", "A", "");
    EXPECT_EQ(ui.flow_access_opened, 0);
    EXPECT_EQ(lib.flowaccessy(), 0);
    debugl("-W", "A", "");
    EXPECT_EQ(ui.flow_access_opened, 1);
    EXPECT_EQ(lib.flowaccessy(), ui.flow_access_handle);
    EXPECT_EQ(lib.flowaccessn(), ui.flow_access_handle);
    EXPECT_EQ(ui.flow_access_destroyed, 1);
    EXPECT_EQ(lib.state().flow_access_state, 0);
}

}  // namespace
}  // namespace qv::test
