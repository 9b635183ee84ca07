// Library state, start-up, configuration, registration and the row builder.
#include "core/library.h"

#include <cstdio>
#include <cstring>

#include "core/text_forms.h"

namespace qv {

namespace {
const char* const kFirstLogName = "Quorvale_Log.Txt";
}

const std::array<const char*, 13> kFlowHeaders = {
    "^Progression", "^Sequence", "Label", "Fnct(Funct)", "<^Counter", "<Compare",
    "Debug[EY/EN:FY/FN:SY/SN:WY/WN]", "+-(S,W,F)", "Error", "<Put Msg", "<Put Att/Ins", "<WatchDog", "<Put File"};

// ---- flow table -------------------------------------------------------------------------

FlowTable::FlowTable() : labels_(1), records_(1) {}

int32_t FlowTable::find(const std::string& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? 0 : it->second;
}

int32_t FlowTable::append(const std::string& key) {
    labels_.push_back(key);
    records_.emplace_back();
    int32_t row = count();
    index_.emplace(key, row);
    if (row == capacity_) capacity_ += 10;
    return row;
}

// ---- state and configuration ------------------------------------------------------------

Library::Library(Ui& ui) : ui_(ui) {
    s_.file_stack.assign(2, std::string());
    s_.started_names.assign(2, std::string());
    s_.started_flags.assign(2, 0);
}

void Library::first_call_init(const std::string& config_path) {
    s_ = LibraryState{};
    s_.initialised = 1;
    s_.file_capacity = 10;
    s_.file_stack = {std::string(), kFirstLogName};
    s_.started_names = {std::string(), kFirstLogName};
    s_.started_flags = {0, 0};
    winmsg_in_sync_ = false;
    winmsg_kept_ = 0;
    winmsg_line_ends_ = 0;

    std::FILE* f = std::fopen(config_path.c_str(), "rb");
    if (!f) return;
    std::string text;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    if (!text.empty()) apply_config_text(text);
}

void Library::startup_check() {
    if (!s_.initialised) first_call_init();
}

void Library::apply_config_text(const std::string& text) {
    struct NumKey {
        const char* name;
        int32_t* target;
    };
    // Keys are tested in this order on every line.
    const NumKey before_dog[] = {
        {"XLEFTUPWINMSG", &s_.winmsg_left},       {"YLEFTUPWINMSG", &s_.winmsg_top},
        {"WIDTHWINMSG", &s_.winmsg_width},        {"HIGHWINMSG", &s_.winmsg_height},
        {"FOREGROUNDWINMSG", nullptr},            {"BACKGROUNDWINMSG", nullptr},
        {"XLEFTUPWINATT", &s_.att_left},          {"YLEFTUPWINATT", &s_.att_top},
        {"XLEFTUPWINVIRTLIST", &s_.vl_left},      {"YLEFTUPWINVIRTLIST", &s_.vl_top},
        {"WIDTHWINVIRTLIST", &s_.vl_width},       {"HIGTHWINVIRTLIST", &s_.vl_height},
    };
    // The file is read as at most L lines, L being its length in bytes; every line end
    // (CR LF, LF or a lone CR) ends a line.
    size_t max_lines = text.size();
    size_t pos = 0, lines = 0;
    while (pos < text.size() && lines < max_lines) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size()) {
            if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') pos += 2;
            else pos += 1;
        }
        ++lines;

        auto quote = line.find('\'');
        if (quote != std::string::npos) line.erase(quote);
        line = upper(line);
        auto comma = line.find(',');
        std::string value = comma == std::string::npos ? line : line.substr(comma + 1);
        auto has = [&](const char* key) { return line.find(key) != std::string::npos; };
        auto number = [&] { return round_to_i32(number_of(value)); };

        for (const auto& k : before_dog) {
            if (!has(k.name)) continue;
            if (k.target) *k.target = number();
            else if (std::strcmp(k.name, "FOREGROUNDWINMSG") == 0) s_.winmsg_fore = uint32_t(number());
            else s_.winmsg_back = uint32_t(number());
        }
        if (has("WATCHDOG")) {
            int32_t v = number();
            if (v > 0) {
                s_.dog_limit = v;
                s_.dog_countdown = v;
            } else {
                s_.dog_disabled = 1;
            }
        }
        if (has("FIRSTFILE")) {
            s_.file_stack[size_t(s_.file_stack.size() - 1)] = value;
            s_.started_names[1] = value;
        }
        if (has("FONTNAME")) s_.font_name = value;
        if (has("FONTSIZE")) s_.font_size = number();
    }
}

WindowLook Library::dialog_look() const {
    WindowLook look;
    look.left = s_.att_left;
    look.top = s_.att_top;
    look.font_name = s_.font_name;
    look.font_size = s_.font_size & 0xFF;
    return look;
}

// ---- registration -----------------------------------------------------------------------

void Library::register_call(std::string& options, const std::string& label) {
    std::string key = tradhex(label);
    s_.current = 0;
    int32_t row = s_.flow.count() == 0 ? 0 : s_.flow.find(key);
    if (row) {
        s_.current = row;
        ++s_.flow.record(row).count;
    } else {
        row = s_.flow.append(key);
        s_.current = row;
        s_.flow.record(row).count = 1;
    }

    options = remove_blanks(upper(options));
    FlowRecord& r = s_.flow.record(row);
    auto has = [&](const char* opt) { return options.find(opt) != std::string::npos; };
    auto override_bits = [&](uint32_t& word, const char* plus, const char* minus, uint32_t on, uint32_t off) {
        if (has(plus)) {
            word |= on;
        } else if (has(minus)) {
            word |= off;
            word &= ~(on & ~off);
        } else {
            word &= ~on;
        }
    };
    override_bits(r.attention, "+S", "-S", 0xC, 0x8);
    override_bits(r.attention, "+W", "-W", 0xC0000, 0x80000);
    override_bits(r.attention, "+I", "-I", 0x600000, 0x400000);
    override_bits(r.state, "+F", "-F", 0xC, 0x8);

    auto follow = [](uint32_t& word, uint32_t bit, int32_t sw) {
        if (sw) word |= bit;
        else word &= ~bit;
    };
    follow(r.attention, 0x1, s_.window_switch);
    follow(r.state, 0x1, s_.file_switch);
    follow(r.attention, 0x10000, s_.wait_switch);
    follow(r.attention, 0x100000, s_.insert_switch);

    ++s_.master_counter;
    r.sequence = s_.master_counter;
}

std::string Library::status_text(int32_t code) const {
    static const char* const kNames[] = {"AB", "AD", "AE", "AI", "AL", "AN", "AQ", "AC", "AS", "AU", "AW", "AX", "M", "T",
                                         "V",  "L",  "IB", "ID", "IE", "II", "IL", "IN", "IQ", "IC", "IS", "IU", "IW",
                                         "IX", "CK", "C"};
    if (code >= 11 && code <= 40) return kNames[code - 11];
    if (code >= 41 && code <= 70) return std::string(kNames[code - 41]) + "(err)";
    if (code == 71) return "C(cmp.)";
    return {};
}

void Library::build_rows(StringArray& table) const {
    auto on_off = [](uint32_t word, uint32_t both, uint32_t off) -> std::string {
        if ((word & both) == both) return "ON";
        if (word & off) return "OFF";
        return {};
    };
    for (int32_t i = 1; i <= s_.flow.count(); ++i) {
        const FlowRecord& r = s_.flow.record(i);
        const uint32_t a = r.attention, st = r.state;
        table.set(i, 0, str_right(i, 4));
        table.set(i, 1, str_right(r.sequence, 9));
        table.set(i, 2, s_.flow.label(i));
        table.set(i, 3, status_text(r.status));
        table.set(i, 4, str_right(r.count, 4));
        table.set(i, 5, std::string(r.op.data(), r.op.size()));
        std::string sw = (a & 0x100000) ? "EY" : "EN";
        sw += "  ";
        sw += (st & 0x1) ? ":FY" : ":FN";
        sw += "  ";
        sw += (a & 0x1) ? ":SY" : ":SN";
        sw += (a & 0x2) ? ">Yes  " : "            ";
        sw += (a & 0x10000) ? ":WY" : ":WN";
        if (a & 0x20000) sw += ">Yes";
        table.set(i, 6, sw);
        std::string ov;
        if ((a & 0xC) == 0xC) ov += "+S ";
        else if (a & 0x8) ov += "-S ";
        if ((a & 0xC0000) == 0xC0000) ov += "+W ";
        else if (a & 0x80000) ov += "-W ";
        if ((a & 0x600000) == 0x600000) ov += "+I ";
        else if (a & 0x400000) ov += "-I";
        if ((st & 0xC) == 0xC) ov += "+F";
        else if (st & 0x8) ov += "-F";
        table.set(i, 7, ov);
        table.set(i, 8, (a & 0x10) ? "Yes" : "");
        table.set(i, 9, on_off(a, 0x60, 0x40));
        table.set(i, 10, on_off(a, 0x3000000, 0x2000000));
        table.set(i, 11, (a & 0x4000000) ? str_form(r.dog_countdown) : "Disabled");
        table.set(i, 12, on_off(st, 0x60, 0x40));
    }
}

}  // namespace qv
