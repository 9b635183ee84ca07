// The output routine: the Window Message text with its limits, and the log-file writer.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/decision.h"
#include "core/library.h"
#include "core/text_forms.h"

namespace qv {

namespace {

constexpr size_t kMaxChars = 120000;
constexpr size_t kMaxLineEnds = 990;

size_t count_line_ends(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i + 1 < s.size(); ++i)
        if (s[i] == '\r' && s[i + 1] == '\n') ++n, ++i;
    return n;
}

// User setting, error, option, the export's own bit, then the switch.
bool window_wanted(uint32_t a) {
    return first_rule(a,
                      {{0x60, true, true}, {0x40, false, false}, {0x10, false, true}, {0xC, true, true},
                       {0x8, false, false}, {0x2, false, true}, {0x1, false, true}},
                      false);
}

bool file_wanted(uint32_t st) {
    return first_rule(st,
                      {{0x60, true, true}, {0x40, false, false}, {0x10, false, true}, {0xC, true, true},
                       {0x8, false, false}, {0x1, false, true}},
                      false);
}

}  // namespace

// The Window Message text keeps at most kMaxChars characters and kMaxLineEnds line ends.
// Besides the text, we track how it changed since the control last showed it (characters
// dropped from the head of the shown text, characters appended), so that the shell can hand
// the control only the change.
class WinMsgText {
public:
    WinMsgText(std::string& text, size_t& line_ends, size_t& kept_shown)
        : text_(text), ends_(line_ends), kept_(kept_shown) {}

    void append(std::string_view s) {
        // A CR at the end of the text and an LF at the head of s make one more pair.
        std::string_view joint_head = text_.empty() ? std::string_view() : std::string_view(text_).substr(text_.size() - 1);
        std::string joint = std::string(joint_head) + std::string(s);
        ends_ += count_line_ends(joint);
        text_.append(s);
    }
    void drop_head(size_t k) {
        if (k == 0) return;
        k = std::min(k, text_.size());
        ends_ -= count_line_ends(std::string_view(text_).substr(0, std::min(k + 1, text_.size())));
        // A pair that straddled the cut was counted above but its LF stays: it is no pair now.
        text_.erase(0, k);
        if (k <= kept_) kept_ -= k;
        else kept_ = 0, lost_shown_ = true;
    }
    bool lost_shown() const { return lost_shown_; }

private:
    std::string& text_;
    size_t& ends_;
    size_t& kept_;  // characters of the shown text that are still at the head of the text
    bool lost_shown_ = false;
};

int32_t Library::output(const std::vector<std::string>& lines) {
    const FlowRecord& rec = s_.flow.record(s_.current);
    int32_t result = 0;
    if (window_wanted(rec.attention)) {
        s_.winmsg_line_limit = int32_t(kMaxLineEnds);
        size_t kept_before = winmsg_kept_;
        WinMsgText t(s_.winmsg_text, winmsg_line_ends_, winmsg_kept_);
        auto append_limited = [&](std::string_view piece) {
            t.append(piece);
            if (s_.winmsg_text.size() > kMaxChars) {
                t.drop_head(s_.winmsg_text.size() - kMaxChars);
                // Start at a line boundary when one is near the head.
                auto p = s_.winmsg_text.find("\r\n");
                if (p != std::string::npos && p + 1 <= 11999) t.drop_head(p + 2);
            }
        };
        for (const auto& line : lines) append_limited(line);
        // The batch's closing line end obeys the same limit, so the text never exceeds it.
        append_limited("\r\n");
        while (winmsg_line_ends_ > kMaxLineEnds) {
            auto p = s_.winmsg_text.find("\r\n");
            if (p == std::string::npos) break;
            t.drop_head(p + 2);
        }
        bool incremental = winmsg_in_sync_ && !t.lost_shown();
        result = show_winmsg(incremental, kept_before - winmsg_kept_);
    }
    write_file(lines);
    return result;
}

int32_t Library::show_winmsg(bool incremental, size_t dropped) {
    const size_t kept = winmsg_kept_;
    int32_t h = send_winmsg(s_.winmsg_text, incremental, dropped, s_.winmsg_text.size() - kept);
    winmsg_in_sync_ = h != 0;
    winmsg_kept_ = s_.winmsg_text.size();
    return s_.winmsg_handle;
}

int32_t Library::window_message(const std::string& text) {
    // A foreign text: the control no longer shows the library's own text.
    send_winmsg(text, false, 0, text.size());
    winmsg_in_sync_ = false;
    return s_.winmsg_handle;
}

int32_t Library::send_winmsg(const std::string& text, bool incremental, size_t dropped, size_t appended) {
    WindowMessageUpdate u(text);
    u.whole = !incremental;
    u.dropped = incremental ? dropped : 0;
    u.appended = incremental ? appended : text.size();
    u.line_limit = s_.winmsg_line_limit;
    u.fore = s_.winmsg_fore;
    u.back = s_.winmsg_back;
    u.look = WindowLook{s_.winmsg_left, s_.winmsg_top, s_.winmsg_width, s_.winmsg_height, s_.font_name,
                        s_.font_size & 0xFF};
    s_.winmsg_created = 1;
    int32_t h = ui_.show_window_message(u);
    if (h) s_.winmsg_handle = h;
    return h;
}

void Library::see_message_box(const std::string& text, const std::string& title) {
    ui_.message_box(text, title.empty() ? std::string("PowerBASIC") : title);
}

int32_t Library::write_file(const std::vector<std::string>& lines) {
    if (!file_wanted(s_.flow.record(s_.current).state)) return 0;
    const std::string name = s_.file_stack.back();
    const std::string key = upper(name);
    size_t entry = 0;
    for (size_t i = 1; i < s_.started_names.size(); ++i)
        if (upper(s_.started_names[i]) == key) {
            entry = i;
            break;
        }
    if (entry == 0) {
        // Every name on the stack is in the list; keep it that way should it ever miss.
        if (s_.started_names.size() - 1 == size_t(s_.file_capacity)) grow_file_capacity();
        s_.started_names.push_back(name);
        s_.started_flags.push_back(0);
        entry = s_.started_names.size() - 1;
    }

    auto report = [&](const char* what) {
        see_message_box("Error on write file:" + name + "\r\nType error:" + what + " (" +
                            std::to_string(errno) + ") " + std::strerror(errno),
                        "Error_Write_file");
        return 0;
    };

    std::FILE* f = nullptr;
    if (!s_.started_flags[entry]) {
        errno = 0;
        f = std::fopen(name.c_str(), "wb");
        if (!f) return report("create");
        s_.started_flags[entry] = 1;
        std::string header = "Master Counter: " + str_form(s_.master_counter) + " \r\n";
        if (std::fwrite(header.data(), 1, header.size(), f) != header.size()) {
            std::fclose(f);
            return report("write");
        }
    } else {
        errno = 0;
        f = std::fopen(name.c_str(), "ab");
        if (!f) return report("open");
    }
    size_t last = lines.size();
    while (last > 0 && lines[last - 1].empty()) --last;
    for (size_t i = 0; i < last; ++i) {
        if (std::fwrite(lines[i].data(), 1, lines[i].size(), f) != lines[i].size()) {
            std::fclose(f);
            return report("write");
        }
    }
    if (std::fclose(f) != 0) return report("close");
    return 1;
}


}  // namespace qv
