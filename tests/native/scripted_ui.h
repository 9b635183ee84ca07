// A user-interface double for the core: records what was shown and answers as a scripted
// user would.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "arrays/virtual_list.h"
#include "core/ui.h"

namespace qv::test {

class ScriptedUi : public Ui {
public:
    struct Box { std::string text, title; };
    struct Attention { std::string text, title; };
    struct Input { std::string title, prompt, default_text; };
    struct ListShown { std::string caption; std::vector<std::string> headers; std::vector<std::string> rows; };

    // What was shown.
    std::vector<Box> boxes;
    std::vector<Attention> attentions;
    std::vector<Input> inputs;
    std::vector<ListShown> lists;
    std::vector<std::string> winmsg_texts;  // whole text after every update
    int flow_access_opened = 0, flow_access_destroyed = 0, focus_calls = 0;
    std::vector<int> common_control_flags;

    // Answers.
    int32_t winmsg_handle = 1001;
    int32_t flow_access_handle = 2002;
    long double comctl_version = 6.0L;
    std::deque<std::string> input_answers;  // "" when empty
    // Called while the Attention window is open (e.g. to press "Flow Table"); returns the
    // handle value after close (0 = "Continue").
    std::function<int32_t(const Attention&)> on_attention;
    // Called while a virtual list is open (to click headers, edit cells...).
    std::function<void(VirtualList&, ListShown&)> on_list;
    int32_t list_handle = 3003;

    int32_t show_window_message(const WindowMessageUpdate& u) override {
        // Check the incremental contract: applying the delta to the last text gives the new one.
        if (!u.whole && !winmsg_texts.empty()) {
            std::string t = winmsg_texts.back();
            t.erase(0, u.dropped);
            t += u.text.substr(u.text.size() - u.appended);
            delta_ok = delta_ok && (t == u.text);
        }
        winmsg_texts.push_back(u.text);
        last_update_fore = u.fore;
        last_update_back = u.back;
        last_look = u.look;
        return winmsg_handle;
    }
    bool delta_ok = true;
    uint32_t last_update_fore = 0, last_update_back = 0;
    WindowLook last_look;

    void message_box(const std::string& text, const std::string& title) override { boxes.push_back({text, title}); }

    int32_t attention(const std::string& text, const std::string& title, const WindowLook&, int32_t& handle) override {
        attentions.push_back({text, title});
        handle = 4004;
        int32_t r = 0;
        if (on_attention) r = on_attention(attentions.back());
        handle = r;
        return handle;
    }
    int32_t open_flow_access(const WindowLook&) override {
        ++flow_access_opened;
        return flow_access_handle;
    }
    void destroy_flow_access(int32_t) override { ++flow_access_destroyed; }
    std::string input_box(const std::string& title, const std::string& prompt, const std::string& def) override {
        inputs.push_back({title, prompt, def});
        if (input_answers.empty()) return "";
        std::string a = input_answers.front();
        input_answers.pop_front();
        return a;
    }
    void focus_first_window() override { ++focus_calls; }
    long double init_common_controls(int32_t flags) override {
        common_control_flags.push_back(flags);
        return comctl_version;
    }
    int32_t virtual_list(VirtualList& model, const std::string& caption, const std::vector<std::string>& headers,
                         const WindowLook&) override {
        ListShown shown{caption, headers, model.rows()};
        if (on_list) on_list(model, shown);
        model.on_close();
        lists.push_back(shown);
        return list_handle;
    }
};

}  // namespace qv::test
