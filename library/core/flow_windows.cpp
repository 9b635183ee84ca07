// Flow-table exports, the apply step, the Flow Table, Attention and Flow Access windows and
// the post-call decision with its watchdogs.
#include <utility>

#include "arrays/virtual_list.h"
#include "core/decision.h"
#include "core/library.h"
#include "core/text_forms.h"
#include "values/operator_parser.h"

namespace qv {

namespace {

// Column 9, 10 and 12 texts: "ON", "OFF" or blank set the user bits `on` (both) / `off`.
void apply_on_off(uint32_t& word, const std::string& text, uint32_t both, uint32_t off) {
    const std::string u = upper(text);
    if (u.find("ON") != std::string::npos) {
        word |= both;
    } else if (u.find("OFF") != std::string::npos) {
        word &= ~(both & ~off);
        word |= off;
    } else if (remove_blanks(text).empty()) {
        word &= ~both;
    }
}

std::string cut_last(const std::string& s, size_t n) { return s.size() <= n ? s : s.substr(s.size() - n); }

// Empty for our purposes: nothing but blanks and NULs (a never-written operator field).
bool blank_or_nul(const std::string& s) {
    for (char c : s)
        if (c != ' ' && c != '\0') return false;
    return true;
}

}  // namespace

void Library::apply_rows(StringArray& table, int32_t last_row) {
    for (int32_t i = 1; i <= last_row && i <= s_.flow.count(); ++i) {
        FlowRecord& r = s_.flow.record(i);
        r.count = round_to_i32(number_of(table.get(i, 4)));
        if (r.status == 40 || r.status == 71) {
            std::string op = table.get(i, 5);
            int code = operator_parse(op);
            table.set(i, 5, op);
            if (code >= 1 && code <= 6) {
                r.op.fill(' ');
                for (size_t k = 0; k < op.size() && k < r.op.size(); ++k) r.op[k] = op[k];
                r.row_options |= 0x1;
            } else if (upper(remove_blanks(op)) == "B") {
                r.row_options &= ~0x1u;
                r.op.fill(' ');
                r.op[0] = 'B';
            }
        }
        apply_on_off(r.attention, table.get(i, 9), 0x60, 0x40);
        apply_on_off(r.attention, table.get(i, 10), 0x3000000, 0x2000000);
        const std::string dog = remove_blanks(table.get(i, 11));
        if (!dog.empty() && upper(dog.substr(0, 1)) == "D") {
            r.attention &= ~0x4000000u;
            r.dog_countdown = -1;
        } else if (!dog.empty()) {
            long double n = number_of(table.get(i, 11));
            if (n > 0) {
                r.dog_limit = round_to_i32(n);
                r.dog_countdown = r.dog_limit;
                r.attention |= 0x4000000;
            }
        }
        apply_on_off(r.state, table.get(i, 12), 0x60, 0x40);
    }
}

int32_t Library::gettabflow(StringArray& table, int32_t& mode) {
    if (!table.dimensioned() || table.ubound(2) != 12) {
        std::string opts;
        debugl(opts, "GetTabFlow_err_subscript", "Error in subscript of GetTabFlow");
        mode = 0;
        return 0;
    }
    ++s_.master_counter;
    const std::string key = upper(tradhex(table.get(1, 2)));
    const int32_t rows = s_.flow.count();
    if (rows == 0) {
        mode = -3;
        return 0;
    }
    OwnedStringArray all(1, rows, 0, 12);
    build_rows(all);
    if (remove_blanks(key).empty()) {
        if (table.ubound(1) < rows) {
            mode = -2;
            return -rows;
        }
        for (int32_t i = 1; i <= rows; ++i)
            for (int32_t c = 1; c <= 12; ++c) table.set(i, c, all.get(i, c));
        if (mode == 2) {
            // Latest sequence number first: bubble passes over neighbouring rows.
            for (bool swapped = true; swapped;) {
                swapped = false;
                for (int32_t i = 1; i < rows; ++i) {
                    if (table.get(i, 1) < table.get(i + 1, 1)) {
                        for (int32_t c = 1; c <= 12; ++c) {
                            std::string a = table.get(i, c), b = table.get(i + 1, c);
                            table.set(i, c, b);
                            table.set(i + 1, c, a);
                        }
                        swapped = true;
                    }
                }
            }
        }
        mode = -5;
        return rows;
    }
    for (int32_t i = 1; i <= rows; ++i) {
        if (upper(s_.flow.label(i)) == key) {
            for (int32_t c = 1; c <= 12; ++c) table.set(1, c, all.get(i, c));
            mode = -4;
            return i;
        }
    }
    mode = -1;
    return 0;
}

int32_t Library::settabflow(StringArray& table) {
    startup_check();
    std::string opts;
    if (!table.dimensioned() || table.ubound(2) != 12) {
        debugl(opts, "SetTabFlow_err_subscript", "Error in subscript of SetTabFlow");
        return 0;
    }
    const std::string label = table.get(1, 2);
    if (remove_blanks(label).empty()) {
        debugl(opts, "SetTabFlow_err_label", " Must be: Label different of  ( NULL   or   only Space )");
        return 0;
    }
    ++s_.master_counter;
    const int32_t rows = s_.flow.count();
    OwnedStringArray fresh(1, rows + 1, 0, 12);
    build_rows(fresh);
    register_call(opts, label);
    const int32_t cur = s_.current;
    for (int32_t c : {4, 5, 9, 10, 11, 12}) {
        std::string text = table.get(1, c);
        // A column counts as given when it holds more than blanks; an operator cell of NUL
        // bytes is the never-written operator field that GETTABFLOW handed out.
        if (c == 5 ? blank_or_nul(text) : remove_blanks(text).empty()) continue;
        if (c == 4 || c == 11) text = cut_last("        " + text, 9);
        fresh.set(cur, c, text);
        if (c == 5) s_.flow.record(cur).status = 40;
    }
    apply_rows(fresh, cur);
    return cur;
}

int32_t Library::pulluptabflow() {
    flow_table_window("PullUpTabFlow");
    return 0;
}

void Library::flow_table_window(const std::string& tag) {
    const int32_t rows = s_.flow.count();
    OwnedStringArray table(1, rows, 0, 12);
    build_rows(table);

    static const int kPad[13] = {3, 7, 46, 2, 9, 8, 16, 10, 8, 12, 10, 10, 9};
    OwnedStringArray heads(0, 12), helps(0, 12);
    for (int c = 0; c < 13; ++c) heads.set(c, 0, std::string(kFlowHeaders[size_t(c)]) + std::string(size_t(kPad[c]), ' '));
    const std::string valid_on_off = "\r\nValid:\r\n ON   OFF   blank";
    helps.set(4, 0, "Counter\r\nValid:\r\n numeric 0   to   9");
    helps.set(5, 0, "Compare from TabFlow\r\nValid:\r\n  >     <     =    \r\n\r\nCompare from DebugC\r\nValid:\r\nB");
    helps.set(9, 0, "Put WinMsg" + valid_on_off);
    helps.set(10, 0, "Put WinAtt/Ins" + valid_on_off);
    helps.set(11, 0, "Specif.WatchDog\r\nNew max: x>0\r\nDisable: D");
    helps.set(12, 0, "Put File Load" + valid_on_off);

    const std::string title = "Table Flow(" + tag + ")     Master[Counter=" + str_form(s_.master_counter) +
                              " : WatchDog=" + str_form(s_.dog_countdown) + "]";
    std::string layout = "-1:+0,s,s,,,s", edit = ",,,,m,m,,,,m,m,m,m";
    debug_virtlist_ctrl(title, table, heads, helps, layout, edit);

    // The list may leave its rows in another order than the flow table's: put every row back
    // at its label's index before applying, so no row's settings land on another label.
    OwnedStringArray ordered(1, rows, 0, 12);
    for (int32_t i = 1; i <= rows; ++i) {
        int32_t target = s_.flow.find(table.get(i, 2));
        if (target < 1 || target > rows) target = i;
        for (int32_t c = 0; c <= 12; ++c) ordered.set(target, c, table.get(i, c));
    }
    apply_rows(ordered, rows);
    s_.dog_countdown = s_.dog_limit;
}

int32_t Library::debug_virtlist_ctrl(const std::string& caption, StringArray& data, const StringArray& heads,
                                     const StringArray& helps, std::string& sort_spec, std::string& change_spec) {
    startup_check();
    WindowLook look{s_.vl_left, s_.vl_top, s_.vl_width, s_.vl_height, s_.font_name, s_.font_size & 0xFF};
    ListTracker tracker(*this);
    return qv::debug_virtlist_ctrl(tracker, s_.vl_direction, look, caption, data, heads, helps, sort_spec, change_spec);
}

int32_t Library::debug_virtlist_sort(int32_t column) {
    startup_check();
    if (active_list_ && column >= 0 && column < active_list_->column_count()) active_list_->sort(column);
    return 0;
}

int32_t Library::windo_virtlist_ctrl(const std::string& caption, const StringArray& heads, int32_t last_col) {
    // Shows the list that is open, or an empty one, with the caller's headers.
    std::vector<std::string> headers;
    for (int32_t c = 0; c <= last_col && c <= heads.ubound(1); ++c) headers.push_back(heads.get(c).substr(0, 69));
    WindowLook look{s_.vl_left, s_.vl_top, s_.vl_width, s_.vl_height, s_.font_name, s_.font_size & 0xFF};
    VirtualList empty(s_.vl_direction);
    VirtualList& model = active_list_ ? *active_list_ : empty;
    int32_t r = ui_.virtual_list(model, caption + std::string(20, ' ') + "Esc=End", headers, look);
    if (r == 0) ui_.message_box("Error to create Dialog", "Function DebugVirtListCtrl");
    return r;
}

int32_t Library::ListTracker::virtual_list(VirtualList& model, const std::string& caption,
                                           const std::vector<std::string>& headers, const WindowLook& look) {
    VirtualList* before = lib_.active_list_;
    lib_.active_list_ = &model;
    int32_t r = lib_.ui_.virtual_list(model, caption, headers, look);
    lib_.active_list_ = before;
    return r;
}

// ---- Attention and Flow Access windows --------------------------------------------------

int32_t Library::windo_attention(const std::string& text, const std::string& title) {
    // The window sets the handle while it is open; -1 left in place means it never opened.
    s_.attention_handle = -1;
    int32_t r = ui_.attention(text, title, dialog_look(), s_.attention_handle);
    if (s_.attention_handle == -1) {
        s_.attention_handle = 0;
        see_message_box("Error to open WinAttention", "");
        return 0;
    }
    return r;
}

int32_t Library::windo_flow_access() {
    if (s_.flow_access_handle != 0) return 0;
    WindowLook look = dialog_look();
    int32_t h = ui_.open_flow_access(look);
    if (h == 0) {
        see_message_box("Error to open WindoFlowAccess", "");
        return 0;
    }
    s_.flow_access_handle = h;
    return 0;
}

void Library::on_attention_flow_table() {
    if (attention_guard_) return;
    attention_guard_ = true;
    flow_table_window("Attention");
    attention_guard_ = false;
}

void Library::on_flow_access_table() { s_.flow_table_request = 1; }

void Library::on_flow_access_master_dog() {
    const std::string prompt =
        "Now:" + str_form(s_.dog_limit) + "\r\nD:disable\r\nx>0: new Master Watch Dog";
    std::string answer = remove_blanks(ui_.input_box("Master Watch Dog", prompt, str_form(s_.dog_limit)));
    long double n = number_of(answer);
    if ((!answer.empty() && (answer[0] == 'D' || answer[0] == 'd')) || n < 0) {
        s_.dog_limit = -1;
        s_.dog_disabled = 1;
    } else if (n > 0) {
        s_.dog_limit = round_to_i32(n);
    }
}

void Library::on_flow_access_destroyed() { s_.flow_access_handle = 0; }

// ---- post-call decision -----------------------------------------------------------------

bool Library::attention_stop(uint32_t a) {
    // User setting, argument error, option, the export's request, then the wait switch.
    return first_rule(a,
                      {{0x3000000, true, true}, {0x2000000, false, false}, {0x800000, false, true},
                       {0xC0000, true, true}, {0x80000, false, false}, {0x20000, false, true},
                       {0x10000, false, true}},
                      false);
}

int32_t Library::post_call(const std::string& text, const std::string& title) {
    int32_t result = 0;
    const int32_t row = s_.current;
    if (s_.flow_access_state == 1) {
        windo_flow_access();
        s_.flow_access_state = 2;
    }
    if (s_.flow_table_request) {
        // Cleared first, so that a click during the window asks for the next call.
        s_.flow_table_request = 0;
        flow_table_window("FlowAccess");
    }
    if (attention_stop(s_.flow.record(row).attention)) {
        result = windo_attention(text, title);
        s_.dog_countdown = s_.dog_limit;
    } else {
        --s_.dog_countdown;
        --s_.flow.record(row).dog_countdown;
    }
    FlowRecord& r = s_.flow.record(row);
    if (r.dog_countdown == 0 && (r.attention & 0x4000000)) {
        flow_table_window("Specific WatchDog");
        s_.flow.record(row).dog_countdown = s_.flow.record(row).dog_limit;
    }
    if (s_.dog_countdown == 0) {
        if (!s_.dog_disabled) flow_table_window("Master WatchDog");
        s_.dog_countdown = s_.dog_limit;
    }
    return result;
}

}  // namespace qv
