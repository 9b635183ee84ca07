// The library's windows on Win32 (ANSI API, dialogs from in-memory templates): the Window
// Message, the message box, the Attention and Flow Access windows, the input box and the
// virtual list window.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ui.h"

namespace qv::win32 {

class Win32Ui final : public qv::Ui {
public:
    Win32Ui(HINSTANCE module, qv::UiEvents& events);
    ~Win32Ui() override;
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;

    int32_t show_window_message(const qv::WindowMessageUpdate& update) override;
    void message_box(const std::string& text, const std::string& title) override;
    int32_t attention(const std::string& text, const std::string& title, const qv::WindowLook& look,
                      int32_t& handle) override;
    int32_t open_flow_access(const qv::WindowLook& look) override;
    void destroy_flow_access(int32_t handle) override;
    std::string input_box(const std::string& title, const std::string& prompt,
                          const std::string& default_text) override;
    void focus_first_window() override;
    long double init_common_controls(int32_t flags) override;
    int32_t virtual_list(qv::VirtualList& model, const std::string& caption, const std::vector<std::string>& headers,
                         const qv::WindowLook& look) override;

    // Lets a library window's dialog manager see a message first (keyboard navigation); true
    // when it was handled.
    bool library_dialog_message(MSG& msg);

private:
    struct ModalWindow;
    struct AttentionWindow;
    struct InputBox;
    struct VirtualListWindow;
    static INT_PTR CALLBACK window_message_proc(HWND, UINT, WPARAM, LPARAM);
    static INT_PTR CALLBACK attention_proc(HWND, UINT, WPARAM, LPARAM);
    static INT_PTR CALLBACK flow_access_proc(HWND, UINT, WPARAM, LPARAM);
    static INT_PTR CALLBACK input_box_proc(HWND, UINT, WPARAM, LPARAM);
    static INT_PTR CALLBACK virtual_list_proc(HWND, UINT, WPARAM, LPARAM);

    // The input box; nothing when it was cancelled or closed.
    std::optional<std::string> ask(const std::string& title, const std::string& prompt,
                                   const std::string& default_text);
    // Blocks on the thread's queue until the window is gone.
    void run_modal(ModalWindow& window);
    void remember_look(const qv::WindowLook& look);
    void set_window_message_colours(uint32_t fore, uint32_t back);
    void set_window_message_text(const qv::WindowMessageUpdate& update);
    INT_PTR window_message_colour(HDC dc);
    static void close_virtual_list(VirtualListWindow& window);
    void edit_cell(VirtualListWindow& window, int32_t item, int32_t col);

    HINSTANCE module_;
    qv::UiEvents& events_;
    std::string font_name_ = "MS Sans Serif";
    int32_t font_size_ = 8;

    // Window Message: created once per process; stays closed once the user closed it.
    bool winmsg_created_ = false;
    bool winmsg_open_ = false;
    HWND winmsg_ = nullptr;  // kept after the user closed it: it is the library's handle
    HWND winmsg_edit_ = nullptr;
    HFONT winmsg_font_ = nullptr;
    HBRUSH winmsg_brush_ = nullptr;
    COLORREF winmsg_fore_ = 0, winmsg_back_ = 0;
    bool winmsg_synced_ = false;  // the control holds exactly the text of the last update
    size_t winmsg_length_ = 0;    // its length then

    HWND attention_ = nullptr;  // the innermost open Attention window
    HWND flow_access_ = nullptr;
    HWND list_ = nullptr;              // list control of the open virtual list window
    std::vector<ModalWindow*> modal_;  // library windows running a loop, innermost last
};

}  // namespace qv::win32
