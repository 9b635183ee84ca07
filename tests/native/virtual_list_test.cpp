#include "arrays/virtual_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "scripted_ui.h"

namespace {

using qv::OwnedStringArray;
using qv::VirtualList;
using qv::test::ScriptedUi;

const std::string kTitle = "Function DebugVirtListCtrl";

// Reference order of sort keys: bytes unsigned, a-z as A-Z, a prefix first.
int ref_compare(const std::string& a, const std::string& b) {
    auto fold = [](const std::string& s) {
        std::string t;
        for (unsigned char c : s) t += char((c >= 'a' && c <= 'z') ? c - 32 : c);
        return t;
    };
    const std::string x = fold(a), y = fold(b);
    const int c = std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                               [](char p, char q) { return (unsigned char)p < (unsigned char)q; })
                      ? -1
                      : (x == y ? 0 : 1);
    return c;
}

std::string field(const std::string& row, size_t k) {
    size_t start = 0;
    for (size_t i = 0; i < k; ++i) {
        start = row.find('\t', start);
        if (start == std::string::npos) return {};
        ++start;
    }
    return row.substr(start, row.find('\t', start) - start);
}

// Direct use of the model's sort: the rows hold the key in field 1.
std::vector<std::string> sorted_keys(std::vector<std::string> keys, int32_t direction_before,
                                     int32_t* direction_after = nullptr) {
    int32_t dir = direction_before;
    VirtualList vl(dir);
    for (auto& k : keys) vl.rows().push_back("row\t" + k);
    vl.sort(1);
    std::vector<std::string> out;
    for (const auto& r : vl.rows()) out.push_back(field(r, 1));
    if (direction_after) *direction_after = dir;
    return out;
}

// ------------------------------------------------------------------------- sort

TEST(VirtualListSort, TextOrderWithCaseMappingAndPrefixRule) {
    const std::vector<std::string> keys = {"9", "10", "abcd", "ABC", "b", "[", "_", "\xE4", "\xC4", "", "Z", "1"};
    const std::vector<std::string> ascending = {"", "1", "10", "9", "ABC", "abcd", "b", "Z", "[", "_", "\xC4", "\xE4"};
    int32_t after = 0;
    EXPECT_EQ(sorted_keys(keys, 1, &after), ascending);
    EXPECT_EQ(after, 0);
    std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
    EXPECT_EQ(sorted_keys(keys, 0, &after), descending);
    EXPECT_EQ(after, -1);
    EXPECT_EQ(sorted_keys(keys, -1, &after), ascending);
    EXPECT_EQ(after, 0);
}

TEST(VirtualListSort, RandomRowsEndSortedAndComplete) {
    std::mt19937 rng(7);
    const std::string alphabet = "aAbB09z\x80";
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> keys(rng() % 40);
        for (auto& k : keys) {
            const size_t len = rng() % 4;
            for (size_t i = 0; i < len; ++i) k += alphabet[rng() % alphabet.size()];
        }
        for (int32_t dir : {1, 0}) {
            int32_t d = dir;
            VirtualList vl(d);
            for (size_t i = 0; i < keys.size(); ++i) vl.rows().push_back(std::to_string(i) + "\t" + keys[i]);
            vl.sort(1);
            ASSERT_EQ(vl.rows().size(), keys.size());
            std::vector<std::string> rows = vl.rows();
            for (size_t i = 1; i < rows.size(); ++i) {
                const int c = ref_compare(field(rows[i - 1], 1), field(rows[i], 1));
                EXPECT_TRUE(dir ? c <= 0 : c >= 0) << round;
            }
            // Every row is still there, with its own key.
            std::vector<std::string> before;
            for (size_t i = 0; i < keys.size(); ++i) before.push_back(std::to_string(i) + "\t" + keys[i]);
            std::sort(rows.begin(), rows.end());
            std::sort(before.begin(), before.end());
            EXPECT_EQ(rows, before);
        }
    }
}

TEST(VirtualListSort, LargeOrderedAndEqualInputs) {
    for (int pattern = 0; pattern < 3; ++pattern) {
        int32_t d = 1;
        VirtualList vl(d);
        const int n = 200000;
        for (int i = 0; i < n; ++i) {
            char key[16];
            snprintf(key, sizeof key, "%08d", pattern == 0 ? i : pattern == 1 ? n - i : 5);
            vl.rows().push_back(key);
        }
        vl.sort(0);
        for (int i = 1; i < n; ++i) ASSERT_LE(vl.rows()[size_t(i - 1)], vl.rows()[size_t(i)]) << pattern;
    }
}

TEST(VirtualListModel, CellText) {
    int32_t d = 0;
    VirtualList vl(d);
    vl.rows() = {"a\tb\tc", std::string(200, 'x') + "\t" + std::string("p\0q", 3), "only"};
    EXPECT_EQ(vl.cell_text(0, 0), "a");
    EXPECT_EQ(vl.cell_text(0, 2), "c");
    EXPECT_EQ(vl.cell_text(0, 3), "");
    EXPECT_EQ(vl.cell_text(1, 0), std::string(127, 'x'));
    EXPECT_EQ(vl.cell_text(1, 1), "p");
    EXPECT_EQ(vl.cell_text(2, 1), "");
    EXPECT_EQ(vl.cell_text(3, 0), "");
    EXPECT_EQ(vl.cell_text(-1, 0), "");
    EXPECT_EQ(vl.cell_text(0, -1), "");
    vl.set_cell(2, 2, "new");
    EXPECT_EQ(vl.rows()[2], "only\t\tnew");
    vl.set_cell(0, 1, "");
    EXPECT_EQ(vl.rows()[0], "a\t\tc");
    vl.set_cell(5, 0, "ignored");
    vl.set_cell(0, -1, "ignored");
    EXPECT_EQ(vl.rows()[0], "a\t\tc");
}

// ------------------------------------------------------------------------- the export

struct Table {
    OwnedStringArray data, heads, helps;
    Table(int32_t lb1, int32_t ub1, int32_t lb2, int32_t ub2, int32_t head_lb, int32_t head_ub)
        : data(lb1, ub1, lb2, ub2), heads(head_lb, head_ub), helps(head_lb, head_ub) {
        for (int32_t c = head_lb; c <= head_ub; ++c) {
            heads.set(c, 0, "Head " + std::to_string(c));
            helps.set(c, 0, "Help " + std::to_string(c));
        }
    }
    std::vector<std::string> row(int32_t r) const {
        std::vector<std::string> out;
        for (int32_t c = data.lbound(2); c <= data.ubound(2); ++c) out.push_back(data.get(r, c));
        return out;
    }
    std::vector<std::vector<std::string>> rows() const {
        std::vector<std::vector<std::string>> out;
        for (int32_t r = data.lbound(1); r <= data.ubound(1); ++r) out.push_back(row(r));
        return out;
    }
};

// The example suite's table: rows -3 TO 10, columns 0 TO 4, each column with distinct keys in
// a different order.
Table example_table() {
    Table t(-3, 10, 0, 4, 0, 4);
    const char* heads[] = {"^Seq.", "<Column 1", "Column 2", "<^Column 3", "Column 4"};
    for (int32_t c = 0; c <= 4; ++c) t.heads.set(c, 0, heads[c]);
    for (int32_t r = -3; r <= 10; ++r) {
        const int i = r + 3;
        t.data.set(r, 0, std::to_string(i));
        const char letter = char('a' + (i * 5) % 14);
        t.data.set(r, 1, std::string(1, i % 2 ? letter : char(letter - 32)) + "x");
        t.data.set(r, 2, std::to_string((i * 3) % 14));
        t.data.set(r, 3, "k" + std::to_string((i * 9) % 14 + 10));
        t.data.set(r, 4, "cell " + std::to_string(r));
    }
    return t;
}

void expect_sorted(const std::vector<std::vector<std::string>>& rows, size_t col, bool ascending) {
    for (size_t i = 1; i < rows.size(); ++i) {
        const int c = ref_compare(rows[i - 1][col], rows[i][col]);
        EXPECT_TRUE(ascending ? c < 0 : c > 0) << "column " << col << " row " << i;
    }
}

std::vector<std::vector<std::string>> split_rows(const std::vector<std::string>& texts) {
    std::vector<std::vector<std::string>> out;
    for (const auto& t : texts) {
        std::vector<std::string> f;
        size_t start = 0;
        while (true) {
            const size_t at = t.find('\t', start);
            f.push_back(t.substr(start, at == std::string::npos ? std::string::npos : at - start));
            if (at == std::string::npos) break;
            start = at + 1;
        }
        out.push_back(f);
    }
    return out;
}

TEST(DebugVirtListCtrl, ExampleSuiteTable) {
    Table t = example_table();
    auto original = t.rows();
    ScriptedUi ui;
    ui.input_answers = {"edited"};
    int32_t direction = 0;
    std::string sort_spec = "+1:-2,s,,,s,", change_spec = ",m,,m,";
    std::string edited_row_key;

    ui.on_list = [&](VirtualList& m, ScriptedUi::ListShown& shown) {
        EXPECT_EQ(shown.caption, "Example" + std::string(20, ' ') + "Esc=End");
        EXPECT_EQ(shown.headers, (std::vector<std::string>{"^Seq.", "<Column 1", "Column 2", "<^Column 3", "Column 4"}));
        EXPECT_EQ(m.row_count(), 14);
        EXPECT_EQ(m.column_count(), 5);
        expect_sorted(split_rows(shown.rows), 1, true);  // opening sort
        for (int32_t c = 0; c < 5; ++c) {
            EXPECT_EQ(m.sortable(c), c == 0 || c == 3) << c;
            EXPECT_EQ(m.changeable(c), c == 1 || c == 3) << c;
        }
        // Header clicks alternate, starting descending after the ascending opening sort.
        m.sort(0);
        expect_sorted(split_rows(m.rows()), 0, false);
        m.sort(0);
        expect_sorted(split_rows(m.rows()), 0, true);
        m.sort(3);
        expect_sorted(split_rows(m.rows()), 3, false);
        m.sort(3);
        expect_sorted(split_rows(m.rows()), 3, true);

        EXPECT_FALSE(m.edit_request(2, 2).has_value());
        EXPECT_FALSE(m.edit_request(14, 1).has_value());
        auto req = m.edit_request(2, 1);
        ASSERT_TRUE(req.has_value());
        EXPECT_EQ(req->caption, "Row: 3   Col.(0 to x): 1");
        EXPECT_EQ(req->prompt, "\r\nHelp 1");
        EXPECT_EQ(req->text, m.cell_text(2, 1));
        edited_row_key = m.cell_text(2, 0);
        m.set_cell(2, 1, ui.input_box(req->caption, req->prompt, req->text));
        EXPECT_EQ(m.cell_text(2, 1), "edited");
    };

    EXPECT_EQ(qv::debug_virtlist_ctrl(ui, direction, {}, "Example", t.data, t.heads, t.helps, sort_spec, change_spec),
              3003);
    EXPECT_EQ(sort_spec, "+1:-2,S,,,S,");
    EXPECT_EQ(change_spec, ",M,,M,");
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(ui.common_control_flags, std::vector<int>{256});
    ASSERT_EQ(ui.lists.size(), 1u);
    ASSERT_EQ(ui.inputs.size(), 1u);

    // Closing sort: descending on column 2; the array holds the same rows in that order.
    auto rows = t.rows();
    expect_sorted(rows, 2, false);
    EXPECT_EQ(direction, -1);
    for (auto& r : rows)
        if (r[0] == edited_row_key) {
            EXPECT_EQ(r[1], "edited");
            for (auto& o : original)
                if (o[0] == edited_row_key) r[1] = o[1];
        }
    std::sort(rows.begin(), rows.end());
    std::sort(original.begin(), original.end());
    EXPECT_EQ(rows, original);
}

struct OrderCase {
    const char* sort_spec;
    int column;  // -1: rows stay in their order
    bool ascending;
};

TEST(DebugVirtListCtrl, OpeningAndClosingSortDecideTheWrittenOrder) {
    const OrderCase cases[] = {
        {"+1:-2", 2, false}, {"2:", 2, true},  {"-2:", 2, false}, {":3", 3, true},   {":-3", 3, false},
        {":", -1, true},     {"9:", -1, true}, {":-9", -1, true}, {"-4:+1", 1, true}, {"1-:", 1, false},
        {"-1+:", 1, true},   {"x:", 0, true},  {"-2.6:", 3, false},
    };
    for (const auto& c : cases) {
        Table t = example_table();
        const auto original = t.rows();
        ScriptedUi ui;
        int32_t direction = 0;
        std::string sort_spec = c.sort_spec, change_spec;
        EXPECT_EQ(qv::debug_virtlist_ctrl(ui, direction, {}, "T", t.data, t.heads, t.helps, sort_spec, change_spec),
                  3003)
            << c.sort_spec;
        if (c.column < 0)
            EXPECT_EQ(t.rows(), original) << c.sort_spec;
        else
            expect_sorted(t.rows(), size_t(c.column), c.ascending);
    }
}

TEST(DebugVirtListCtrl, WriteBackRunsEvenWhenTheWindowFails) {
    Table t = example_table();
    ScriptedUi ui;
    ui.list_handle = 0;
    int32_t direction = 0;
    std::string sort_spec = "-3:", change_spec;
    EXPECT_EQ(qv::debug_virtlist_ctrl(ui, direction, {}, "T", t.data, t.heads, t.helps, sort_spec, change_spec), 0);
    expect_sorted(t.rows(), 3, false);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Error to create Dialog");
    EXPECT_EQ(ui.boxes[0].title, "Function DebugVirtListCtrl");
}

TEST(DebugVirtListCtrl, HeaderClicksWithoutOpeningSortFollowTheSwitch) {
    for (int32_t start : {0, -1, 5}) {
        Table t = example_table();
        ScriptedUi ui;
        int32_t direction = start;
        std::string sort_spec = ":,S", change_spec;
        ui.on_list = [&](VirtualList& m, ScriptedUi::ListShown&) {
            ASSERT_TRUE(m.sortable(0));
            m.sort(0);
            expect_sorted(split_rows(m.rows()), 0, start != 0);
            m.sort(0);
            expect_sorted(split_rows(m.rows()), 0, start == 0);
        };
        qv::debug_virtlist_ctrl(ui, direction, {}, "T", t.data, t.heads, t.helps, sort_spec, change_spec);
        EXPECT_EQ(direction, start == 0 ? 0 : -1);
    }
}

struct FlagCase {
    const char* sort_spec;
    const char* change_spec;
    int32_t columns;
    std::vector<bool> sortable, changeable;
};

TEST(DebugVirtListCtrl, SortableAndChangeableFlags) {
    const FlagCase cases[] = {
        {"+1:-2,s,,,s,", ",m,,m,", 5, {1, 0, 0, 1, 0}, {0, 1, 0, 1, 0}},
        {":,s,,,s,", "m,m,m,m,m,m,m", 3, {1, 0, 0}, {1, 1, 1}},
        {":,S", "", 5, {1, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
        {":,S,S", " m,mm,M ", 2, {1, 1}, {0, 0, 0}},
        {":,S", "M", 1, {0}, {1}},  // a single-column list has no sortable column
        {":,s,s,s,s,s,s,s", "", 3, {1, 1, 1}, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        Table t(1, 2, 1, c.columns, 0, c.columns - 1);
        ScriptedUi ui;
        int32_t direction = 0;
        std::string sort_spec = c.sort_spec, change_spec = c.change_spec;
        ui.on_list = [&](VirtualList& m, ScriptedUi::ListShown&) {
            for (int32_t col = 0; col < c.columns; ++col) {
                EXPECT_EQ(m.sortable(col), c.sortable[size_t(col)]) << c.sort_spec << " col " << col;
                EXPECT_EQ(m.changeable(col), c.changeable[size_t(col)]) << c.change_spec << " col " << col;
            }
            EXPECT_FALSE(m.sortable(c.columns));
            EXPECT_FALSE(m.changeable(c.columns));
        };
        qv::debug_virtlist_ctrl(ui, direction, {}, "T", t.data, t.heads, t.helps, sort_spec, change_spec);
        EXPECT_EQ(ui.lists.size(), 1u);
    }
}

// Records writes so that a write outside the bounds shows.
class RecordingArray : public qv::StringArray {
public:
    RecordingArray(int32_t lb1, int32_t ub1, int32_t lb2, int32_t ub2) : a_(lb1, ub1, lb2, ub2) {}
    bool dimensioned() const override { return true; }
    int32_t lbound(int d) const override { return a_.lbound(d); }
    int32_t ubound(int d) const override { return a_.ubound(d); }
    std::string get(int32_t i, int32_t j) const override { return a_.get(i, j); }
    void set(int32_t i, int32_t j, const std::string& v) override {
        if (i < lbound(1) || i > ubound(1) || j < lbound(2) || j > ubound(2)) ++outside;
        a_.set(i, j, v);
    }
    int outside = 0;

private:
    OwnedStringArray a_;
};

TEST(DebugVirtListCtrl, CellWithTabShiftsTheRowWithinItsColumns) {
    for (bool tab_first : {true, false}) {
        RecordingArray data(1, 2, 0, 2);
        const int32_t tab_row = tab_first ? 1 : 2, plain_row = tab_first ? 2 : 1;
        data.set(tab_row, 0, "a\tb");
        data.set(tab_row, 1, "c");
        data.set(tab_row, 2, "d");
        data.set(plain_row, 0, "x");
        data.set(plain_row, 1, "y");
        data.set(plain_row, 2, "z");
        OwnedStringArray heads(0, 2), helps(0, 2);
        ScriptedUi ui;
        int32_t direction = 0;
        std::string sort_spec = ":", change_spec;
        ui.on_list = [&](VirtualList& m, ScriptedUi::ListShown&) {
            const int32_t item = tab_row - 1;
            EXPECT_EQ(m.cell_text(item, 0), "a");
            EXPECT_EQ(m.cell_text(item, 1), "b");
            EXPECT_EQ(m.cell_text(item, 2), "c");
        };
        qv::debug_virtlist_ctrl(ui, direction, {}, "T", data, heads, helps, sort_spec, change_spec);
        EXPECT_EQ(data.outside, 0);
        EXPECT_EQ(data.get(tab_row, 0), "a");
        EXPECT_EQ(data.get(tab_row, 1), "b");
        EXPECT_EQ(data.get(tab_row, 2), "c");
        EXPECT_EQ(data.get(plain_row, 0), "x");
        EXPECT_EQ(data.get(plain_row, 1), "y");
        EXPECT_EQ(data.get(plain_row, 2), "z");
    }
}

TEST(DebugVirtListCtrl, HeadersAreCutTo69Characters) {
    Table t(0, 1, 0, 1, 0, 1);
    t.heads.set(0, 0, std::string(100, 'h'));
    ScriptedUi ui;
    int32_t direction = 0;
    std::string sort_spec = ":", change_spec;
    qv::debug_virtlist_ctrl(ui, direction, {}, "T", t.data, t.heads, t.helps, sort_spec, change_spec);
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_EQ(ui.lists[0].headers, (std::vector<std::string>{std::string(69, 'h'), "Head 1"}));
}

struct ErrorCase {
    int32_t head_lb, head_ub, help_lb, help_ub;
    const char* sort_spec;
    const char* box;
    const char* sort_spec_after;
};

TEST(DebugVirtListCtrl, ArgumentErrorsShowABoxAndLeaveTheArray) {
    const char* heads_box = "Attention!!\r\nMinimun column of Headers must be 0";
    const char* helps_box = "Attention!!\r\nArrays ColnHead$() and ColnHelp$() must have equal subscrits";
    const char* sort_box = "Attention!!\r\nMinimun request for ColnSortInOut \"  :(full stop) ,...";
    const ErrorCase cases[] = {
        {1, 4, 1, 4, "1:", heads_box, "1:"},
        {0, 4, 0, 3, "1:", helps_box, "1:"},
        {0, 4, 1, 4, "1:", helps_box, "1:"},
        {0, 4, 0, 4, "", sort_box, ""},
        {0, 4, 0, 4, "1", sort_box, "1"},
        {0, 4, 0, 4, ",s:", sort_box, ",S:"},
        {0, 4, 0, 4, "x,s", sort_box, "X,S"},
    };
    for (const auto& c : cases) {
        Table t = example_table();
        const auto original = t.rows();
        OwnedStringArray heads(c.head_lb, c.head_ub), helps(c.help_lb, c.help_ub);
        ScriptedUi ui;
        int32_t direction = 0;
        std::string sort_spec = c.sort_spec, change_spec = "m,m";
        EXPECT_EQ(qv::debug_virtlist_ctrl(ui, direction, {}, "T", t.data, heads, helps, sort_spec, change_spec), 0);
        ASSERT_EQ(ui.boxes.size(), 1u) << c.box;
        EXPECT_EQ(ui.boxes[0].text, c.box);
        EXPECT_EQ(ui.boxes[0].title, kTitle);
        EXPECT_TRUE(ui.lists.empty());
        EXPECT_EQ(sort_spec, c.sort_spec_after);
        EXPECT_EQ(change_spec, "m,m");
        EXPECT_EQ(t.rows(), original);
        EXPECT_EQ(direction, 0);
    }
}

TEST(DebugVirtListCtrl, CommonControlsBelow47EndTheCall) {
    const struct { long double version; bool shown; } cases[] = {
        {4.0L, false}, {4.69L, false}, {4.0L + 70 / 100.0L, true}, {4.71L, true}, {6.0L, true},
    };
    for (const auto& c : cases) {
        Table t = example_table();
        const auto original = t.rows();
        ScriptedUi ui;
        ui.comctl_version = c.version;
        int32_t direction = 0;
        std::string sort_spec = "1:", change_spec = "m";
        const int32_t r =
            qv::debug_virtlist_ctrl(ui, direction, {}, "T", t.data, t.heads, t.helps, sort_spec, change_spec);
        EXPECT_EQ(r, c.shown ? 3003 : 0) << double(c.version);
        EXPECT_EQ(ui.lists.size(), c.shown ? 1u : 0u);
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(ui.common_control_flags, std::vector<int>{256});
        if (!c.shown) {
            EXPECT_EQ(sort_spec, "1:");
            EXPECT_EQ(change_spec, "m");
            EXPECT_EQ(t.rows(), original);
        }
    }
}

TEST(DebugVirtListCtrl, EmptyDataAndNoColumns) {
    // An array without rows and a header array without columns still open and close cleanly.
    Table t(1, 0, 0, 2, 0, -1);
    ScriptedUi ui;
    int32_t direction = 0;
    std::string sort_spec = "0:0,S", change_spec = "M";
    ui.on_list = [&](VirtualList& m, ScriptedUi::ListShown& shown) {
        EXPECT_EQ(m.row_count(), 0);
        EXPECT_EQ(m.column_count(), 0);
        EXPECT_TRUE(shown.headers.empty());
        EXPECT_FALSE(m.edit_request(0, 0).has_value());
        m.sort(0);
    };
    EXPECT_EQ(qv::debug_virtlist_ctrl(ui, direction, {}, "T", t.data, t.heads, t.helps, sort_spec, change_spec), 3003);
}

}  // namespace
