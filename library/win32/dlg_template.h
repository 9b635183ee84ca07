// In-memory dialog templates (DLGTEMPLATE with DLGITEMTEMPLATE entries), so the library's
// windows need no resource script. Texts arrive in the ANSI code page and are stored as the
// UTF-16 the dialog manager expects; all positions and sizes are dialog units.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qv::win32 {

class DialogTemplate {
public:
    // Predefined control classes, stored as atoms.
    enum class Kind : WORD { Button = 0x0080, Edit = 0x0081, Static = 0x0082, ListBox = 0x0083 };

    // The font part is written when `style` holds DS_SETFONT; an empty face name gives
    // "MS Sans Serif" and a size below 1 gives 8 points.
    DialogTemplate(DWORD style, DWORD ex_style, int32_t x, int32_t y, int32_t cx, int32_t cy,
                   const std::string& caption, const std::string& font_name, int32_t font_size);

    void add(Kind kind, WORD id, const std::string& text, DWORD style, DWORD ex_style, int32_t x, int32_t y, int32_t cx,
             int32_t cy);
    // A control of a registered window class given by name (for example a list view).
    void add(const std::string& class_name, WORD id, const std::string& text, DWORD style, DWORD ex_style, int32_t x,
             int32_t y, int32_t cx, int32_t cy);

    // The finished template, valid while this object lives and is not changed.
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }
    size_t size_bytes() const { return words_.size() * sizeof(WORD); }
    int item_count() const { return items_; }

private:
    void put_dword(DWORD v);
    void put_short(int32_t v);  // clamped to the 16-bit range of template coordinates
    void put_text(const std::string& text);
    void align_dword();
    void begin_item(DWORD style, DWORD ex_style, int32_t x, int32_t y, int32_t cx, int32_t cy, WORD id);

    // WORD storage keeps every field 2-byte aligned; the start comes from the allocator and is
    // therefore at least 4-byte aligned, which the item entries need.
    std::vector<WORD> words_;
    int items_ = 0;
};

}  // namespace qv::win32
