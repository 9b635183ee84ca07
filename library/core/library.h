// The whole library state and the behaviour of its exports, independent of Windows.
// The DLL holds one instance; every test can make a fresh one.
#pragma once
#include <array>
#include <deque>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "arrays/string_array.h"
#include "core/ui.h"
#include "core/variant.h"

namespace qv {

struct FlowRecord {
    int32_t sequence = 0;
    int32_t count = 0;
    int32_t dog_countdown = 0;
    int32_t dog_limit = 0;
    uint32_t state = 0;
    int32_t status = 0;
    uint32_t attention = 0;
    std::array<char, 8> op{};  // zero bytes until first written
    uint32_t row_options = 0;
};

// Labels and flow records with rows 0..count; row 0 belongs to the direct output calls.
// Lookup is by an index beside the ordered rows; registration order and first-match
// semantics are kept because labels are unique.
class FlowTable {
public:
    FlowTable();
    int32_t count() const { return int32_t(labels_.size()) - 1; }
    int32_t capacity() const { return capacity_; }
    const std::string& label(int32_t i) const { return labels_[size_t(i)]; }
    FlowRecord& record(int32_t i) { return records_[size_t(i)]; }
    const FlowRecord& record(int32_t i) const { return records_[size_t(i)]; }
    // Row of the label (case-sensitive), 0 when none.
    int32_t find(const std::string& key) const;
    // Append a new row and return its index.
    int32_t append(const std::string& key);

private:
    // Deques: a reference to a row stays valid while a window's loop lets the client register
    // new labels.
    std::deque<std::string> labels_;
    std::deque<FlowRecord> records_;
    std::unordered_map<std::string, int32_t> index_;
    int32_t capacity_ = 10;
};

// Column headers of the flow-table text rows.
extern const std::array<const char*, 13> kFlowHeaders;

struct LibraryState {
    int32_t initialised = 0;
    std::string font_name = "MS Sans Serif";
    int32_t font_size = 8;
    int32_t window_switch = 1, file_switch = 0, wait_switch = 0, insert_switch = 1;

    int32_t winmsg_handle = 0, winmsg_created = 0;
    std::string winmsg_text;
    int32_t winmsg_left = 20, winmsg_top = 20, winmsg_width = 530, winmsg_height = 450;
    uint32_t winmsg_fore = 255, winmsg_back = 0;
    int32_t line_width = 106;
    int32_t winmsg_line_limit = 0;

    int32_t attention_handle = 0, insert_handle = 0;
    int32_t att_left = 300, att_top = 230;
    int32_t flow_access_handle = 0;
    int32_t flow_table_request = 0;
    int32_t flow_access_state = 1;

    int32_t vl_left = 75, vl_top = 160, vl_width = 590, vl_height = 230;
    int32_t vl_direction = 0;  // sort direction switch

    int32_t master_counter = 0;
    int32_t dog_limit = 50, dog_countdown = 50, dog_disabled = 0;

    // Log-file stack (index 0 unused) and started-file list; one shared capacity.
    int32_t file_capacity = 10;
    std::vector<std::string> file_stack;  // entries 1..top
    std::vector<std::string> started_names;  // entries 1..count
    std::vector<int32_t> started_flags;

    FlowTable flow;
    int32_t current = 0;
};

class Library : public UiEvents {
public:
    explicit Library(Ui& ui);

    LibraryState& state() { return s_; }
    const LibraryState& state() const { return s_; }
    Ui& ui() { return ui_; }

    // Start-up.
    void first_call_init(const std::string& config_path = "Quorvale.Cfg");
    void startup_check();
    void apply_config_text(const std::string& text);

    // Registration and the row builder.
    void register_call(std::string& options, const std::string& label);
    void build_rows(StringArray& table) const;
    std::string status_text(int32_t code) const;

    // Output.
    int32_t output(const std::vector<std::string>& lines);
    int32_t write_file(const std::vector<std::string>& lines);
    int32_t window_message(const std::string& text);  // WINDOMESSAGE
    void see_message_box(const std::string& text, const std::string& title);

    // Exports.
    int32_t debugl(std::string& options, const std::string& label, const std::string& message);
    int32_t putwinmsg(const std::vector<std::string>& lines);
    int32_t putfilelog(const std::vector<std::string>& lines);
    int32_t debugsy(), debugsn(), debugwy(), debugwn(), debugfy(), debugfn(), debugey(), debugen();
    int32_t debugdn();
    int32_t debugdy(const VariantValue& value);
    std::string debugfb(const std::string& name);
    std::string debugft();
    int32_t flowaccessy(), flowaccessn();
    int32_t getmastercounter() const { return s_.master_counter; }
    int32_t getmasterdog() const { return s_.dog_countdown; }
    int32_t gettotflow() const { return s_.flow.count(); }

    // Flow table exports and windows.
    int32_t gettabflow(StringArray& table, int32_t& mode);
    int32_t settabflow(StringArray& table);
    int32_t pulluptabflow();
    void apply_rows(StringArray& table, int32_t last_row);
    void flow_table_window(const std::string& tag);
    int32_t windo_attention(const std::string& text, const std::string& title);
    int32_t windo_flow_access();
    int32_t post_call(const std::string& text, const std::string& title);

    // Virtual list (the one currently open, if any, is what DEBUGVIRTLISTSORT sorts).
    int32_t debug_virtlist_sort(int32_t column);
    int32_t windo_virtlist_ctrl(const std::string& caption, const StringArray& heads, int32_t last_col);
    int32_t debug_virtlist_ctrl(const std::string& caption, StringArray& data, const StringArray& heads,
                                const StringArray& helps, std::string& sort_spec, std::string& change_spec);
    WindowLook dialog_look() const;

    // UiEvents.
    void on_attention_flow_table() override;
    void on_flow_access_table() override;
    void on_flow_access_master_dog() override;
    void on_flow_access_destroyed() override;

private:
    // Passes every request on to the real port, and remembers the virtual list that is open.
    class ListTracker final : public Ui {
    public:
        explicit ListTracker(Library& lib) : lib_(lib) {}
        int32_t show_window_message(const WindowMessageUpdate& u) override { return lib_.ui_.show_window_message(u); }
        void message_box(const std::string& t, const std::string& c) override { lib_.ui_.message_box(t, c); }
        int32_t attention(const std::string& t, const std::string& c, const WindowLook& l, int32_t& h) override {
            return lib_.ui_.attention(t, c, l, h);
        }
        int32_t open_flow_access(const WindowLook& l) override { return lib_.ui_.open_flow_access(l); }
        void destroy_flow_access(int32_t h) override { lib_.ui_.destroy_flow_access(h); }
        std::string input_box(const std::string& t, const std::string& p, const std::string& d) override {
            return lib_.ui_.input_box(t, p, d);
        }
        void focus_first_window() override { lib_.ui_.focus_first_window(); }
        long double init_common_controls(int32_t f) override { return lib_.ui_.init_common_controls(f); }
        int32_t virtual_list(VirtualList& model, const std::string& caption, const std::vector<std::string>& headers,
                             const WindowLook& look) override;

    private:
        Library& lib_;
    };

    static bool attention_stop(uint32_t attention);
    void count_switch_export();
    int32_t direct_output(const std::vector<std::string>& lines, uint32_t attention, uint32_t state);
    int32_t set_switch(int32_t& sw, int32_t value);
    std::vector<std::string> wrap_line(const std::string& text) const;
    void grow_file_capacity();
    LibraryState s_;
    Ui& ui_;
    // What the Window Message control shows, so that only the change is handed over.
    int32_t show_winmsg(bool incremental, size_t dropped);
    int32_t send_winmsg(const std::string& text, bool incremental, size_t dropped, size_t appended);
    bool winmsg_in_sync_ = false;
    size_t winmsg_kept_ = 0;        // length of the text the control was last given
    size_t winmsg_line_ends_ = 0;   // CR LF pairs in the Window Message text
    bool attention_guard_ = false;
    VirtualList* active_list_ = nullptr;
};

}  // namespace qv
