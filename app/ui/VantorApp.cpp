#include "app/ui/VantorApp.h"

#include "app/VantorCore.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/MainFrame.h"
#include "app/ui/VantorView.h"
#include "base/ui/FileChooser.h"
#include "base/ui/UiText.h"

CVantorApp::CVantorApp(const std::string& settingsPath) : settings_(settingsPath) {
    settings_.Load();
    CFileChooser::SetFolderStore(&settings_);
    for (int i = 0; i < MonitorCount; ++i)
        monitorTitles_[i] = FromCoreText(MonitorTable[i].title);
}

// Members go in reverse order: the frame, whose view ends the workers, before
// the document and the settings they use.
CVantorApp::~CVantorApp() {
    mainFrame_.reset();
    CFileChooser::SetFolderStore(nullptr);
}

void CVantorApp::InitInstance() {
    mainFrame_ = std::make_unique<CMainFrame>(settings_, doc_);
    connect(mainFrame_.get(), &CMainFrame::AboutRequested, this, &CVantorApp::OnAppAbout);
    mainFrame_->show();
}

bool CVantorApp::SaveMonitorPlacement(const QString& title, const WindowRect& rect) {
    if (!mainFrame_)
        return false;
    return ::SaveMonitorPlacement(settings_, mainFrame_->View().Core().MonitorFlags(),
                                  ToCoreText(title), rect);
}

void CVantorApp::OnAppAbout() {
    CAboutDlg about(mainFrame_.get());
    about.exec();
}
