// "Quorvale.Cfg" in the current directory is read when the library loads, so the test writes
// it and then runs itself again as the client that loads the library with it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "harness.h"
#include "quorvale_client.h"

namespace {

using qvkit::DynStr;

bool is_child() { return std::getenv("QV_CONFIG_CHILD") != nullptr; }

TEST(Config, ChangesWindowMessagePositionAndColours) {
    if (is_child()) GTEST_SKIP() << "the parent's part";
    {
        std::ofstream cfg("Quorvale.Cfg", std::ios::binary);
        cfg << "' window message placed and coloured by the test\r\n"
               "XLeftUpWinMsg, 100\r\n"
               "YLeftUpWinMsg, 60  ' from the top\r\n"
               "ForeGroundWinMsg, &H00FF00\r\n"
               "BackGroundWinMsg, 16711680\r\n";
    }
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string cmd = std::string("\"") + exe + "\" --gtest_filter=Config.Child*";
    SetEnvironmentVariableA("QV_CONFIG_CHILD", "1");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    SetEnvironmentVariableA("QV_CONFIG_CHILD", nullptr);
    DWORD waited = WaitForSingleObject(pi.hProcess, 120000);
    DWORD code = 99;
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 98);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    DeleteFileA("Quorvale.Cfg");
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(code, 0u) << "the child's checks failed (its output is above)";
}

TEST(Config, ChildSeesTheConfiguredWindowMessage) {
    if (!is_child()) GTEST_SKIP() << "runs in the child process";
    FLOWACCESSN();
    DynStr opt("-W"), label("Cfg"), msg("placed");
    ASSERT_EQ(DEBUGL(opt.ref(), label.ref(), msg.ref()), 1);
    std::vector<HWND> w = qvh::top_windows(qvh::kWindowMessageCaption);
    ASSERT_EQ(w.size(), 1u);
    HWND dlg = w.front();

    // Position: 100, 60 dialog units of the window's own font.
    RECT du{100, 60, 530, 450};
    MapDialogRect(dlg, &du);
    RECT wr;
    GetWindowRect(dlg, &wr);
    EXPECT_EQ(wr.left, du.left);
    EXPECT_EQ(wr.top, du.top);

    // Colours: ask the dialog how it paints its read-only edit control.
    HWND edit = GetDlgItem(dlg, qvh::kWindowMessageEdit);
    ASSERT_NE(edit, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageA(dlg, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(edit));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0xFF, 0));
    EXPECT_EQ(GetBkColor(dc), COLORREF(16711680));
    DeleteDC(dc);
}

}  // namespace
