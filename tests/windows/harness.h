// Drives the library's windows the way a person at the screen would, for the Windows tests.
//
// The library runs its modal windows on the calling thread, so a test makes the library call
// on the main thread while a helper thread ("the person") waits for the window, reads it and
// presses its buttons:
//
//   int32_t r = qvh::with_person(
//       [] {                                    // the person, on a helper thread
//           HWND w = qvh::must_find("DebugL Attention wait");
//           if (!w) return;
//           qvh::click_button(w, "Continue");
//       },
//       [&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });  // the client's call
//
// Nothing waits forever: must_find gives up after kWaitMs with a test failure; when the call
// is still running after the person is done (at once if the person failed, else after
// kGraceMs), the person presses Esc and closes every window of the process, and a call that
// still does not return ends the test program with exit code 3.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace qvh {

constexpr DWORD kWaitMs = 10000;   // finding a window or waiting for it to go
constexpr DWORD kGraceMs = 10000;  // a call's return after the person is done
constexpr DWORD kSendMs = 5000;    // one message to a window of the main thread
constexpr int kWindowMessageEdit = 1524;
inline const char* const kWindowMessageCaption = "Debug Power Basic:  Window Message";

// ---- windows and their text -----------------------------------------------------------

// The caption as stored, without sending a message to the window's thread (which may be busy).
inline std::string window_text(HWND w) {
    wchar_t buf[1024];
    int n = InternalGetWindowText(w, buf, 1024);
    if (n <= 0) return {};
    char out[4096];
    int m = WideCharToMultiByte(CP_ACP, 0, buf, n, out, sizeof out, nullptr, nullptr);
    return std::string(out, size_t(m > 0 ? m : 0));
}

inline std::string class_name(HWND w) {
    char buf[256];
    int n = GetClassNameA(w, buf, sizeof buf);
    return std::string(buf, size_t(n > 0 ? n : 0));
}

enum class Match { Exact, Prefix };

inline bool caption_matches(const std::string& text, const std::string& caption, Match m) {
    return m == Match::Exact ? text == caption : text.compare(0, caption.size(), caption) == 0;
}

// Visible top-level windows of this process, in z-order.
inline std::vector<HWND> own_top_windows() {
    struct Enum {
        static BOOL CALLBACK each(HWND w, LPARAM p) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        }
    };
    std::vector<HWND> out;
    EnumWindows(&Enum::each, reinterpret_cast<LPARAM>(&out));
    return out;
}

// Visible top-level windows of this process whose caption matches.
inline std::vector<HWND> top_windows(const std::string& caption, Match m = Match::Exact) {
    std::vector<HWND> out;
    for (HWND w : own_top_windows())
        if (caption_matches(window_text(w), caption, m)) out.push_back(w);
    return out;
}

// Captions of this process's visible top-level windows, for failure messages.
inline std::string describe_windows() {
    std::string out;
    for (HWND w : own_top_windows()) out += "[" + window_text(w) + "] (" + class_name(w) + ") ";
    return out.empty() ? "(no windows)" : out;
}

// Polls for a window; 0 after the timeout.
inline HWND find_window(const std::string& caption, Match m = Match::Exact, DWORD timeout_ms = kWaitMs) {
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> w = top_windows(caption, m);
        if (!w.empty()) return w.front();
        if (GetTickCount() - start >= timeout_ms) return nullptr;
        Sleep(25);
    }
}

// As find_window, and a test failure when it does not come.
inline HWND must_find(const std::string& caption, Match m = Match::Exact, DWORD timeout_ms = kWaitMs) {
    HWND w = find_window(caption, m, timeout_ms);
    if (!w)
        ADD_FAILURE() << "no window \"" << caption << "\"" << (m == Match::Prefix ? " (prefix)" : "")
                      << " within " << timeout_ms << " ms; open: " << describe_windows();
    return w;
}

// Waits until the window is destroyed.
inline bool wait_gone(HWND w, DWORD timeout_ms = kWaitMs) {
    DWORD start = GetTickCount();
    while (IsWindow(w)) {
        if (GetTickCount() - start >= timeout_ms) return false;
        Sleep(25);
    }
    return true;
}

// ---- controls ------------------------------------------------------------------------

// All descendants of a window.
inline std::vector<HWND> children(HWND parent) {
    struct Enum {
        static BOOL CALLBACK each(HWND w, LPARAM p) {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        }
    };
    std::vector<HWND> out;
    EnumChildWindows(parent, &Enum::each, reinterpret_cast<LPARAM>(&out));
    return out;
}

// First descendant whose text is exactly text (and whose class is cls, when given).
inline HWND child_by_text(HWND parent, const std::string& text, const char* cls = nullptr) {
    for (HWND w : children(parent))
        if (window_text(w) == text && (!cls || lstrcmpiA(class_name(w).c_str(), cls) == 0)) return w;
    return nullptr;
}

// First descendant of the class (e.g. "SysListView32").
inline HWND child_by_class(HWND parent, const char* cls) {
    for (HWND w : children(parent))
        if (lstrcmpiA(class_name(w).c_str(), cls) == 0) return w;
    return nullptr;
}

// A message to a window of another thread of this process, bounded in time.
inline bool send(HWND w, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result = nullptr, DWORD timeout_ms = kSendMs) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutA(w, msg, wp, lp, SMTO_NORMAL, timeout_ms, &r)) return false;
    if (result) *result = LRESULT(r);
    return true;
}

// Presses a button: the button handles the click itself and notifies its dialog.
inline bool click(HWND button) { return button && PostMessageA(button, BM_CLICK, 0, 0); }

inline bool click_button(HWND dlg, int id) {
    HWND b = GetDlgItem(dlg, id);
    EXPECT_TRUE(b) << "no control " << id << " in \"" << window_text(dlg) << "\"";
    return click(b);
}

inline bool click_button(HWND dlg, const std::string& text) {
    HWND b = child_by_text(dlg, text, "Button");
    EXPECT_TRUE(b) << "no button \"" << text << "\" in \"" << window_text(dlg) << "\"";
    return click(b);
}

// Types text into a control (replaces its contents).
inline bool set_text(HWND ctrl, const std::string& text) {
    return ctrl && send(ctrl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
inline bool set_text(HWND dlg, int id, const std::string& text) { return set_text(GetDlgItem(dlg, id), text); }

inline std::string get_text(HWND ctrl) {
    LRESULT n = 0;
    if (!ctrl || !send(ctrl, WM_GETTEXTLENGTH, 0, 0, &n)) return {};
    std::string s(size_t(n) + 1, '\0');
    LRESULT got = 0;
    if (!send(ctrl, WM_GETTEXT, WPARAM(s.size()), reinterpret_cast<LPARAM>(s.data()), &got)) return {};
    s.resize(size_t(got));
    return s;
}
inline std::string get_text(HWND dlg, int id) { return get_text(GetDlgItem(dlg, id)); }

// What the Window Message shows; empty when it is not open.
inline std::string window_message_text() {
    std::vector<HWND> w = top_windows(kWindowMessageCaption);
    return w.empty() ? std::string() : get_text(w.front(), kWindowMessageEdit);
}

// The Esc key in a dialog.
inline bool press_escape(HWND dlg) { return PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0); }
// The close box of the caption.
inline bool close_window(HWND w) { return PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }

// Last resort of a failed test: Esc and close to every visible window of the process.
inline void close_all_windows() {
    for (HWND w : own_top_windows()) {
        PostMessageA(w, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        PostMessageA(w, WM_CLOSE, 0, 0);
    }
}

// ---- list views (pointers in LVM_* messages are fine within one process) -------------

inline int lv_count(HWND lv) {
    LRESULT n = -1;
    send(lv, LVM_GETITEMCOUNT, 0, 0, &n);
    return int(n);
}

inline int lv_column_count(HWND lv) {
    LRESULT header = 0, n = -1;
    if (!send(lv, LVM_GETHEADER, 0, 0, &header) || !header) return -1;
    send(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &n);
    return int(n);
}

inline std::string lv_text(HWND lv, int row, int col) {
    char buf[1024] = {};
    LVITEMA item{};
    item.iSubItem = col;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    LRESULT n = 0;
    if (!send(lv, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item), &n)) return {};
    return std::string(buf);
}

inline std::vector<std::string> lv_row(HWND lv, int row) {
    std::vector<std::string> out;
    int cols = lv_column_count(lv);
    for (int c = 0; c < cols; ++c) out.push_back(lv_text(lv, row, c));
    return out;
}

inline std::string lv_column_text(HWND lv, int col) {
    char buf[512] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.pszText = buf;
    column.cchTextMax = sizeof buf;
    if (!send(lv, LVM_GETCOLUMNA, WPARAM(col), reinterpret_cast<LPARAM>(&column))) return {};
    return std::string(buf);
}

inline void post_click(HWND w, POINT p, bool twice) {
    LPARAM at = MAKELPARAM(p.x, p.y);
    PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(w, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(w, WM_LBUTTONUP, 0, at);
    }
}

// Clicks the header of a column, as the mouse would.
inline bool lv_click_header(HWND lv, int col) {
    LRESULT header = 0;
    if (!send(lv, LVM_GETHEADER, 0, 0, &header) || !header) return false;
    RECT r{};
    if (!send(reinterpret_cast<HWND>(header), HDM_GETITEMRECT, WPARAM(col), reinterpret_cast<LPARAM>(&r))) return false;
    post_click(reinterpret_cast<HWND>(header), POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, false);
    return true;
}

// Double-clicks a cell (the cell is scrolled into view first).
inline bool lv_double_click(HWND lv, int row, int col) {
    send(lv, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
    RECT r{};
    r.top = col;
    r.left = LVIR_BOUNDS;
    if (!send(lv, LVM_GETSUBITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r))) return false;
    POINT p{r.left + 4, (r.top + r.bottom) / 2};
    if (col == 0) {
        // Sub-item 0's bounds cover the whole row; aim at its own column.
        RECT c{};
        c.left = LVIR_LABEL;
        if (send(lv, LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&c))) p.x = c.left + 4;
    }
    POINT screen = p;
    ClientToScreen(lv, &screen);
    SetCursorPos(screen.x, screen.y);
    post_click(lv, p, true);
    return true;
}

inline bool lv_select(HWND lv, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    return send(lv, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
}

// ---- the person ------------------------------------------------------------------------

// Runs call() on this thread while person() acts on a helper thread; returns call()'s result.
template <class Person, class Call>
auto with_person(Person person, Call call) -> decltype(call()) {
    std::atomic<bool> call_done{false};
    std::thread helper([&] {
        person();
        // A person who failed (say, found no window) leaves nothing to wait for.
        DWORD grace = ::testing::Test::HasFailure() ? 0 : kGraceMs;
        DWORD start = GetTickCount();
        while (!call_done && GetTickCount() - start < grace) Sleep(25);
        if (call_done) return;
        ADD_FAILURE() << "the library call has not returned after the person was done; closing "
                      << describe_windows();
        start = GetTickCount();
        while (!call_done && GetTickCount() - start < kGraceMs) {
            close_all_windows();
            Sleep(250);
        }
        if (!call_done) {
            std::fprintf(stderr, "harness: the library call hangs; ending the test program\n");
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    });
    struct Join {
        std::thread& t;
        std::atomic<bool>& done;
        ~Join() { done = true; t.join(); }
    } join{helper, call_done};
    if constexpr (std::is_void_v<decltype(call())>) {
        call();
    } else {
        return call();
    }
}

}  // namespace qvh
