#include "arrays/virtual_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "core/text_forms.h"

namespace qv {

namespace {

constexpr char kTab = '\t';
constexpr const char* kBoxTitle = "Function DebugVirtListCtrl";
constexpr size_t kCellLimit = 127;
constexpr size_t kHeaderLimit = 69;

std::vector<std::string> split(std::string_view text, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        const size_t at = text.find(sep, start);
        out.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return out;
        start = at + 1;
    }
}

std::string join(const std::vector<std::string>& fields, char sep) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += sep;
        out += fields[i];
    }
    return out;
}

// Field `index` (from 0) of a tab-separated row text, "" when the row has fewer fields.
std::string_view field_of(std::string_view row, int64_t index) {
    if (index < 0) return {};
    size_t start = 0;
    for (int64_t i = 0; i < index; ++i) {
        const size_t at = row.find(kTab, start);
        if (at == std::string_view::npos) return {};
        start = at + 1;
    }
    const size_t end = row.find(kTab, start);
    return row.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

unsigned char fold(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

// Text order of sort keys: unsigned bytes with a-z folded onto A-Z; a prefix comes first.
int compare_keys(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = fold(static_cast<unsigned char>(a[i]));
        const unsigned char y = fold(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// Sort specification, field 1: "opening:closing", each part an optional signed column number.
struct SortPart {
    int32_t column = -1;  // -1: no sort
    bool ascending = true;
};

SortPart sort_part(std::string_view part, std::string_view number_text, int32_t last_col) {
    SortPart p;
    if (part.empty()) return p;
    p.ascending = !(part.find('-') != std::string_view::npos && part.find('+') == std::string_view::npos);
    const int64_t col = std::llabs(int64_t(round_to_i32(number_of(number_text))));
    if (col <= last_col) p.column = int32_t(col);
    return p;
}

}  // namespace

std::string VirtualList::cell_text(int32_t item, int32_t col) const {
    if (item < 0 || item >= row_count()) return {};
    std::string_view f = field_of(rows_[size_t(item)], col);
    f = f.substr(0, f.find('\0'));
    return std::string(f.substr(0, kCellLimit));
}

bool VirtualList::sortable(int32_t col) const { return col >= 0 && col < column_count() && sortable_[size_t(col)]; }

bool VirtualList::changeable(int32_t col) const {
    return col >= 0 && col < int32_t(changeable_.size()) && changeable_[size_t(col)];
}

void VirtualList::sort(int32_t col) {
    const bool ascending = direction_ != 0;
    if (rows_.size() > 1) {
        std::vector<std::string> keys;
        keys.reserve(rows_.size());
        for (const auto& r : rows_) keys.emplace_back(field_of(r, col));
        auto before = [ascending](const std::string& a, const std::string& b) {
            const int c = compare_keys(a, b);
            return ascending ? c < 0 : c > 0;
        };
        // Quicksort with a copy of the middle key as pivot. The smaller part is sorted by
        // recursion and the larger one by the loop, which bounds the stack depth; the result
        // is the same as sorting both parts recursively.
        auto quicksort = [&](auto& self, int64_t lo, int64_t hi) -> void {
            while (lo < hi) {
                const std::string pivot = keys[size_t(lo + (hi - lo) / 2)];
                int64_t i = lo, j = hi;
                do {
                    while (before(keys[size_t(i)], pivot)) ++i;
                    while (before(pivot, keys[size_t(j)])) --j;
                    if (i <= j) {
                        if (i != j) {
                            std::swap(keys[size_t(i)], keys[size_t(j)]);
                            std::swap(rows_[size_t(i)], rows_[size_t(j)]);
                        }
                        ++i;
                        --j;
                    }
                } while (i <= j);
                if (j - lo < hi - i) {
                    if (lo < j) self(self, lo, j);
                    lo = i;
                } else {
                    if (i < hi) self(self, i, hi);
                    hi = j;
                }
            }
        };
        quicksort(quicksort, 0, int64_t(rows_.size()) - 1);
    }
    direction_ = direction_ == 0 ? -1 : 0;
}

void VirtualList::on_close() {
    if (closing_col_ < 0) return;
    direction_ = closing_ascending_ ? 1 : 0;
    sort(closing_col_);
}

std::optional<VirtualList::EditRequest> VirtualList::edit_request(int32_t item, int32_t col) const {
    if (!changeable(col) || item < 0 || item >= row_count()) return std::nullopt;
    EditRequest r;
    r.caption = "Row:" + str_form(int64_t(item) + 1) + "   Col.(0 to x):" + str_form(col);
    r.prompt = "\r\n" + (size_t(col) < help_.size() ? help_[size_t(col)] : std::string());
    r.text = std::string(field_of(rows_[size_t(item)], col));
    return r;
}

void VirtualList::set_cell(int32_t item, int32_t col, const std::string& text) {
    if (item < 0 || item >= row_count() || col < 0) return;
    std::vector<std::string> fields = split(rows_[size_t(item)], kTab);
    // A row shorter than the column (more headers than data columns) grows, so the edit stays
    // visible; the write-back never goes beyond the array's own columns.
    if (fields.size() <= size_t(col)) fields.resize(size_t(col) + 1);
    fields[size_t(col)] = text;
    rows_[size_t(item)] = join(fields, kTab);
}

int32_t debug_virtlist_ctrl(Ui& ui, int32_t& direction, const WindowLook& look, const std::string& caption,
                            StringArray& data, const StringArray& heads, const StringArray& helps,
                            std::string& sort_spec, std::string& change_spec) {
    // Versions are major + minor / 100; the margin absorbs the binary fraction of 4.70.
    if (ui.init_common_controls(256) < 4.7L - 1e-9L) return 0;

    const int32_t head_lb = heads.lbound(1), head_ub = heads.ubound(1);
    if (head_lb != 0) {
        ui.message_box("Attention!!\r\nMinimun column of Headers must be 0", kBoxTitle);
        return 0;
    }
    if (helps.lbound(1) != head_lb || helps.ubound(1) != head_ub) {
        ui.message_box("Attention!!\r\nArrays ColnHead$() and ColnHelp$() must have equal subscrits", kBoxTitle);
        return 0;
    }

    VirtualList model(direction);
    const int32_t last_col = head_ub;
    const int64_t columns = head_ub >= 0 ? int64_t(head_ub) + 1 : 0;
    model.sortable_.assign(size_t(columns), false);
    model.changeable_.assign(size_t(columns), false);
    model.help_.reserve(size_t(columns));
    for (int64_t c = 0; c < columns; ++c) model.help_.push_back(helps.get(int32_t(c)));

    sort_spec = upper(sort_spec);
    const std::vector<std::string> sort_fields = split(sort_spec, ',');
    const std::string& first = sort_fields[0];
    const size_t colon = first.find(':');
    if (first.empty() || colon == std::string::npos) {
        ui.message_box("Attention!!\r\nMinimun request for ColnSortInOut \"  :(full stop) ,...", kBoxTitle);
        return 0;
    }
    const std::string_view first_view(first);
    const std::string_view closing_part = first_view.substr(colon + 1).substr(0, first_view.substr(colon + 1).find(':'));
    const SortPart opening = sort_part(first_view.substr(0, colon), first_view, last_col);
    const SortPart closing = sort_part(closing_part, closing_part, last_col);
    model.closing_col_ = closing.column;
    model.closing_ascending_ = closing.ascending;
    // Field c + 2 marks column c; none are looked at when only one column or one field is
    // in play.
    const int64_t n_sort = std::min<int64_t>(int64_t(sort_fields.size()), columns);
    if (n_sort > 1)
        for (int64_t c = 0; c < n_sort; ++c)
            model.sortable_[size_t(c)] = size_t(c) + 1 < sort_fields.size() && sort_fields[size_t(c) + 1] == "S";

    change_spec = upper(change_spec);
    const std::vector<std::string> change_fields = split(change_spec, ',');
    const int64_t n_change = std::min<int64_t>(int64_t(change_fields.size()), columns);
    for (int64_t c = 0; c < n_change; ++c) model.changeable_[size_t(c)] = change_fields[size_t(c)] == "M";

    const int32_t row_lb = data.lbound(1), row_ub = data.ubound(1);
    const int32_t col_lb = data.lbound(2), col_ub = data.ubound(2);
    if (data.dimensioned() && row_ub >= row_lb) {
        model.rows_.reserve(size_t(int64_t(row_ub) - row_lb + 1));
        for (int64_t r = row_lb; r <= row_ub; ++r) {
            std::string text;
            for (int64_t c = col_lb; c <= col_ub; ++c) {
                if (c > col_lb) text += kTab;
                text += data.get(int32_t(r), int32_t(c));
            }
            model.rows_.push_back(std::move(text));
        }
    }

    if (opening.column >= 0) {
        direction = opening.ascending ? 1 : 0;
        model.sort(opening.column);
    }

    std::vector<std::string> headers;
    headers.reserve(size_t(columns));
    for (int64_t c = 0; c < columns; ++c) headers.push_back(heads.get(int32_t(c)).substr(0, kHeaderLimit));
    const int32_t result = ui.virtual_list(model, caption + std::string(20, ' ') + "Esc=End", headers, look);
    // Without a window the write-back still runs: an opening sort reorders the caller's rows.
    if (result == 0) ui.message_box("Error to create Dialog", kBoxTitle);

    // The rows go back in the order the list showed last. A row's fields are stored from the
    // lowest column on; a cell holding a tab shifts the rest of its row, and whatever lands
    // beyond the last column is dropped rather than written outside the array.
    if (!model.rows_.empty()) {
        const size_t per_row = split(model.rows_[0], kTab).size();
        for (size_t i = 0; i < model.rows_.size(); ++i) {
            const std::vector<std::string> fields = split(model.rows_[i], kTab);
            const int32_t r = int32_t(int64_t(row_lb) + int64_t(i));
            for (size_t j = 0; j < per_row; ++j) {
                const int64_t c = int64_t(col_lb) + int64_t(j);
                if (c > col_ub) break;
                data.set(r, int32_t(c), j < fields.size() ? fields[j] : std::string());
            }
        }
    }
    return result;
}

}  // namespace qv
