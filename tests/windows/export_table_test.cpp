// The export table as clients see it: QUORVALE.INC (PowerBASIC clients), the C++ client kit
// and quorvale.def must agree with what QUORVALE.DLL exports, name by name and in the bytes of
// arguments each export removes from the stack.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "quorvale_client.h"

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
}

struct Declaration {
    std::string name, lib, alias;
    int arg_bytes = 0;
};

// Bytes one parameter of a DECLARE puts on the stack.
int parameter_bytes(const std::string& param) {
    std::string p = " " + upper(param) + " ";
    if (p.find(" BYVAL ") == std::string::npos) return 4;  // by reference: an address
    if (p.find(" AS VARIANT ") != std::string::npos) return 16;
    for (const char* t : {" AS DOUBLE ", " AS QUAD ", " AS CUR ", " AS CURRENCY ", " AS CUX ", " AS CURRENCYX "})
        if (p.find(t) != std::string::npos) return 8;
    if (p.find(" AS EXT ") != std::string::npos || p.find(" AS EXTENDED ") != std::string::npos) return 12;
    return 4;
}

// The DECLARE statements of a PowerBASIC include file (comments and " _" continuations handled).
std::vector<Declaration> parse_inc(const std::string& text) {
    std::vector<std::string> logical;
    std::string pending;
    for (std::string line : lines_of(text)) {
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            if (line[i] == '\'' && !quoted) { line.resize(i); break; }
        }
        line = trim(line);
        if (upper(line).rfind("REM ", 0) == 0) continue;
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, " _") == 0) {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        logical.push_back(pending + line);
        pending.clear();
    }
    std::vector<Declaration> out;
    for (const std::string& line : logical) {
        std::istringstream words(line);
        std::string declare, kind, name, lib;
        words >> declare >> kind >> name >> lib;
        if (upper(declare) != "DECLARE") continue;
        Declaration d;
        d.name = name;
        auto quoted_after = [&](const std::string& keyword) {
            std::string u = upper(line);
            size_t k = u.find(" " + keyword + " ");
            if (k == std::string::npos) return std::string();
            size_t a = line.find('"', k);
            size_t b = a == std::string::npos ? a : line.find('"', a + 1);
            return b == std::string::npos ? std::string() : line.substr(a + 1, b - a - 1);
        };
        d.lib = quoted_after("LIB");
        d.alias = quoted_after("ALIAS");
        // Parameters: the outermost parentheses after the alias.
        size_t alias_end = line.find('"', line.find('"', upper(line).find(" ALIAS ")) + 1);
        size_t open = line.find('(', alias_end);
        if (open != std::string::npos) {
            int depth = 0;
            std::string param;
            for (size_t i = open; i < line.size(); ++i) {
                char c = line[i];
                if (c == '(' && depth++ == 0) continue;
                if (c == ')' && --depth == 0) break;
                if (c == ',' && depth == 1) {
                    d.arg_bytes += parameter_bytes(param);
                    param.clear();
                    continue;
                }
                param += c;
            }
            if (!trim(param).empty()) d.arg_bytes += parameter_bytes(param);
        }
        out.push_back(d);
    }
    return out;
}

// Export name -> argument bytes from the EXPORTS section of a module-definition file.
std::map<std::string, int> parse_def(const std::string& text) {
    std::map<std::string, int> out;
    bool in_exports = false;
    for (std::string line : lines_of(text)) {
        size_t semi = line.find(';');
        if (semi != std::string::npos) line.resize(semi);
        line = trim(line);
        if (line.empty()) continue;
        std::string first = upper(line.substr(0, line.find_first_of(" \t")));
        if (first == "EXPORTS") { in_exports = true; continue; }
        if (first == "LIBRARY" || first == "NAME" || first == "DESCRIPTION") { in_exports = false; continue; }
        if (!in_exports) continue;
        std::string entry = line.substr(0, line.find_first_of(" \t"));
        size_t eq = entry.find('=');
        std::string exported = entry.substr(0, std::min(entry.find('@'), eq));
        std::string internal = eq == std::string::npos ? entry : entry.substr(eq + 1);
        size_t at = internal.rfind('@');
        out[exported] = at == std::string::npos ? -1 : std::atoi(internal.c_str() + at + 1);
    }
    return out;
}

// Names in the export directory of a loaded module.
std::set<std::string> exported_names(HMODULE m) {
    auto* base = reinterpret_cast<const BYTE*>(m);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> out;
    if (!dir.VirtualAddress) return out;
    auto* exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto* names = reinterpret_cast<const DWORD*>(base + exp->AddressOfNames);
    for (DWORD i = 0; i < exp->NumberOfNames; ++i) out.insert(reinterpret_cast<const char*>(base + names[i]));
    return out;
}

const std::string kSource = QV_SOURCE_DIR;

class ExportTable : public ::testing::Test {
protected:
    void SetUp() override {
        inc_text = read_file(kSource + "\\library\\kit\\QUORVALE.INC");
        def_text = read_file(kSource + "\\library\\win32\\quorvale.def");
        ASSERT_FALSE(inc_text.empty()) << "cannot read QUORVALE.INC under " << kSource;
        ASSERT_FALSE(def_text.empty()) << "cannot read quorvale.def under " << kSource;
        inc = parse_inc(inc_text);
        def = parse_def(def_text);
        dll = GetModuleHandleA("QUORVALE.DLL");
        ASSERT_TRUE(dll) << "QUORVALE.DLL is not loaded";
    }
    std::string inc_text, def_text;
    std::vector<Declaration> inc;
    std::map<std::string, int> def;
    HMODULE dll = nullptr;
};

TEST_F(ExportTable, IncludeFileAndDefinitionFileNameTheSameExports) {
    ASSERT_FALSE(inc.empty());
    std::set<std::string> inc_names, def_names;
    for (const Declaration& d : inc) inc_names.insert(d.alias);
    for (const auto& [name, bytes] : def) def_names.insert(name);
    for (const std::string& n : inc_names) EXPECT_TRUE(def_names.count(n)) << n << " is declared but not in quorvale.def";
    for (const std::string& n : def_names) EXPECT_TRUE(inc_names.count(n)) << n << " is in quorvale.def but not declared";
    EXPECT_EQ(inc_names.size(), inc.size()) << "an export is declared twice";
}

TEST_F(ExportTable, EveryDeclarationIsExportedWithItsArgumentSize) {
    for (const Declaration& d : inc) {
        SCOPED_TRACE(d.name);
        EXPECT_EQ(upper(d.lib), "QUORVALE.DLL");
        EXPECT_EQ(d.alias, upper(d.name)) << "alias is the upper-case name";
        EXPECT_TRUE(GetProcAddress(dll, d.alias.c_str())) << d.alias << " is not exported";
        auto it = def.find(d.alias);
        if (it != def.end()) {
            EXPECT_EQ(d.arg_bytes, it->second) << "argument bytes of " << d.alias;
        }
    }
}

TEST_F(ExportTable, DllExportsExactlyTheUndecoratedNames) {
    std::set<std::string> names = exported_names(dll);
    std::set<std::string> expected;
    for (const auto& [name, bytes] : def) expected.insert(name);
    EXPECT_EQ(names, expected);
}

// Taking the address of an imported function may give the program's import thunk, a
// "jmp [import address table slot]"; follow it to the function.
const void* follow_thunk(const void* f) {
    auto* code = static_cast<const uint8_t*>(f);
    if (code[0] == 0xFF && code[1] == 0x25) {
        const void* const* slot;
        std::memcpy(&slot, code + 2, 4);
        return *slot;
    }
    return f;
}

// Each kit declaration links through the import library by its decorated name (so its argument
// bytes match quorvale.def) and binds to the export of the same name.
TEST_F(ExportTable, KitDeclarationsBindToTheExports) {
    struct Entry { const char* name; const void* address; };
    const Entry kit[] = {
        {"DEBUGL", reinterpret_cast<const void*>(&DEBUGL)},
        {"PUTWINMSG", reinterpret_cast<const void*>(&PUTWINMSG)},
        {"PUTFILELOG", reinterpret_cast<const void*>(&PUTFILELOG)},
        {"SEEMESSAGEBOX", reinterpret_cast<const void*>(&SEEMESSAGEBOX)},
        {"WINDOMESSAGE", reinterpret_cast<const void*>(&WINDOMESSAGE)},
        {"TRADHEX", reinterpret_cast<const void*>(&TRADHEX)},
        {"DEBUGDN", reinterpret_cast<const void*>(&DEBUGDN)},
        {"DEBUGEN", reinterpret_cast<const void*>(&DEBUGEN)},
        {"DEBUGEY", reinterpret_cast<const void*>(&DEBUGEY)},
        {"DEBUGFN", reinterpret_cast<const void*>(&DEBUGFN)},
        {"DEBUGFY", reinterpret_cast<const void*>(&DEBUGFY)},
        {"DEBUGSN", reinterpret_cast<const void*>(&DEBUGSN)},
        {"DEBUGSY", reinterpret_cast<const void*>(&DEBUGSY)},
        {"DEBUGWN", reinterpret_cast<const void*>(&DEBUGWN)},
        {"DEBUGWY", reinterpret_cast<const void*>(&DEBUGWY)},
        {"DEBUGFT", reinterpret_cast<const void*>(&DEBUGFT)},
        {"DEBUGDY", reinterpret_cast<const void*>(&DEBUGDY)},
        {"DEBUGFB", reinterpret_cast<const void*>(&DEBUGFB)},
        {"FLOWACCESSN", reinterpret_cast<const void*>(&FLOWACCESSN)},
        {"FLOWACCESSY", reinterpret_cast<const void*>(&FLOWACCESSY)},
        {"GETMASTERCOUNTER", reinterpret_cast<const void*>(&GETMASTERCOUNTER)},
        {"GETMASTERDOG", reinterpret_cast<const void*>(&GETMASTERDOG)},
        {"GETTOTFLOW", reinterpret_cast<const void*>(&GETTOTFLOW)},
        {"GETTABFLOW", reinterpret_cast<const void*>(&GETTABFLOW)},
        {"SETTABFLOW", reinterpret_cast<const void*>(&SETTABFLOW)},
        {"PULLUPTABFLOW", reinterpret_cast<const void*>(&PULLUPTABFLOW)},
        {"WINDOATTENTION", reinterpret_cast<const void*>(&WINDOATTENTION)},
        {"WINDOFLOWACCESS", reinterpret_cast<const void*>(&WINDOFLOWACCESS)},
        {"GETSYSFILEVER", reinterpret_cast<const void*>(&GETSYSFILEVER)},
        {"INITCOMCTL32", reinterpret_cast<const void*>(&INITCOMCTL32)},
        {"DEBUGVIRTLISTCTRL", reinterpret_cast<const void*>(&DEBUGVIRTLISTCTRL)},
        {"DEBUGVIRTLISTSORT", reinterpret_cast<const void*>(&DEBUGVIRTLISTSORT)},
        {"WINDOVIRTLISTCTRL", reinterpret_cast<const void*>(&WINDOVIRTLISTCTRL)},
    };
    std::set<std::string> declared;
    for (const Declaration& d : inc) declared.insert(d.alias);
    for (const Entry& e : kit) {
        EXPECT_EQ(reinterpret_cast<const void*>(GetProcAddress(dll, e.name)), follow_thunk(e.address)) << e.name;
        EXPECT_TRUE(declared.count(e.name)) << e.name << " is in the kit but not in QUORVALE.INC";
    }
    EXPECT_EQ(std::size(kit), declared.size()) << "the kit and QUORVALE.INC declare different exports";
}

// The parser itself, on the forms the include file uses.
TEST(IncludeParser, CountsArgumentBytes) {
    std::vector<Declaration> d = parse_inc(
        "' comment\r\n"
        "DECLARE FUNCTION A LIB \"X.DLL\" ALIAS \"A\" (Opt AS STRING, L() AS STRING, BYVAL n AS LONG) AS LONG\r\n"
        "DECLARE FUNCTION B LIB \"X.DLL\" ALIAS \"B\" (OPTIONAL BYVAL v AS VARIANT) AS LONG ' trailing\r\n"
        "DECLARE SUB C LIB \"X.DLL\" ALIAS \"C\" ()\r\n"
        "DECLARE FUNCTION D LIB \"X.DLL\" ALIAS \"D\" (BYVAL d AS DOUBLE, _\r\n"
        "    BYVAL s AS STRING) AS EXT\r\n");
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].arg_bytes, 12);
    EXPECT_EQ(d[1].arg_bytes, 16);
    EXPECT_EQ(d[2].arg_bytes, 0);
    EXPECT_EQ(d[3].arg_bytes, 12);
    EXPECT_EQ(d[3].alias, "D");
}

}  // namespace

// ---- the kit's values as the library reads them -------------------------------------------

namespace {

using namespace qvkit;

TEST(KitValues, DescriptorLayoutOfATwoDimensionalStringArray) {
    StringArray a({{-3, 10}, {0, 4}});  // (-3 TO 10, 0 TO 4)
    const auto* raw = reinterpret_cast<const uint8_t*>(a.desc());
    auto word = [&](size_t off) { int32_t v; std::memcpy(&v, raw + off, 4); return v; };
    EXPECT_EQ(uint32_t(word(0)), reinterpret_cast<uintptr_t>(a.bytes()));
    EXPECT_EQ(raw[4] & 0x04, 0x04);
    EXPECT_EQ(raw[5], 1);
    EXPECT_EQ(raw[6], 0x2E);
    EXPECT_EQ(raw[7], 2);
    EXPECT_EQ(word(8), 14 * 5);
    EXPECT_EQ(word(12), 14 * 5 * 4);
    EXPECT_EQ(word(20), 4);
    EXPECT_EQ(word(24), -3);
    EXPECT_EQ(word(28), 10);
    EXPECT_EQ(word(32), 14);  // stride of dimension 2
    EXPECT_EQ(word(36), 0);
    EXPECT_EQ(word(40), 4);
    // First subscript fastest: (s1, s2) lies at (s1 - L1) + N1 * (s2 - L2).
    a.set({-2, 1}, "x");
    EXPECT_EQ(a.texts()[1 + 14 * 1], "x");
}

TEST(KitValues, StringsKeepBytesAndLength) {
    DynStr s(std::string("a\0b\r\n", 5));
    EXPECT_EQ(s.byte_len(), 5u);
    uint32_t prefix;
    std::memcpy(&prefix, s.handle() - 4, 4);
    EXPECT_EQ(prefix, 5u);
    EXPECT_EQ(s.str(), std::string("a\0b\r\n", 5));
    EXPECT_EQ(DynStr("").handle(), nullptr);
    EXPECT_NE(DynStr::zero_length().handle(), nullptr);
}

TEST(KitValues, ExtendedAndCurrencyElements) {
    ExtendedArray e({{1, 2}});
    e.set({2}, PbExtended::from(-2.5L));
    EXPECT_EQ(e.element_size(), 10u);
    EXPECT_EQ(e.get({2}).value(), -2.5L);
    EXPECT_EQ(pb_currency(1.23456L), 12346);
    EXPECT_EQ(pb_currencyx(-0.5L), -50);
}

// The harness drives a modal window of the library: SEEMESSAGEBOX waits for its OK button.
TEST(Harness, PersonPressesOkOfTheLibrarysMessageBox) {
    DynStr text("Harness check text"), title("Harness check");
    std::string seen;
    int32_t r = qvh::with_person(
        [&] {
            HWND box = qvh::must_find("Harness check");
            if (!box) return;
            seen = qvh::window_text(box);
            qvh::click_button(box, "OK");
            EXPECT_TRUE(qvh::wait_gone(box));
        },
        [&] { return SEEMESSAGEBOX(text.ref(), title.ref()); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(seen, "Harness check");
}

}  // namespace
