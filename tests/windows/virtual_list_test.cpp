// The virtual list window (DEBUGVIRTLISTCTRL) driven by a person: the example program's table,
// its header clicks, a cell edit through the input box, Enter and Esc, and what the caller's
// array and specification strings hold afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "client_steps.h"
#include "harness.h"
#include "quorvale_client.h"

namespace {

using namespace qvkit;
using namespace qvs;

using Row = std::vector<std::string>;

constexpr int32_t kFirstRow = -3, kLastRow = 10, kColumns = 5;
constexpr int kRows = kLastRow - kFirstRow + 1;

// Distinct texts per column, each column in another order: column c of row i (from 0) holds
// its letter and (i * step) mod 14, two digits. Column 0 ("S00" ...) names the row.
std::string initial_cell(int32_t r, int c) {
    static const int kStep[kColumns] = {1, 5, 3, 11, 9};
    char buf[8];
    std::snprintf(buf, sizeof buf, "%c%02d", "SABCD"[c], ((r - kFirstRow) * kStep[c]) % kRows);
    return buf;
}

std::vector<Row> initial_rows() {
    std::vector<Row> rows;
    for (int32_t r = kFirstRow; r <= kLastRow; ++r) {
        Row row;
        for (int c = 0; c < kColumns; ++c) row.push_back(initial_cell(r, c));
        rows.push_back(row);
    }
    return rows;
}

// The texts are capitals and digits with distinct keys, so byte order is the list's order.
std::vector<Row> sorted(std::vector<Row> rows, int col, bool ascending) {
    std::sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return ascending ? a[size_t(col)] < b[size_t(col)] : a[size_t(col)] > b[size_t(col)];
    });
    return rows;
}

std::vector<Row> list_rows(HWND lv) {
    std::vector<Row> rows;
    for (int i = 0, n = qvh::lv_count(lv); i < n; ++i) rows.push_back(qvh::lv_row(lv, i));
    return rows;
}

std::string show(const std::vector<Row>& rows) {
    std::string out;
    for (const Row& r : rows) {
        out += "\n  ";
        for (const std::string& c : r) out += c + " | ";
    }
    return out;
}

const char* const kHeads[kColumns] = {"^Seq.", "<Column 1", "Column 2", "<^Column 3", "Column 4"};

std::string help_of(int c) { return "Help of column " + std::to_string(c) + "\r\nany text"; }

struct ExampleTable {
    StringArray data{{{kFirstRow, kLastRow}, {0, kColumns - 1}}};
    StringArray heads{{{0, kColumns - 1}}};
    StringArray helps{{{0, kColumns - 1}}};
    ExampleTable() {
        for (int32_t r = kFirstRow; r <= kLastRow; ++r)
            for (int c = 0; c < kColumns; ++c) data.set({r, c}, initial_cell(r, c));
        for (int c = 0; c < kColumns; ++c) {
            heads.set({c}, kHeads[c]);
            helps.set({c}, help_of(c));
        }
    }
    std::vector<Row> rows() const {
        std::vector<Row> out;
        for (int32_t r = kFirstRow; r <= kLastRow; ++r) {
            Row row;
            for (int c = 0; c < kColumns; ++c) row.push_back(data.get({r, c}));
            out.push_back(row);
        }
        return out;
    }
};

// What the person saw, step by step.
struct Seen {
    std::vector<Row> opened, after_column3, after_column1, after_column0;
    std::vector<std::string> headers;
    std::string caption, box_caption, box_prompt, box_text, edited_cell;
    std::string edited_seq;  // column 0 of the edited row
    bool open_after_enter = false;
};

TEST(VirtualList, ExampleTableSortsEditsAndComesBackSorted) {
    ExampleTable t;
    DynStr caption("Example table"), sort_spec("+1:-2,s,,,s,"), change_spec(",m,,m,");
    const std::string typed = "Typed by hand";
    constexpr int kEditRow = 2;  // third row of the list as shown
    Seen seen;
    int32_t result = qvh::with_person(
        [&] {
            HWND w = qvh::must_find("Example table", qvh::Match::Prefix);
            if (!w) return;
            seen.caption = qvh::window_text(w);
            HWND lv = qvh::child_by_class(w, "SysListView32");
            ASSERT_TRUE(lv) << "no list in the window";
            for (int c = 0; c < qvh::lv_column_count(lv); ++c) seen.headers.push_back(qvh::lv_column_text(lv, c));
            seen.opened = list_rows(lv);

            // Enter first: its command is handled before the header click below is.
            press_key(lv, VK_RETURN);
            const std::vector<Row> desc3 = sorted(seen.opened, 3, false);
            qvh::lv_click_header(lv, 3);
            eventually([&] { return list_rows(lv) == desc3; });
            seen.after_column3 = list_rows(lv);
            seen.open_after_enter = IsWindow(w) && IsWindowVisible(w);

            // Column 1 is not sortable; the double-click after it shows it was handled.
            qvh::lv_click_header(lv, 1);
            if (seen.after_column3.size() > size_t(kEditRow)) seen.edited_seq = seen.after_column3[kEditRow][0];
            qvh::lv_double_click(lv, kEditRow, 1);
            HWND box = qvh::must_find("Row:", qvh::Match::Prefix);
            seen.after_column1 = list_rows(lv);
            if (!box) {
                press_key(lv, VK_ESCAPE);
                return;
            }
            seen.box_caption = qvh::window_text(box);
            seen.box_prompt = qvh::get_text(box, 102);
            seen.box_text = qvh::get_text(box, 101);
            qvh::set_text(box, 101, typed);
            qvh::click_button(box, "OK");
            EXPECT_TRUE(qvh::wait_gone(box));
            eventually([&] { return qvh::lv_text(lv, kEditRow, 1) == typed; });
            seen.edited_cell = qvh::lv_text(lv, kEditRow, 1);

            // Column 0 now sorts ascending: header clicks alternate after the descending one.
            const std::vector<Row> asc0 = sorted(list_rows(lv), 0, true);
            qvh::lv_click_header(lv, 0);
            eventually([&] { return list_rows(lv) == asc0; });
            seen.after_column0 = list_rows(lv);

            press_key(lv, VK_ESCAPE);
            EXPECT_TRUE(qvh::wait_gone(w)) << "Esc closes the window";
        },
        [&] {
            return DEBUGVIRTLISTCTRL(caption.ref(), t.data.desc(), t.heads.desc(), t.helps.desc(), sort_spec.ref(),
                                     change_spec.ref());
        });

    const std::vector<Row> initial = initial_rows();
    EXPECT_EQ(seen.caption, "Example table" + std::string(20, ' ') + "Esc=End");
    EXPECT_EQ(seen.headers, std::vector<std::string>(kHeads, kHeads + kColumns));
    EXPECT_EQ(seen.opened, sorted(initial, 1, true)) << "opens sorted ascending on column 1:" << show(seen.opened);
    EXPECT_TRUE(seen.open_after_enter) << "Enter must not close the window";
    EXPECT_EQ(seen.after_column3, sorted(initial, 3, false))
        << "a click on column 3's header sorts descending:" << show(seen.after_column3);
    EXPECT_EQ(seen.after_column1, seen.after_column3)
        << "a click on column 1's header changes nothing:" << show(seen.after_column1);

    ASSERT_FALSE(seen.edited_seq.empty());
    std::vector<Row> edited = initial;
    std::string old_text;
    for (Row& r : edited)
        if (r[0] == seen.edited_seq) old_text = std::exchange(r[1], typed);
    EXPECT_EQ(seen.box_caption, "Row: " + std::to_string(kEditRow + 1) + "   Col.(0 to x): 1");
    EXPECT_EQ(seen.box_prompt, "\r\n" + help_of(1));
    EXPECT_EQ(seen.box_text, old_text) << "the edit field starts with the cell's text";
    EXPECT_EQ(seen.edited_cell, typed) << "the typed text shows in the cell";
    EXPECT_EQ(seen.after_column0, sorted(edited, 0, true))
        << "a second sorting click sorts ascending:" << show(seen.after_column0);

    EXPECT_NE(result, 0);
    EXPECT_EQ(t.rows(), sorted(edited, 2, false))
        << "the array comes back sorted descending on column 2, with the edit:" << show(t.rows());
    EXPECT_EQ(sort_spec.str(), "+1:-2,S,,,S,");
    EXPECT_EQ(change_spec.str(), ",M,,M,");
}

// Without an opening or a closing sort the rows keep their order; the close box ends the
// window as Esc does.
TEST(VirtualList, ColonAloneNeitherSortsNorResortsAndTheCloseBoxCloses) {
    ExampleTable t;
    DynStr caption("Unsorted table"), sort_spec(":,s,,,s,"), change_spec("");
    std::vector<Row> shown;
    int32_t r = qvh::with_person(
        [&] {
            HWND w = qvh::must_find("Unsorted table", qvh::Match::Prefix);
            if (!w) return;
            if (HWND lv = qvh::child_by_class(w, "SysListView32")) shown = list_rows(lv);
            qvh::close_window(w);
            EXPECT_TRUE(qvh::wait_gone(w)) << "the close box closes the window";
        },
        [&] {
            return DEBUGVIRTLISTCTRL(caption.ref(), t.data.desc(), t.heads.desc(), t.helps.desc(), sort_spec.ref(),
                                     change_spec.ref());
        });
    EXPECT_NE(r, 0);
    EXPECT_EQ(shown, initial_rows());
    EXPECT_EQ(t.rows(), initial_rows());
    EXPECT_EQ(sort_spec.str(), ":,S,,,S,");
}

// Cancel in the cell's input box leaves the cell as it was (an answer is taken with OK only).
TEST(VirtualList, CancelKeepsTheCell) {
    ExampleTable t;
    DynStr caption("Cancel table"), sort_spec(":"), change_spec(",m");
    std::string before, after;
    int32_t r = qvh::with_person(
        [&] {
            HWND w = qvh::must_find("Cancel table", qvh::Match::Prefix);
            if (!w) return;
            HWND lv = qvh::child_by_class(w, "SysListView32");
            if (!lv) return;
            before = qvh::lv_text(lv, 2, 1);
            qvh::lv_double_click(lv, 2, 1);
            HWND box = qvh::must_find("Row:", qvh::Match::Prefix);
            if (!box) return;
            qvh::set_text(box, 101, "typed but cancelled");
            qvh::click_button(box, "CANCEL");
            EXPECT_TRUE(qvh::wait_gone(box));
            after = qvh::lv_text(lv, 2, 1);
            qvh::press_escape(w);
        },
        [&] {
            return DEBUGVIRTLISTCTRL(caption.ref(), t.data.desc(), t.heads.desc(), t.helps.desc(), sort_spec.ref(),
                                     change_spec.ref());
        });
    EXPECT_NE(r, 0);
    EXPECT_EQ(after, before);
    EXPECT_EQ(t.rows(), initial_rows());
}

// Specifications and header arrays that the export refuses: a message box, result 0, and the
// caller's rows untouched.
TEST(VirtualList, RefusedCallsShowAMessageBoxAndLeaveTheArray) {
    struct Case {
        const char* name;
        const char* sort_spec;
        int32_t head_lower, help_upper;
        const char* message;
    };
    const Case cases[] = {
        {"empty sort specification", "", 0, kColumns - 1,
         "Attention!!\r\nMinimun request for ColnSortInOut \"  :(full stop) ,..."},
        {"no colon", "1,s", 0, kColumns - 1, "Attention!!\r\nMinimun request for ColnSortInOut \"  :(full stop) ,..."},
        {"headers from 1", "+1:-2", 1, kColumns - 1, "Attention!!\r\nMinimun column of Headers must be 0"},
        {"help of other bounds", "+1:-2", 0, kColumns - 2,
         "Attention!!\r\nArrays ColnHead$() and ColnHelp$() must have equal subscrits"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExampleTable t;
        StringArray heads({{c.head_lower, kColumns - 1}}), helps({{c.head_lower, c.help_upper}});
        DynStr caption("Refused table"), sort_spec(c.sort_spec), change_spec(",m");
        std::string box_text;
        int32_t r = qvh::with_person(
            [&] {
                HWND box = qvh::must_find("Function DebugVirtListCtrl");
                if (!box) return;
                if (HWND text = GetDlgItem(box, 0xFFFF)) box_text = qvh::get_text(text);
                qvh::click_button(box, "OK");
                EXPECT_TRUE(qvh::wait_gone(box));
            },
            [&] {
                return DEBUGVIRTLISTCTRL(caption.ref(), t.data.desc(), heads.desc(), helps.desc(), sort_spec.ref(),
                                         change_spec.ref());
            });
        EXPECT_EQ(r, 0);
        EXPECT_EQ(box_text, c.message);
        EXPECT_EQ(t.rows(), initial_rows());
        EXPECT_TRUE(qvh::top_windows("Refused table", qvh::Match::Prefix).empty());
    }
}

}  // namespace
