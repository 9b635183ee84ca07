// File output: after DEBUGFY the log file is started with its header line, later batches
// append, and a log-file name that cannot be created is reported in a message box.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "harness.h"
#include "quorvale_client.h"

namespace {

using qvkit::DynStr;

std::string read_file(const char* name) {
    std::ifstream f(name, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

TEST(LogFile, StartsWithTheHeaderAndAppends) {
    DeleteFileA("Quorvale_Log.Txt");
    FLOWACCESSN();
    EXPECT_EQ(DEBUGFY(), 1);
    DynStr opt("-W"), label("File"), msg("first");
    EXPECT_EQ(DEBUGL(opt.ref(), label.ref(), msg.ref()), 1);
    EXPECT_EQ(read_file("Quorvale_Log.Txt"), "Master Counter:  2 \r\nFile:[Message] : [ 1 / 2 ] : first\r\n");
    DynStr msg2("second");
    DEBUGL(opt.ref(), label.ref(), msg2.ref());
    EXPECT_EQ(read_file("Quorvale_Log.Txt"),
              "Master Counter:  2 \r\nFile:[Message] : [ 1 / 2 ] : first\r\nFile:[Message] : [ 2 / 3 ] : second\r\n");
}

TEST(LogFile, UnwritableNameShowsTheErrorBoxAndTheCallGoesOn) {
    DynStr name("no_such_dir\\log.txt");
    DynStr top = DynStr::adopt(DEBUGFB(name.release()));
    EXPECT_EQ(top.str(), "no_such_dir\\log.txt");
    DynStr opt("-W"), label("File"), msg("lost");
    std::string box_text;
    int32_t r = qvh::with_person(
        [&] {
            HWND box = qvh::must_find("Error_Write_file");
            if (!box) return;
            HWND text = nullptr;
            for (HWND c : qvh::children(box))
                if (qvh::class_name(c) == "Static" && !qvh::window_text(c).empty()) text = c;
            box_text = text ? qvh::window_text(text) : "";
            qvh::click_button(box, IDOK);
        },
        [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
    EXPECT_EQ(r, 3);
    EXPECT_EQ(box_text.rfind("Error on write file:no_such_dir\\log.txt\r\nType error:", 0), 0u) << box_text;
    DynStr back = DynStr::adopt(DEBUGFT());
    EXPECT_EQ(back.str(), "Quorvale_Log.Txt");
}

}  // namespace
