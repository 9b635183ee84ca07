// Per-call cost of DEBUGL in the core with window and file output off for the label, as the
// number of distinct labels grows: registration must stay constant-time on average.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "arrays/virtual_list.h"
#include "core/library.h"

namespace {

class SilentUi : public qv::Ui {
public:
    int32_t show_window_message(const qv::WindowMessageUpdate&) override { return 1; }
    void message_box(const std::string&, const std::string&) override {}
    int32_t attention(const std::string&, const std::string&, const qv::WindowLook&, int32_t& h) override {
        return h = 0;
    }
    int32_t open_flow_access(const qv::WindowLook&) override { return 1; }
    void destroy_flow_access(int32_t) override {}
    std::string input_box(const std::string&, const std::string&, const std::string&) override { return {}; }
    void focus_first_window() override {}
    long double init_common_controls(int32_t) override { return 6.0L; }
    int32_t virtual_list(qv::VirtualList&, const std::string&, const std::vector<std::string>&,
                         const qv::WindowLook&) override {
        return 1;
    }
};

void BM_DebugLDistinctLabels(benchmark::State& state) {
    SilentUi ui;
    qv::Library lib(ui);
    lib.first_call_init("");
    lib.debugdn();  // the master watchdog would open the Flow Table window now and then
    const int labels = int(state.range(0));
    std::vector<std::string> names;
    names.reserve(size_t(labels));
    for (int i = 0; i < labels; ++i) names.push_back("label_" + std::to_string(i * 7919));
    std::string options;
    for (const auto& n : names) {
        options = "-S-W";
        lib.debugl(options, n, "message");
    }
    size_t i = 0;
    for (auto _ : state) {
        options = "-S-W";
        benchmark::DoNotOptimize(lib.debugl(options, names[i], "message"));
        if (++i == names.size()) i = 0;
    }
}
BENCHMARK(BM_DebugLDistinctLabels)->Arg(10)->Arg(1000)->Arg(100000);

}  // namespace
