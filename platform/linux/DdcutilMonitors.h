#pragma once

#include "platform/ExternalMonitors.h"

#include <ddcutil_c_api.h>
#include <memory>
#include <vector>

// DDC/CI brightness through libddcutil 1.x (libddcutil.so.4), loaded with dlopen on the first
// detect(): without the library nothing is detected and nothing else changes, and the library's
// start-up chatter on stdout only happens where monitors are looked for. Only the library's
// types come from its headers; every function is taken with dlsym.
//
// Use it from one thread: libddcutil keeps per-thread state, and its display handles are tied to
// the thread that opened them.
class DdcutilMonitors : public ExternalMonitors
{
public:
    static constexpr int kMaximumMonitors = 10;
    static constexpr DDCA_Vcp_Feature_Code kBrightness = 0x10;

    explicit DdcutilMonitors(const char* libraryName = "libddcutil.so.4");
    ~DdcutilMonitors() override;
    DdcutilMonitors(const DdcutilMonitors&) = delete;
    DdcutilMonitors& operator=(const DdcutilMonitors&) = delete;

    QStringList detect() override;
    Status readBrightness(int index, Brightness& brightness) override;
    Status setBrightness(int index, unsigned value) override;
    QString lastError() const override { return m_lastError; }

    // What a libddcutil status code means to the caller; the mapping is documented at its
    // definition.
    static Status statusOf(DDCA_Status code);

private:
    struct Library;
    class OpenDisplay;

    bool load();
    // Records the failure of `function` with `code` for lastError() and returns its status.
    Status fail(const char* function, DDCA_Status code, int index);
    bool validIndex(int index);

    QByteArray m_libraryName;
    bool m_loadTried = false;
    bool m_detected = false;
    // Declared before the displays: the handles are closed before the library goes.
    std::unique_ptr<Library> m_library;
    std::vector<OpenDisplay> m_displays;
    QString m_lastError;
};
