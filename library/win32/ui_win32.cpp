#include "win32/ui_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "arrays/virtual_list.h"
#include "win32/dlg_template.h"
#include "win32/system_helpers.h"

namespace qv::win32 {

namespace {

// Window Message.
constexpr DWORD kWinMsgStyle = 0x000A0054;
constexpr WORD kWinMsgEdit = 1524;
constexpr DWORD kWinMsgEditStyle = 0x50300804;
constexpr DWORD kWinMsgEditExStyle = 0x200;

// Attention window.
constexpr DWORD kAttentionStyle = 0x94CA01C5;
constexpr DWORD kAttentionExStyle = 0x10101;
constexpr WORD kContinue = 1534;
constexpr WORD kAttentionText = 1544;
constexpr WORD kFlowTable = 1554;

// Flow Access window.
constexpr DWORD kFlowAccessStyle = 0x30CA09C4;
constexpr DWORD kFlowAccessExStyle = 0x100;
constexpr WORD kTableFlow = 1564;
constexpr WORD kMasterDog = 1574;

// Shared by the buttons of both windows: child, visible, group, tab stop, default push button;
// no parent notify.
constexpr DWORD kButtonStyle = 0x50030001;
constexpr DWORD kButtonExStyle = 0x4;
constexpr DWORD kAttentionTextStyle = 0x50020080;

// Input box.
constexpr WORD kInputEdit = 101;
constexpr WORD kInputPrompt = 102;
constexpr size_t kInputCaptionMax = 60;
constexpr int kInputTextMax = 255;

// Virtual list window.
constexpr DWORD kListWindowStyle = 0x94CA00D4;
constexpr DWORD kListWindowExStyle = 0x10100;
constexpr WORD kListId = 1594;
constexpr DWORD kListStyle = 0x5080100D;
constexpr DWORD kListExStyle = 0x20200;
constexpr size_t kHeaderMax = 69;
constexpr size_t kCellMax = 127;

int32_t handle_value(HWND h) { return int32_t(reinterpret_cast<intptr_t>(h)); }

template <class T>
T* context_of(HWND h) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(h, DWLP_USER));
}

INT_PTR dialog_result(HWND dialog, LONG_PTR result) {
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

bool clicked(WPARAM wp, WORD id) { return LOWORD(wp) == id && HIWORD(wp) == BN_CLICKED; }

// The delta of an update counts bytes; the edit control counts characters. They agree only
// when the ANSI code page has one byte per character.
bool single_byte_code_page() {
    CPINFO info{};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
}

size_t text_length(HWND h) {
    int n = GetWindowTextLengthA(h);
    return n > 0 ? size_t(n) : 0;
}

}  // namespace

// A library window running its own loop on the caller's thread.
struct Win32Ui::ModalWindow {
    Win32Ui* ui = nullptr;
    HWND hwnd = nullptr;
    bool alive = false;  // between WM_INITDIALOG and WM_DESTROY
};

struct Win32Ui::AttentionWindow : ModalWindow {
    int32_t* handle = nullptr;  // the core's Attention window handle
};

struct Win32Ui::InputBox : ModalWindow {
    HWND owner = nullptr;
    const std::string* default_text = nullptr;
    std::optional<std::string> answer;
};

struct Win32Ui::VirtualListWindow : ModalWindow {
    qv::VirtualList* model = nullptr;
    const std::vector<std::string>* headers = nullptr;
    HWND list = nullptr;
    bool closing = false;
    char cell[kCellMax + 1] = {};  // the list reads the text after the notification returns
};

Win32Ui::Win32Ui(HINSTANCE module, qv::UiEvents& events) : module_(module), events_(events) {}

Win32Ui::~Win32Ui() {
    // Only while no control uses them any more.
    if (!winmsg_open_ || !IsWindow(winmsg_)) {
        if (winmsg_font_) DeleteObject(winmsg_font_);
        if (winmsg_brush_) DeleteObject(winmsg_brush_);
    }
}

void Win32Ui::remember_look(const qv::WindowLook& look) {
    if (!look.font_name.empty()) font_name_ = look.font_name;
    if (look.font_size > 0) font_size_ = look.font_size;
}

bool Win32Ui::library_dialog_message(MSG& msg) {
    for (auto it = modal_.rbegin(); it != modal_.rend(); ++it)
        if ((*it)->alive && IsDialogMessageA((*it)->hwnd, &msg)) return true;
    if (flow_access_ && IsDialogMessageA(flow_access_, &msg)) return true;
    if (winmsg_open_ && IsDialogMessageA(winmsg_, &msg)) return true;
    return false;
}

void Win32Ui::run_modal(ModalWindow& window) {
    modal_.push_back(&window);
    MSG msg;
    while (window.alive) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // The thread is quitting (or its queue is unusable): close this window as its
            // own close would, and hand the quit on to the loop outside.
            if (window.alive) SendMessageA(window.hwnd, WM_CLOSE, 0, 0);
            if (window.alive) DestroyWindow(window.hwnd);
            if (got == 0) PostQuitMessage(int(msg.wParam));
            break;
        }
        if (!library_dialog_message(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    modal_.erase(std::remove(modal_.begin(), modal_.end(), &window), modal_.end());
}

// ---------------------------------------------------------------------------------------------
// Window Message

INT_PTR CALLBACK Win32Ui::window_message_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        return FALSE;  // a trace window must not take the focus from the client
    }
    auto* ui = context_of<Win32Ui>(hwnd);
    if (!ui) return FALSE;
    switch (msg) {
        case WM_CTLCOLORSTATIC:  // read-only edits ask this one
        case WM_CTLCOLOREDIT:
            if (reinterpret_cast<HWND>(lp) == ui->winmsg_edit_ && ui->winmsg_brush_)
                return ui->window_message_colour(reinterpret_cast<HDC>(wp));
            return FALSE;
        case WM_COMMAND:
            return TRUE;  // Enter and Esc must not end the trace window
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return TRUE;
        case WM_DESTROY:
            ui->winmsg_open_ = false;
            ui->winmsg_edit_ = nullptr;
            SetWindowLongPtrA(hwnd, DWLP_USER, 0);
            return FALSE;
    }
    return FALSE;
}

INT_PTR Win32Ui::window_message_colour(HDC dc) {
    SetTextColor(dc, winmsg_fore_);
    SetBkColor(dc, winmsg_back_);
    return reinterpret_cast<INT_PTR>(winmsg_brush_);
}

void Win32Ui::set_window_message_colours(uint32_t fore, uint32_t back) {
    COLORREF f = fore & 0xFFFFFF, b = back & 0xFFFFFF;
    bool changed = f != winmsg_fore_;
    if (!winmsg_brush_ || b != winmsg_back_) {
        if (HBRUSH brush = CreateSolidBrush(b)) {
            HBRUSH old = winmsg_brush_;
            winmsg_brush_ = brush;
            winmsg_back_ = b;
            if (old) DeleteObject(old);  // no longer handed out, so no control holds it
            changed = true;
        }
    }
    winmsg_fore_ = f;
    if (changed && winmsg_edit_) InvalidateRect(winmsg_edit_, nullptr, TRUE);
}

void Win32Ui::set_window_message_text(const qv::WindowMessageUpdate& update) {
    HWND edit = winmsg_edit_;
    if (!edit) return;
    const std::string& text = update.text;
    const size_t shown = text_length(edit);
    bool delta = !update.whole && winmsg_synced_ && shown == winmsg_length_ && update.dropped <= shown &&
                 update.appended <= text.size() && shown - update.dropped + update.appended == text.size() &&
                 std::memchr(text.data() + (text.size() - update.appended), 0, update.appended) == nullptr &&
                 single_byte_code_page();
    if (delta) {
        if (update.dropped > 0) {
            SendMessageA(edit, EM_SETSEL, 0, LPARAM(update.dropped));
            SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
        }
        if (update.appended > 0) {
            size_t end = shown - update.dropped;
            SendMessageA(edit, EM_SETSEL, WPARAM(end), LPARAM(end));
            SendMessageA(edit, EM_REPLACESEL, FALSE,
                         reinterpret_cast<LPARAM>(text.c_str() + (text.size() - update.appended)));
        }
    } else {
        SetWindowTextA(edit, text.c_str());
    }
    // A NUL in the text (the control stops there) or a failed change leaves the two apart;
    // the next update then sends the whole text again.
    winmsg_length_ = text_length(edit);
    winmsg_synced_ = winmsg_length_ == text.size();

    if (update.line_limit - 20 > 0) SendMessageA(edit, EM_LINESCROLL, 0, update.line_limit - 20);
    SendMessageA(edit, EM_SETSEL, WPARAM(winmsg_length_), LPARAM(winmsg_length_));
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

int32_t Win32Ui::show_window_message(const qv::WindowMessageUpdate& update) {
    if (!winmsg_created_) {
        winmsg_created_ = true;
        remember_look(update.look);
        const auto& look = update.look;
        DialogTemplate t(kWinMsgStyle, 0, look.left, look.top, look.width, look.height,
                         "Debug Power Basic:  Window Message", font_name_, font_size_);
        t.add(DialogTemplate::Kind::Edit, kWinMsgEdit, "", kWinMsgEditStyle, kWinMsgEditExStyle, 0, 0,
              std::max(look.width - 5, 0), std::max(look.height - 30, 0));
        HWND h =
            CreateDialogIndirectParamA(module_, t.get(), nullptr, window_message_proc, reinterpret_cast<LPARAM>(this));
        if (!h) return 0;
        winmsg_ = h;
        winmsg_open_ = true;
        winmsg_edit_ = GetDlgItem(h, kWinMsgEdit);
        if (winmsg_edit_) {
            SendMessageA(winmsg_edit_, EM_SETLIMITTEXT, 0, 0);
            winmsg_font_ = CreateFontA(17, 0, 0, 0, 700, 0, 0, 0, 0, 4, 0, 0, 0x21, nullptr);
            if (winmsg_font_) SendMessageA(winmsg_edit_, WM_SETFONT, reinterpret_cast<WPARAM>(winmsg_font_), TRUE);
        }
        set_window_message_colours(update.fore, update.back);
        set_window_message_text(update);
        ShowWindow(h, SW_SHOW);
        return handle_value(h);
    }
    // Once closed by the user, the window stays closed: updates show nothing.
    if (!winmsg_open_ || !IsWindow(winmsg_)) return handle_value(winmsg_);
    set_window_message_colours(update.fore, update.back);
    set_window_message_text(update);
    return handle_value(winmsg_);
}

// ---------------------------------------------------------------------------------------------
// Message box

void Win32Ui::message_box(const std::string& text, const std::string& title) {
    MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK);
}

// ---------------------------------------------------------------------------------------------
// Attention window

INT_PTR CALLBACK Win32Ui::attention_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* w = reinterpret_cast<AttentionWindow*>(lp);
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        w->hwnd = hwnd;
        w->alive = true;
        // Both buttons are default push buttons, and the dialog manager would make the last one
        // the default: Enter would open the flow table while "Continue" has the focus.
        SendMessageA(hwnd, DM_SETDEFID, kContinue, 0);
        return TRUE;
    }
    auto* w = context_of<AttentionWindow>(hwnd);
    if (!w) return FALSE;
    try {
        switch (msg) {
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX: {
                int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
                if (id != kAttentionText && id != kContinue) return FALSE;
                SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_SCROLLBAR));
                return reinterpret_cast<INT_PTR>(GetStockObject(HOLLOW_BRUSH));
            }
            case WM_COMMAND:
                if (clicked(wp, kContinue)) {
                    DestroyWindow(hwnd);
                    *w->handle = 0;
                } else if (clicked(wp, kFlowTable)) {
                    w->ui->events_.on_attention_flow_table();
                } else if (LOWORD(wp) == IDCANCEL) {
                    DestroyWindow(hwnd);  // Esc: as the caption's close
                }
                return TRUE;
            case WM_CLOSE:
                DestroyWindow(hwnd);  // the handle stays set: the caller learns it was not "Continue"
                return TRUE;
            case WM_DESTROY:
                w->alive = false;
                SetWindowLongPtrA(hwnd, DWLP_USER, 0);
                return FALSE;
        }
    } catch (...) {
        // Nothing may unwind into the dialog manager.
    }
    return FALSE;
}

int32_t Win32Ui::attention(const std::string& text, const std::string& title, const qv::WindowLook& look,
                           int32_t& handle) {
    remember_look(look);
    DialogTemplate t(kAttentionStyle, kAttentionExStyle, look.left, look.top, 215, 68, title, font_name_, font_size_);
    t.add(DialogTemplate::Kind::Button, kContinue, "Continue", kButtonStyle, kButtonExStyle, 45, 50, 30, 15);
    t.add(DialogTemplate::Kind::Static, kAttentionText, text, kAttentionTextStyle, kButtonExStyle, 1, 1, 215, 75);
    t.add(DialogTemplate::Kind::Button, kFlowTable, "Flow Table", kButtonStyle, kButtonExStyle, 125, 54, 45, 10);

    AttentionWindow w;
    w.ui = this;
    w.handle = &handle;
    HWND h = CreateDialogIndirectParamA(module_, t.get(), nullptr, attention_proc, reinterpret_cast<LPARAM>(&w));
    if (!h) return 0;  // `handle` untouched: the core reports the failure
    handle = handle_value(h);
    HWND outer = attention_;
    attention_ = h;
    run_modal(w);
    attention_ = (outer && IsWindow(outer)) ? outer : nullptr;
    return handle;
}

// ---------------------------------------------------------------------------------------------
// Flow Access window

INT_PTR CALLBACK Win32Ui::flow_access_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        SendMessageA(hwnd, DM_SETDEFID, kTableFlow, 0);  // Enter acts on the focused first button
        return TRUE;
    }
    auto* ui = context_of<Win32Ui>(hwnd);
    if (!ui) return FALSE;
    try {
        switch (msg) {
            case WM_COMMAND:
                if (clicked(wp, kTableFlow)) {
                    ui->events_.on_flow_access_table();
                    ShowWindow(hwnd, SW_MINIMIZE);
                } else if (clicked(wp, kMasterDog)) {
                    ui->events_.on_flow_access_master_dog();
                    ShowWindow(hwnd, SW_MINIMIZE);
                    ui->focus_first_window();
                }
                return TRUE;
            case WM_CLOSE:
                DestroyWindow(hwnd);
                ui->events_.on_flow_access_destroyed();
                return TRUE;
            case WM_DESTROY:
                if (ui->flow_access_ == hwnd) ui->flow_access_ = nullptr;
                SetWindowLongPtrA(hwnd, DWLP_USER, 0);
                return FALSE;
        }
    } catch (...) {
        // Nothing may unwind into the dialog manager.
    }
    return FALSE;
}

int32_t Win32Ui::open_flow_access(const qv::WindowLook& look) {
    remember_look(look);
    DialogTemplate t(kFlowAccessStyle, kFlowAccessExStyle, -1, -1, 100, 68, "Flow Access", font_name_, font_size_);
    t.add(DialogTemplate::Kind::Button, kTableFlow, "Table Flow", kButtonStyle, kButtonExStyle, 14, 12, 70, 15);
    t.add(DialogTemplate::Kind::Button, kMasterDog, "Master Watch Dog", kButtonStyle, kButtonExStyle, 14, 42, 70, 15);
    HWND h = CreateDialogIndirectParamA(module_, t.get(), nullptr, flow_access_proc, reinterpret_cast<LPARAM>(this));
    if (!h) return 0;
    flow_access_ = h;
    // The dialog manager may show a visible template restored; this one starts minimized.
    if (!IsIconic(h)) ShowWindow(h, SW_SHOWMINNOACTIVE);
    return handle_value(h);
}

void Win32Ui::destroy_flow_access(int32_t handle) {
    HWND h = reinterpret_cast<HWND>(intptr_t(handle));
    // Only a Flow Access window of this library, whatever number the caller holds.
    if (!h || !IsWindow(h)) return;
    if (GetWindowLongPtrA(h, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&flow_access_proc)) return;
    DestroyWindow(h);
}

// ---------------------------------------------------------------------------------------------
// Input box

INT_PTR CALLBACK Win32Ui::input_box_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* w = reinterpret_cast<InputBox*>(lp);
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        w->hwnd = hwnd;
        w->alive = true;
        HWND edit = GetDlgItem(hwnd, kInputEdit);
        SendMessageA(edit, EM_SETLIMITTEXT, kInputTextMax, 0);
        SetWindowTextA(edit, w->default_text->c_str());
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return FALSE;  // focus set here
    }
    auto* w = context_of<InputBox>(hwnd);
    if (!w) return FALSE;
    auto finish = [&] {
        // The owner gets its input back before this window goes, so that it is activated.
        if (w->owner) EnableWindow(w->owner, TRUE);
        DestroyWindow(hwnd);
    };
    try {
        switch (msg) {
            case WM_COMMAND:
                if (LOWORD(wp) == IDOK) {
                    char buffer[kInputTextMax + 1] = {};
                    GetDlgItemTextA(hwnd, kInputEdit, buffer, sizeof buffer);
                    w->answer = std::string(buffer);
                    finish();
                } else if (LOWORD(wp) == IDCANCEL) {
                    finish();
                }
                return TRUE;
            case WM_CLOSE:
                finish();
                return TRUE;
            case WM_DESTROY:
                if (w->owner) EnableWindow(w->owner, TRUE);
                w->alive = false;
                SetWindowLongPtrA(hwnd, DWLP_USER, 0);
                return FALSE;
        }
    } catch (...) {
        finish();  // no answer rather than an exception into the dialog manager
    }
    return FALSE;
}

std::optional<std::string> Win32Ui::ask(const std::string& title, const std::string& prompt,
                                        const std::string& default_text) {
    std::string caption = title.substr(0, kInputCaptionMax);
    DialogTemplate t(
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER | DS_SETFONT | DS_3DLOOK,
        WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT, 0, 0, 150, 100, caption, font_name_, font_size_);
    t.add(DialogTemplate::Kind::Static, kInputPrompt, prompt, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 5, 5,
          95, 72);
    t.add(DialogTemplate::Kind::Button, IDOK, "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 104, 5,
          40, 10);
    t.add(DialogTemplate::Kind::Button, IDCANCEL, "CANCEL", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 104,
          19, 40, 10);
    t.add(DialogTemplate::Kind::Edit, kInputEdit, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL,
          0, 2, 82, 146, 12);

    InputBox w;
    w.ui = this;
    w.default_text = &default_text;
    // Owned by the library window whose loop is running, which waits disabled meanwhile.
    for (auto it = modal_.rbegin(); it != modal_.rend(); ++it)
        if ((*it)->alive && IsWindowEnabled((*it)->hwnd)) {
            w.owner = (*it)->hwnd;
            break;
        }
    HWND h = CreateDialogIndirectParamA(module_, t.get(), w.owner, input_box_proc, reinterpret_cast<LPARAM>(&w));
    if (!h) return std::nullopt;
    if (w.owner && w.alive) EnableWindow(w.owner, FALSE);
    run_modal(w);
    return w.answer;
}

std::string Win32Ui::input_box(const std::string& title, const std::string& prompt, const std::string& default_text) {
    return ask(title, prompt, default_text).value_or(std::string());
}

// ---------------------------------------------------------------------------------------------
// Focus, common controls

void Win32Ui::focus_first_window() {
    if (list_ && IsWindow(list_)) {
        SetFocus(list_);
    } else if (attention_ && IsWindow(attention_)) {
        SetFocus(attention_);
    } else if (winmsg_open_ && IsWindow(winmsg_)) {
        SetFocus(winmsg_);
    }
}

long double Win32Ui::init_common_controls(int32_t flags) { return init_comctl32(flags); }

// ---------------------------------------------------------------------------------------------
// Virtual list window

void Win32Ui::close_virtual_list(VirtualListWindow& w) {
    if (w.closing) return;
    w.closing = true;
    w.model->on_close();
    if (w.list) {
        InvalidateRect(w.list, nullptr, TRUE);
        UpdateWindow(w.list);
    }
    DestroyWindow(w.hwnd);
}

void Win32Ui::edit_cell(VirtualListWindow& w, int32_t item, int32_t col) {
    auto& model = *w.model;
    if (item >= 0 && item < model.row_count() && col >= 0 && col < model.column_count()) {
        if (auto request = model.edit_request(item, col)) {
            // Cancel keeps the cell as it was: only an answer given with OK replaces it.
            auto answer = ask(request->caption, request->prompt, request->text);
            if (answer && w.alive && item < model.row_count()) {
                model.set_cell(item, col, *answer);
                if (w.list) {
                    InvalidateRect(w.list, nullptr, TRUE);
                    UpdateWindow(w.list);
                }
            }
        }
    }
    if (w.alive && w.list) SetFocus(w.list);
}

INT_PTR CALLBACK Win32Ui::virtual_list_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFYFORMAT) return dialog_result(hwnd, NFR_ANSI);
    if (msg == WM_INITDIALOG) {
        auto* w = reinterpret_cast<VirtualListWindow*>(lp);
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        w->hwnd = hwnd;
        w->alive = true;
        w->list = GetDlgItem(hwnd, kListId);
        if (HWND list = w->list) {
            SendMessageA(list, LVM_SETITEMCOUNT, WPARAM(std::max(w->model->row_count(), 0)), 0);
            LRESULT ex = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
            SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LPARAM(ex | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
            const auto& headers = *w->headers;
            for (size_t c = 0; c < headers.size(); ++c) {
                std::string head = headers[c].substr(0, kHeaderMax);
                head.resize(std::strlen(head.c_str()));
                LVCOLUMNA column{};
                column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
                column.fmt = LVCFMT_LEFT;
                column.cx = int(head.size()) * 4;
                column.pszText = head.data();
                column.iSubItem = int(c);
                SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(c), reinterpret_cast<LPARAM>(&column));
            }
        }
        return FALSE;  // the focus goes to the list when the window is shown
    }
    auto* w = context_of<VirtualListWindow>(hwnd);
    if (!w) return FALSE;
    try {
        switch (msg) {
            case WM_COMMAND:
                if (LOWORD(wp) == IDCANCEL) close_virtual_list(*w);  // Esc or the close box
                return TRUE;                                         // Enter leaves it open
            case WM_CLOSE:
                close_virtual_list(*w);
                return TRUE;
            case WM_DESTROY:
                w->alive = false;
                if (w->ui->list_ == w->list) w->ui->list_ = nullptr;
                SetWindowLongPtrA(hwnd, DWLP_USER, 0);
                return FALSE;
            case WM_NOTIFY: {
                auto* hdr = reinterpret_cast<NMHDR*>(lp);
                if (!hdr || hdr->idFrom != kListId) return FALSE;
                auto& model = *w->model;
                switch (hdr->code) {
                    case LVN_GETDISPINFOA: {
                        auto* info = reinterpret_cast<NMLVDISPINFOA*>(lp);
                        if (!(info->item.mask & LVIF_TEXT)) return FALSE;
                        std::string text;
                        int item = info->item.iItem, col = info->item.iSubItem;
                        if (item >= 0 && item < model.row_count() && col >= 0 && col < model.column_count())
                            text = model.cell_text(item, col);
                        size_t n = std::min(std::strlen(text.c_str()), kCellMax);
                        std::memcpy(w->cell, text.data(), n);
                        w->cell[n] = 0;
                        info->item.pszText = w->cell;
                        return FALSE;
                    }
                    case LVN_COLUMNCLICK: {
                        int col = reinterpret_cast<NMLISTVIEW*>(lp)->iSubItem;
                        if (col >= 0 && col < model.column_count() && model.sortable(col)) {
                            model.sort(col);
                            InvalidateRect(w->list, nullptr, TRUE);
                            UpdateWindow(w->list);
                        }
                        return FALSE;
                    }
                    case NM_DBLCLK: {
                        auto* activate = reinterpret_cast<NMITEMACTIVATE*>(lp);
                        int item = activate->iItem, col = activate->iSubItem;
                        // The hit test names the cell under the click the same way on every version
                        // of the list control.
                        LVHITTESTINFO hit{};
                        hit.pt = activate->ptAction;
                        if (SendMessageA(w->list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0 &&
                            hit.iItem >= 0) {
                            item = hit.iItem;
                            col = hit.iSubItem;
                        }
                        w->ui->edit_cell(*w, item, col);
                        return FALSE;
                    }
                    case LVN_KEYDOWN: {
                        WORD key = reinterpret_cast<NMLVKEYDOWN*>(lp)->wVKey;
                        bool navigation = (key >= 1 && key <= 47) || (key >= 91 && key <= 95);
                        return dialog_result(hwnd, navigation ? 0 : 1);
                    }
                }
                return FALSE;
            }
        }
    } catch (...) {
        // Nothing may unwind into the dialog manager.
    }
    return FALSE;
}

int32_t Win32Ui::virtual_list(qv::VirtualList& model, const std::string& caption,
                              const std::vector<std::string>& headers, const qv::WindowLook& look) {
    remember_look(look);
    register_common_controls(ICC_LISTVIEW_CLASSES);
    // Built hidden and shown once the list is filled.
    DialogTemplate t(kListWindowStyle & ~WS_VISIBLE, kListWindowExStyle, look.left, look.top, look.width, look.height,
                     caption, font_name_, font_size_);
    t.add("syslistview32", kListId, "syslistview32_1", kListStyle, kListExStyle, 2, 2, std::max(look.width - 4, 0),
          std::max(look.height - 4, 0));

    VirtualListWindow w;
    w.ui = this;
    w.model = &model;
    w.headers = &headers;
    HWND h = CreateDialogIndirectParamA(module_, t.get(), nullptr, virtual_list_proc, reinterpret_cast<LPARAM>(&w));
    if (!h) return 0;
    HWND outer = list_;
    list_ = w.list;
    if (w.alive) {
        ShowWindow(h, SW_SHOW);
        if (w.list) SetFocus(w.list);
        run_modal(w);
    }
    list_ = (outer && IsWindow(outer)) ? outer : nullptr;
    return handle_value(h);
}

}  // namespace qv::win32
