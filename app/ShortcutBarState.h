#pragma once

#include <array>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "comm/ConnectionStatus.h"
#include "comm/FeatureTable.h"

// The buttons, top to bottom.
enum class ShortcutButton : int {
    CurveDownload,
    PidDownload,
    Interact,
    CalGen,
    DataLogging,
    UploadDataLog,
    Connect,
};
inline constexpr int ShortcutButtonCount = 7;

// What the shortcut bar shows: transport, status with its lamp, model and
// version texts, and which buttons are enabled. The core sets it (Connect, port
// changes, lost connections); the bar's window draws it and is told of every
// change. CalGen and Connect are always enabled.
class CShortcutBarState : public IFeatureListener {
public:
    struct Snapshot {
        std::string commType;
        std::string statusText = "Not Connected";
        int status = StatusNotConnected;
        std::string modelText = "No Device";
        std::string versionText;
        // "" unless the instrument is shared: "Shared: 2 clients".
        std::string sharedText;
        std::array<bool, ShortcutButtonCount> enabled{};
        // An identified instrument's features enable the buttons; without one
        // a disabled button waits for Connect, with one its model lacks the feature.
        bool featuresApplied = false;
    };

    CShortcutBarState();

    void SetStatus(int status);
    void SetModelText(std::string_view model, std::string_view version);
    // Any port type other than 0, 2 and 3 changes nothing.
    void SetCommType(int portType);
    void ResetButtons();
    // While the instrument is shared (`clients` given): how, and with how many.
    void SetSharing(std::optional<int> clients, bool readOnly);
    void EnableButton(ShortcutButton button, bool enabled);

    // The model-dependent buttons follow the feature table.
    void FeaturesApplied(const FeatureRow& row) override;
    void FeaturesCleared() override { ResetButtons(); }

    Snapshot Get() const;
    // Called after every change, on the thread that made it.
    void SetListener(std::function<void()> listener);

private:
    void Changed();

    mutable std::mutex mutex_;
    Snapshot state_;
    std::function<void()> listener_;
};
