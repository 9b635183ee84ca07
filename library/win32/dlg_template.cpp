#include "win32/dlg_template.h"

#include <algorithm>

namespace qv::win32 {

namespace {
// Offset (in WORDs) of DLGTEMPLATE::cdit: style and extended style come first.
constexpr size_t kCountOffset = 4;
}  // namespace

DialogTemplate::DialogTemplate(DWORD style, DWORD ex_style, int32_t x, int32_t y, int32_t cx, int32_t cy,
                               const std::string& caption, const std::string& font_name, int32_t font_size) {
    words_.reserve(256);
    put_dword(style);
    put_dword(ex_style);
    words_.push_back(0);  // cdit, counted up by add()
    put_short(x);
    put_short(y);
    put_short(cx);
    put_short(cy);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // standard dialog class
    put_text(caption);
    if (style & DS_SETFONT) {
        put_short(font_size >= 1 ? font_size : 8);
        put_text(font_name.empty() ? std::string("MS Sans Serif") : font_name);
    }
}

void DialogTemplate::put_dword(DWORD v) {
    words_.push_back(WORD(v & 0xFFFF));
    words_.push_back(WORD(v >> 16));
}

void DialogTemplate::put_short(int32_t v) { words_.push_back(WORD(int16_t(std::clamp<int32_t>(v, -32768, 32767)))); }

void DialogTemplate::put_text(const std::string& text) {
    // The template string ends at the first NUL, as the window text would.
    const char* s = text.c_str();
    int n = int(std::min<size_t>(std::char_traits<char>::length(s), 0x7FFF));
    if (n > 0) {
        int wide = MultiByteToWideChar(CP_ACP, 0, s, n, nullptr, 0);
        if (wide > 0) {
            size_t at = words_.size();
            words_.resize(at + size_t(wide));
            MultiByteToWideChar(CP_ACP, 0, s, n, reinterpret_cast<wchar_t*>(words_.data() + at), wide);
        }
    }
    words_.push_back(0);
}

void DialogTemplate::align_dword() {
    if (words_.size() % 2) words_.push_back(0);
}

void DialogTemplate::begin_item(DWORD style, DWORD ex_style, int32_t x, int32_t y, int32_t cx, int32_t cy, WORD id) {
    align_dword();
    put_dword(style);
    put_dword(ex_style);
    put_short(x);
    put_short(y);
    put_short(cx);
    put_short(cy);
    words_.push_back(id);
    ++items_;
    words_[kCountOffset] = WORD(items_);
}

void DialogTemplate::add(Kind kind, WORD id, const std::string& text, DWORD style, DWORD ex_style, int32_t x, int32_t y,
                         int32_t cx, int32_t cy) {
    begin_item(style, ex_style, x, y, cx, cy, id);
    words_.push_back(0xFFFF);
    words_.push_back(WORD(kind));
    put_text(text);
    words_.push_back(0);  // no creation data
}

void DialogTemplate::add(const std::string& class_name, WORD id, const std::string& text, DWORD style, DWORD ex_style,
                         int32_t x, int32_t y, int32_t cx, int32_t cy) {
    begin_item(style, ex_style, x, y, cx, cy, id);
    put_text(class_name);
    put_text(text);
    words_.push_back(0);
}

}  // namespace qv::win32
