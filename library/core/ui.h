// The ports through which the core shows things to a person and gets answers back.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv {

class VirtualList;

// Geometry, colours and font of a library window, in dialog units of the configured font.
struct WindowLook {
    int32_t left = 0, top = 0, width = 0, height = 0;
    std::string font_name;
    int32_t font_size = 8;
};

// One update of the Window Message. The core keeps the exact text; the shell may apply the
// change incrementally (drop `dropped` characters from the head, append the last `appended`
// characters of `text`) when its control still holds the text of the previous update, and
// must set the whole text when `whole` is true.
struct WindowMessageUpdate {
    explicit WindowMessageUpdate(const std::string& t) : text(t) {}
    const std::string& text;
    size_t dropped = 0;
    size_t appended = 0;
    bool whole = true;
    int32_t line_limit = 0;  // the control is scrolled down by line_limit - 20 lines
    uint32_t fore = 255, back = 0;
    WindowLook look;         // used when the window is first created
};

// Calls from library windows back into the core (buttons of the Attention and Flow Access
// windows). The shell calls these; the core implements them.
class UiEvents {
public:
    virtual ~UiEvents() = default;
    // "Flow Table" in the Attention window (the core keeps the re-entry guard).
    virtual void on_attention_flow_table() = 0;
    // "Table Flow" in the Flow Access window.
    virtual void on_flow_access_table() = 0;
    // "Master Watch Dog" in the Flow Access window: the core asks the input box and applies it.
    virtual void on_flow_access_master_dog() = 0;
    // The Flow Access window was destroyed from its caption: its handle is cleared so that it
    // can be opened again.
    virtual void on_flow_access_destroyed() = 0;
};

class Ui {
public:
    virtual ~Ui() = default;
    // Create the Window Message on first use and show the update; returns its handle (0: none).
    virtual int32_t show_window_message(const WindowMessageUpdate& update) = 0;
    // Modal message box with OK and no owner.
    virtual void message_box(const std::string& text, const std::string& title) = 0;
    // Modal Attention window; returns the window handle value after it closed (0 after
    // "Continue"), or 0 when it could not be created. The core's Attention window handle is
    // kept by the shell through `handle` while it runs; when the window cannot be created the
    // shell leaves `handle` as it was, which is how the core tells the two zeros apart.
    virtual int32_t attention(const std::string& text, const std::string& title, const WindowLook& look,
                              int32_t& handle) = 0;
    // Modeless Flow Access window (shown minimized); returns its handle, 0 on failure.
    virtual int32_t open_flow_access(const WindowLook& look) = 0;
    // Destroy the Flow Access window with that handle.
    virtual void destroy_flow_access(int32_t handle) = 0;
    // Modal input box: the answer, or "" for Cancel.
    virtual std::string input_box(const std::string& title, const std::string& prompt,
                                  const std::string& default_text) = 0;
    // Give the keyboard focus to the first library window that exists (virtual list,
    // Attention, Insert, Window Message).
    virtual void focus_first_window() = 0;
    // Common-controls version (major + minor / 100) after registering the classes of `flags`.
    virtual long double init_common_controls(int32_t flags) = 0;
    // Modal virtual list window over the model; returns the window handle it had, 0 when it
    // could not be created. `caption` is already complete ("... Esc=End").
    virtual int32_t virtual_list(VirtualList& model, const std::string& caption,
                                 const std::vector<std::string>& headers, const WindowLook& look) = 0;
};

}  // namespace qv
