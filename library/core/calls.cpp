// DEBUGL, the direct output exports and the switch, watchdog, log-file and counter exports.
#include "core/library.h"
#include "core/text_forms.h"

namespace qv {

int32_t Library::debugl(std::string& options, const std::string& label, const std::string& message) {
    startup_check();
    int32_t result = 0;
    std::string att_text, att_title;
    if (remove_blanks(label).empty()) {
        const std::string err_label = "DebugL_err_label";
        register_call(options, err_label);
        FlowRecord& r = s_.flow.record(s_.current);
        r.attention |= 0x800010;
        r.state |= 0x10;
        std::string line = err_label + ":[error] : [" + str_form(r.count) + " /" + str_form(s_.master_counter) +
                           " ] :" + " : Must be: Label different of  ( NULL   or   only Space )";
        output({line});
        att_text = "Label: " + err_label;
        att_title = "DebugL(Label) Attention error";
        s_.flow.record(s_.current).status = 56;
    } else {
        register_call(options, label);
        FlowRecord& r = s_.flow.record(s_.current);
        r.attention |= 0x20002;
        result = r.count;
        std::string text = label + ":[Message] : [" + str_form(r.count) + " /" + str_form(s_.master_counter) +
                           " ] : " + message;
        output(wrap_line(text));
        att_text = "Label: " + label;
        att_title = "DebugL Attention wait";
        s_.flow.record(s_.current).status = 26;
    }
    post_call(att_text, att_title);
    return result;
}

std::vector<std::string> Library::wrap_line(const std::string& text) const {
    // Lines longer than the line width go on in continuation lines indented by 12 blanks.
    // Cut by offset: copying the rest for every piece grew with the square of the length.
    const size_t w = size_t(s_.line_width);
    const std::string indent(12, ' ');
    std::vector<std::string> lines;
    if (w <= 14 || text.size() <= w) {
        lines.push_back(text + "\r\n");
        return lines;
    }
    lines.push_back(text.substr(0, w - 2) + "\r\n");
    size_t pos = w - 2;
    while (indent.size() + (text.size() - pos) > w) {
        lines.push_back(indent + text.substr(pos, w - 14) + "\r\n");
        pos += w - 14;
    }
    lines.push_back(indent + text.substr(pos) + "\r\n");
    return lines;
}

int32_t Library::direct_output(const std::vector<std::string>& lines, uint32_t attention, uint32_t state) {
    startup_check();
    ++s_.master_counter;
    const int32_t saved = s_.current;
    s_.current = 0;
    s_.flow.record(0).attention = attention;
    s_.flow.record(0).state = state;
    output(lines);
    s_.current = saved;
    return s_.winmsg_handle;
}

int32_t Library::putwinmsg(const std::vector<std::string>& lines) {
    return direct_output(lines, s_.window_switch ? 1 : 0, 0);
}

int32_t Library::putfilelog(const std::vector<std::string>& lines) {
    direct_output(lines, 0, s_.file_switch ? 1 : 0);
    return 0;
}

void Library::count_switch_export() {
    ++s_.master_counter;
    --s_.dog_countdown;
}

int32_t Library::set_switch(int32_t& sw, int32_t value) {
    startup_check();
    sw = value;
    count_switch_export();
    return s_.master_counter;
}

int32_t Library::debugsy() { return set_switch(s_.window_switch, 1); }
int32_t Library::debugsn() { return set_switch(s_.window_switch, 0); }
int32_t Library::debugwy() { return set_switch(s_.wait_switch, 1); }
int32_t Library::debugwn() { return set_switch(s_.wait_switch, 0); }
int32_t Library::debugfy() { return set_switch(s_.file_switch, 1); }
int32_t Library::debugfn() { return set_switch(s_.file_switch, 0); }
int32_t Library::debugey() { return set_switch(s_.insert_switch, 1), 0; }
int32_t Library::debugen() { return set_switch(s_.insert_switch, 0), 0; }

int32_t Library::debugdn() {
    startup_check();
    s_.dog_disabled = 1;
    return s_.dog_countdown;
}

int32_t Library::debugdy(const VariantValue& value) {
    startup_check();
    int32_t result = 0;
    if (value.empty()) {
        s_.dog_countdown = s_.dog_limit;
    } else {
        result = s_.dog_limit;
        s_.dog_limit = round_to_i32(variant_number(value));
        s_.dog_countdown = s_.dog_limit;
    }
    s_.dog_disabled = 0;
    return result;
}

void Library::grow_file_capacity() {
    // The stack and the started-file list share one capacity; the vectors grow as needed.
    s_.file_capacity += 10;
}

std::string Library::debugfb(const std::string& name) {
    startup_check();
    count_switch_export();
    if (!remove_blanks(name).empty() && name != s_.file_stack.back()) {
        if (int32_t(s_.file_stack.size()) - 1 == s_.file_capacity) grow_file_capacity();
        s_.file_stack.push_back(name);
        bool known = false;
        for (size_t i = 1; i < s_.started_names.size(); ++i)
            if (s_.started_names[i] == name) known = true;
        if (!known) {
            if (int32_t(s_.started_names.size()) - 1 == s_.file_capacity) grow_file_capacity();
            s_.started_names.push_back(name);
            s_.started_flags.push_back(0);
        }
    }
    return s_.file_stack.back();
}

std::string Library::debugft() {
    startup_check();
    count_switch_export();
    if (s_.file_stack.size() > 2) s_.file_stack.pop_back();
    return s_.file_stack.back();
}

int32_t Library::flowaccessy() {
    startup_check();
    if (s_.flow_access_state == 0) s_.flow_access_state = 1;
    return s_.flow_access_state == 2 ? s_.flow_access_handle : 0;
}

int32_t Library::flowaccessn() {
    startup_check();
    if (s_.flow_access_handle != 0) {
        int32_t old = s_.flow_access_handle;
        ui_.destroy_flow_access(old);
        s_.flow_access_handle = 0;
        s_.flow_access_state = 0;
        return old;
    }
    if (s_.flow_access_state == 1) s_.flow_access_state = 0;
    return 0;
}

}  // namespace qv
