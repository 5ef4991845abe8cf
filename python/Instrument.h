#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/VantorCore.h"
#include "base/SettingsStore.h"
#include "python/PythonUi.h"

class CLogRows;

namespace pybind11 {
class module_;
}

// tundrix.Instrument: one instrument's link and the operations over it, as
// tundrix-cli runs them with the dialogs answered by the call's arguments.
// Every call that waits on the instrument releases the GIL.
class CInstrument {
public:
    // Around each call: the boxes of earlier calls are forgotten, and the
    // log goes to Python at the end.
    class CCall {
    public:
        explicit CCall(CInstrument& instrument);
        ~CCall();
        CCall(const CCall&) = delete;
        CCall& operator=(const CCall&) = delete;

    private:
        CPythonUi& ui_;
    };

    // Opens the port of `resource` (a resource string), else the settings'
    // one; raises RefusedError for a resource that names no port and
    // LinkError when a LAN instrument does not connect.
    CInstrument(const std::optional<std::string>& resource,
                const std::optional<std::string>& settingsPath);
    ~CInstrument();
    CInstrument(const CInstrument&) = delete;
    CInstrument& operator=(const CInstrument&) = delete;

    // The core, for the operations; raises ValueError once closed.
    CVantorCore& Core();
    CPythonUi& Ui() { return ui_; }
    // Ends a data logging run still going (its trailer written), then the link.
    void Close();
    bool IsClosed() const { return !core_; }
    // The run of Instrument.log while it goes; Close finishes it first.
    void SetActiveLog(CLogRows* rows) { activeLog_ = rows; }
    // "*IDN?" and the features, as Connect does; raises LinkError "No Device".
    void Identify();

private:
    CSettingsStore settings_;
    CPythonUi ui_;
    std::unique_ptr<CVantorCore> core_;
    CLogRows* activeLog_ = nullptr;
};

// Adds tundrix.Instrument and tundrix.open to the module.
void RegisterInstrument(pybind11::module_& module);
