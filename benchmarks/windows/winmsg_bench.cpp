// Per-call cost of DEBUGL in QUORVALE.DLL when the Window Message is full: every call appends
// its lines and drops as many from the head of the text, and the window's text control is
// handed only that change. The WholeResend runs make the control show a foreign text before
// each call, so that each call must send the whole text again: the cost the change-only
// update saves. NoWindow ("-S") is the same call without any window output.
//
// Arguments: lines = message lines per call (1: a short message, 10: a long one that wraps);
// minimized = 1 runs with the Window Message minimized (the control is updated but nothing of
// it is on the screen), 0 with it open on the desktop.
//
// Only the DEBUGL call is timed (manual time); building the arguments, the foreign text and
// the message loop's turns between calls are not. Counters:
//   p50_us, p99_us, max_us   per-call time percentiles
//   line_ends, chars         what the text control shows after the run (990 line ends when
//                            the window output kept the text at its line limit)
//   calls/s                  calls per second of timed time
//
// Calls per run: 5000, or QV_WINMSG_CALLS; the WholeResend runs time a 25th of them (after
// untimed calls that push the fill out), since under Wine through an emulator each of their
// calls takes about half a second.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "quorvale_client.h"

using namespace qvkit;

namespace {

// Calls per run; QV_WINMSG_CALLS may set another number for a quick look.
int calls_per_run() {
    const char* v = std::getenv("QV_WINMSG_CALLS");
    int n = v ? std::atoi(v) : 0;
    return n > 0 ? n : 5000;
}
const int kCalls = calls_per_run();
const int kResendCalls = std::max(1, kCalls / 25);
constexpr int kWinMsgEdit = 1524;   // the Window Message's text control
constexpr size_t kLineEnds = 990;   // line limit of the Window Message text
// Under the 120000-character limit the text may start up to a line later (11999 characters).
constexpr size_t kFullChars = 120000 - 12000;
constexpr int kPumpEvery = 100;     // calls between two turns of the message loop

// Nothing may stop the run: no Flow Access window at the first debug call, and no Flow Table
// window from the master watchdog.
void quiet_library() {
    FLOWACCESSN();
    DEBUGDN();
}

// What the client's own message loop would do now and then: paint, handle the desktop.
void pump_messages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// 990 lines of 120 characters: the text reaches the 120000-character limit and, a line short
// of it, the 990-line limit; the first calls then push both.
HWND fill_window_message() {
    std::vector<std::string> lines;
    for (int i = 0; i < int(kLineEnds); ++i) {
        std::string line = "fill line " + std::to_string(i + 1) + " ";
        line.resize(120, '.');
        lines.push_back(line + "\r\n");
    }
    StringArray array = StringArray::from_lines(lines);
    int32_t n = int32_t(lines.size());
    HWND h = reinterpret_cast<HWND>(intptr_t(PUTWINMSG(array.desc(), &n)));
    pump_messages();
    return h;
}

// A message that makes the DEBUGL line wrap into `lines` lines (first line 104 characters,
// continuation lines 92 after their indent; the head "WinMsgBench:[Message] : [ n / m ] : "
// takes 30 to 45 characters as the counters grow).
std::string message_of(int lines) {
    size_t length = lines <= 1 ? 40 : 104 + size_t(lines - 2) * 92 + 6;
    std::string text;
    while (text.size() < length) text += "the quick brown fox jumps over the lazy dog ";
    text.resize(length);
    return text;
}

struct Shown {
    size_t chars = 0;
    size_t line_ends = 0;
};

Shown shown_text(HWND window) {
    Shown s;
    HWND edit = window ? GetDlgItem(window, kWinMsgEdit) : nullptr;
    if (!edit) return s;
    s.chars = size_t(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
    // The text ends with a line end, after which the control counts one more (empty) line.
    LRESULT lines = SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
    s.line_ends = lines > 0 ? size_t(lines - 1) : 0;
    return s;
}

enum class Mode { Incremental, WholeResend, NoWindow };

void run_debugl(benchmark::State& state, Mode mode) {
    quiet_library();
    HWND window = fill_window_message();
    const bool minimized = state.range(1) != 0;
    if (window && minimized) {
        ShowWindow(window, SW_SHOWMINNOACTIVE);
        pump_messages();
    }
    const std::string message = message_of(int(state.range(0)));
    const char* options_text = mode == Mode::NoWindow ? "-S-W" : "-W";
    DynStr label("WinMsgBench");
    DynStr foreign("foreign text\r\n");

    if (mode == Mode::WholeResend) {
        // These runs are short: first push the fill out with untimed calls, so that they resend
        // the text the change-only runs keep updating for most of their calls.
        const int warm_up = int(kLineEnds) / int(state.range(0) + 1) + 1;
        for (int i = 1; i <= warm_up; ++i) {
            DynStr options(options_text), text(message);
            DEBUGL(options.ref(), label.ref(), text.ref());
            if (i % kPumpEvery == 0) pump_messages();
        }
    }

    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> us;
    us.reserve(size_t(state.max_iterations));
    int calls = 0;
    for (auto _ : state) {
        // The control no longer shows the library's text: the next update sends all of it.
        if (mode == Mode::WholeResend) WINDOMESSAGE(foreign.ref());
        DynStr options(options_text), text(message);  // fresh arguments, as a client passes literals
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        int32_t count = DEBUGL(options.ref(), label.ref(), text.ref());
        QueryPerformanceCounter(&t1);
        benchmark::DoNotOptimize(count);
        const double seconds = double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
        state.SetIterationTime(seconds);
        us.push_back(seconds * 1e6);
        if (++calls % kPumpEvery == 0) pump_messages();
    }
    pump_messages();
    if (window && minimized) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        pump_messages();
    }

    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us.empty() ? 0.0 : us[std::min(us.size() - 1, size_t(q * double(us.size())))]; };
    const Shown shown = shown_text(window);
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = us.empty() ? 0.0 : us.back();
    state.counters["line_ends"] = double(shown.line_ends);
    state.counters["chars"] = double(shown.chars);
    state.counters["calls/s"] = benchmark::Counter(double(calls), benchmark::Counter::kIsRate);
    if (!window)
        state.SkipWithError("no Window Message");
    else if (mode != Mode::NoWindow && shown.line_ends != kLineEnds && shown.chars < kFullChars)
        state.SkipWithError("the Window Message is not at a limit: its text control is out of step");
}

void BM_DebugL_FullWindow(benchmark::State& state) { run_debugl(state, Mode::Incremental); }
void BM_DebugL_WholeResend(benchmark::State& state) { run_debugl(state, Mode::WholeResend); }
void BM_DebugL_NoWindow(benchmark::State& state) { run_debugl(state, Mode::NoWindow); }

BENCHMARK(BM_DebugL_FullWindow)->ArgNames({"lines", "minimized"})->ArgsProduct({{1, 10}, {0, 1}})
    ->Iterations(kCalls)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DebugL_WholeResend)->ArgNames({"lines", "minimized"})->ArgsProduct({{1, 10}, {0, 1}})
    ->Iterations(kResendCalls)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DebugL_NoWindow)->ArgNames({"lines", "minimized"})->Args({1, 0})
    ->Iterations(kCalls)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
