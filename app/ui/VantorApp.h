#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <string>

#include "app/VantorDoc.h"
#include "base/SettingsStore.h"
#include "base/WindowRect.h"
#include "logging/MonitorTable.h"

class CMainFrame;

// The program object: the settings store, the document, the twelve monitor
// titles and the main frame with its view. Lives for the whole run, after the QApplication.
class CVantorApp : public QObject {
    Q_OBJECT

public:
    // Reads the settings file at once; nothing is shown until InitInstance.
    explicit CVantorApp(const std::string& settingsPath);
    ~CVantorApp() override;

    // Creates the main frame and its view and shows the frame.
    void InitInstance();

    CSettingsStore& Settings() { return settings_; }
    CVantorDoc& Doc() { return doc_; }
    // Null before InitInstance.
    CMainFrame* MainFrame() const { return mainFrame_.get(); }

    // Titles of the monitor windows, index 0..11 in the order of MonitorTable.
    const QString& MonitorTitle(int index) const { return monitorTitles_.at(index); }

    // Remembers a closing monitor's rectangle in the section tied to its title
    // and clears its open flag. A title that is none of the twelve is ignored
    // (false), as is a call before the main frame exists.
    bool SaveMonitorPlacement(const QString& title, const WindowRect& rect);

    // Shows the About box modally.
    void OnAppAbout();

private:
    CSettingsStore settings_;
    CVantorDoc doc_;
    std::array<QString, MonitorCount> monitorTitles_;
    std::unique_ptr<CMainFrame> mainFrame_;
};
