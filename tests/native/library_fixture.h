// A fresh library with a scripted user, working in a private temporary directory.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/library.h"
#include "scripted_ui.h"

namespace qv::test {

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("qv_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        lib.first_call_init();
        // Most tests are about output, not stops: answer every Attention window with Continue.
        ui.on_attention = [](const ScriptedUi::Attention&) { return 0; };
    }
    void TearDown() override {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }

    int32_t debugl(std::string options, const std::string& label, const std::string& message) {
        return lib.debugl(options, label, message);
    }
    static std::string read_file(const std::filesystem::path& p) {
        std::ifstream f(p, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    const FlowRecord& row(int32_t i) { return lib.state().flow.record(i); }
    std::string winmsg() const { return lib.state().winmsg_text; }

    ScriptedUi ui;
    Library lib{ui};
    std::filesystem::path dir_, old_;
};

}  // namespace qv::test
