// Steps of a client program and of the person at the screen that several Windows tests share,
// on top of harness.h: the client's own message loop, calls that must open no window, keys,
// waiting for a condition, and the STR form of numbers that window texts use.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "harness.h"
#include "quorvale_client.h"

namespace qvs {

// A number as the client language's STR$ writes it: a blank in place of the plus sign.
inline std::string str_form(long n) { return n < 0 ? std::to_string(n) : " " + std::to_string(n); }

// A key pressed while the control has the focus (the library's loop turns Enter and Esc into
// its dialog commands).
inline void press_key(HWND w, UINT vk) {
    PostMessageA(w, WM_KEYDOWN, vk, 1);
    PostMessageA(w, WM_KEYUP, vk, LPARAM(0xC0000001));
}

// Polls a condition; false when it still does not hold after the timeout.
template <class Cond>
bool eventually(Cond cond, DWORD timeout_ms = qvh::kWaitMs) {
    DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start >= timeout_ms) return false;
        Sleep(25);
    }
    return true;
}

// Sets a flag when it goes out of scope, whichever way the person leaves.
struct RaiseOnExit {
    std::atomic<bool>& flag;
    ~RaiseOnExit() { flag = true; }
};

// The client's own message loop, as a program has between its debug calls; it serves the
// modeless Flow Access window. Ends when `stop` is raised (or after the timeout).
inline void client_loop_until(const std::atomic<bool>& stop, DWORD timeout_ms = 2 * qvh::kWaitMs) {
    DWORD start = GetTickCount();
    while (!stop && GetTickCount() - start < timeout_ms) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(10);
    }
}

// A library call that must open no window of its own: one that appears anyway (other than
// the Window Message and the Flow Access window, which live on) is a test failure, and the
// harness closes it.
template <class Call>
auto call_without_windows(Call call) -> decltype(call()) {
    std::atomic<bool> done{false};
    return qvh::with_person(
        [&] {
            DWORD start = GetTickCount();
            while (!done) {
                for (HWND w : qvh::own_top_windows()) {
                    std::string t = qvh::window_text(w);
                    if (t != qvh::kWindowMessageCaption && t != "Flow Access") {
                        ADD_FAILURE() << "unexpected window \"" << t << "\"";
                        return;
                    }
                }
                if (GetTickCount() - start > 2 * qvh::kWaitMs) {
                    ADD_FAILURE() << "the call did not return; open: " << qvh::describe_windows();
                    return;
                }
                Sleep(25);
            }
        },
        [&] {
            auto r = call();
            done = true;
            return r;
        });
}

// The Flow Access window; the first debug call of the process opens it, so one "-W" call is
// made when it is not there yet.
inline HWND flow_access_window() {
    if (HWND w = qvh::find_window("Flow Access", qvh::Match::Exact, 0)) return w;
    qvkit::DynStr opt("-W"), label("Opening call"), msg("");
    call_without_windows([&] { return DEBUGL(opt.ref(), label.ref(), msg.ref()); });
    return qvh::must_find("Flow Access");
}

// The first child of a class whose text matches, ignoring case (a button "Cancel"/"CANCEL").
inline HWND child_by_text_nocase(HWND parent, const std::string& text, const char* cls) {
    for (HWND w : qvh::children(parent))
        if (lstrcmpiA(qvh::window_text(w).c_str(), text.c_str()) == 0 &&
            lstrcmpiA(qvh::class_name(w).c_str(), cls) == 0)
            return w;
    return nullptr;
}

// Makes the call while the person presses "Continue" in the Attention window of that title and
// waits for it to go; the call's result.
template <class Call>
auto continue_at(const std::string& title, Call call) -> decltype(call()) {
    return qvh::with_person(
        [&] {
            HWND att = qvh::must_find(title);
            if (!att) return;
            qvh::click_button(att, "Continue");
            EXPECT_TRUE(qvh::wait_gone(att));
        },
        call);
}

// The person restores the minimized Flow Access window and clicks one of its buttons; the
// window, or 0 (with a test failure) when it is not there or does not restore.
inline HWND click_in_flow_access(const std::string& button) {
    HWND fa = qvh::must_find("Flow Access");
    if (!fa) return nullptr;
    ShowWindowAsync(fa, SW_RESTORE);
    if (!eventually([&] { return !IsIconic(fa); })) {
        ADD_FAILURE() << "the Flow Access window does not restore";
        return nullptr;
    }
    qvh::click_button(fa, button);
    return fa;
}

}  // namespace qvs
