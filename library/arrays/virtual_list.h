// Model of the virtual list window: row texts, sort and change specifications, the sort,
// cell edits and the write-back into the caller's array. The window itself is in the shell.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "arrays/string_array.h"
#include "core/ui.h"

namespace qv {

class VirtualList {
public:
    // `direction` is the process-wide sort direction switch (0: next sort descending).
    explicit VirtualList(int32_t& direction) : direction_(direction) {}

    int32_t row_count() const { return int32_t(rows_.size()); }
    int32_t column_count() const { return int32_t(sortable_.size()); }
    // Cell text for the list control: field (col + 1) of the row text, at most 127 characters,
    // cut at a NUL.
    std::string cell_text(int32_t item, int32_t col) const;
    bool sortable(int32_t col) const;
    bool changeable(int32_t col) const;
    // Sort the rows by a column in the direction the switch gives, then flip the switch.
    void sort(int32_t col);
    // Esc or the close box: run the closing sort, if any.
    void on_close();

    struct EditRequest {
        std::string caption, prompt, text;
    };
    // Double-click on a cell: what the input box shows, or nothing if the column is not
    // changeable.
    std::optional<EditRequest> edit_request(int32_t item, int32_t col) const;
    // Replace one field of a row text.
    void set_cell(int32_t item, int32_t col, const std::string& text);

    // Model set-up and write-back, used by the export.
    std::vector<std::string>& rows() { return rows_; }
    const std::vector<std::string>& rows() const { return rows_; }

private:
    friend int32_t debug_virtlist_ctrl(Ui&, int32_t&, const WindowLook&, const std::string&, StringArray&,
                                       const StringArray&, const StringArray&, std::string&, std::string&);
    int32_t& direction_;
    std::vector<std::string> rows_;   // cells joined with tabs
    std::vector<std::string> help_;   // per column
    std::vector<bool> sortable_, changeable_;
    int32_t closing_col_ = -1;
    bool closing_ascending_ = true;
};

// The whole export: checks, specification parsing (the caller's specification strings are
// rewritten in upper case), opening sort, the window through `ui`, and the write-back.
// Returns the window handle it had, or 0.
int32_t debug_virtlist_ctrl(Ui& ui, int32_t& direction, const WindowLook& look, const std::string& caption,
                            StringArray& data, const StringArray& heads, const StringArray& helps,
                            std::string& sort_spec, std::string& change_spec);

}  // namespace qv
