#include "app/ShortcutBarState.h"

CShortcutBarState::CShortcutBarState() {
    state_.enabled[static_cast<int>(ShortcutButton::CalGen)] = true;
    state_.enabled[static_cast<int>(ShortcutButton::Connect)] = true;
}

void CShortcutBarState::SetStatus(int status) {
    static constexpr const char* Texts[] = {"Connected", "Not Connected", "Error"};
    {
        std::lock_guard lock(mutex_);
        if (status < StatusConnected || status > StatusError)
            return;
        state_.status = status;
        state_.statusText = Texts[status];
    }
    Changed();
}

void CShortcutBarState::SetModelText(std::string_view model, std::string_view version) {
    {
        std::lock_guard lock(mutex_);
        state_.modelText = std::string(model);
        state_.versionText = std::string(version);
    }
    Changed();
}

void CShortcutBarState::SetSharing(std::optional<int> clients, bool readOnly) {
    {
        std::lock_guard lock(mutex_);
        state_.sharedText = !clients ? std::string()
                                     : std::string(readOnly ? "Shared read-only: " : "Shared: ") +
                                           std::to_string(*clients) +
                                           (*clients == 1 ? " client" : " clients");
    }
    Changed();
}

void CShortcutBarState::SetCommType(int portType) {
    {
        std::lock_guard lock(mutex_);
        switch (portType) {
        case 0:
            state_.commType = "RS232";
            break;
        case 2:
            state_.commType = "GPIB";
            break;
        case 3:
            state_.commType = "LAN";
            break;
        default:
            return;
        }
    }
    Changed();
}

void CShortcutBarState::ResetButtons() {
    {
        std::lock_guard lock(mutex_);
        for (ShortcutButton b :
             {ShortcutButton::PidDownload, ShortcutButton::Interact, ShortcutButton::CurveDownload,
              ShortcutButton::DataLogging, ShortcutButton::UploadDataLog})
            state_.enabled[static_cast<int>(b)] = false;
        state_.modelText = "No Device";
        state_.versionText.clear();
        state_.featuresApplied = false;
    }
    Changed();
}

void CShortcutBarState::EnableButton(ShortcutButton button, bool enabled) {
    {
        std::lock_guard lock(mutex_);
        state_.enabled[static_cast<int>(button)] = enabled;
    }
    Changed();
}

CShortcutBarState::Snapshot CShortcutBarState::Get() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void CShortcutBarState::SetListener(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void CShortcutBarState::Changed() {
    std::function<void()> listener;
    {
        std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (listener)
        listener();
}

void CShortcutBarState::FeaturesApplied(const FeatureRow& row) {
    {
        std::lock_guard lock(mutex_);
        state_.featuresApplied = true;
    }
    EnableButton(ShortcutButton::PidDownload, row.modelClass == 2);
    EnableButton(ShortcutButton::UploadDataLog, row.modelClass != 0);
    EnableButton(ShortcutButton::CurveDownload, true);
    EnableButton(ShortcutButton::DataLogging, true);
    EnableButton(ShortcutButton::Interact, true);
}
