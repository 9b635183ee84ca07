// Library entry point: the one library instance of the process and its windows.
#include <windows.h>

#include <stdexcept>

#include "core/library.h"
#include "win32/ui_win32.h"

namespace qv::win32 {

namespace {

// The windows need the events sink at construction and the library needs the windows, so the
// windows talk to the library through this relay. Window procedures call it, so nothing may
// escape from it into the system's dispatch code.
class EventRelay final : public UiEvents {
public:
    UiEvents* target = nullptr;
    void on_attention_flow_table() override {
        try {
            if (target) target->on_attention_flow_table();
        } catch (...) {
        }
    }
    void on_flow_access_table() override {
        try {
            if (target) target->on_flow_access_table();
        } catch (...) {
        }
    }
    void on_flow_access_master_dog() override {
        try {
            if (target) target->on_flow_access_master_dog();
        } catch (...) {
        }
    }
    void on_flow_access_destroyed() override {
        try {
            if (target) target->on_flow_access_destroyed();
        } catch (...) {
        }
    }
};

struct Instance {
    explicit Instance(HINSTANCE module) : ui(module, relay), library(ui) { relay.target = &library; }
    EventRelay relay;
    Win32Ui ui;
    Library library;
};

// Created on process attach and never destroyed: the state lives until the process ends, and
// nothing is torn down while the process is unloading.
Instance* g_instance = nullptr;

}  // namespace

Library& lib() {
    if (!g_instance) throw std::runtime_error("library not initialised");
    return g_instance->library;
}

}  // namespace qv::win32

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH || qv::win32::g_instance) return TRUE;
    try {
        auto* instance = new qv::win32::Instance(module);
        qv::win32::g_instance = instance;
        instance->library.first_call_init();
    } catch (...) {
        // Loading still succeeds; without an instance the exports answer with their failure
        // values instead of taking the client down.
    }
    return TRUE;
}
