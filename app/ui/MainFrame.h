#pragma once

#include <QList>
#include <QMainWindow>
#include <functional>

class CSettingsStore;
class CVantorView;
class QMenu;

// The top-level window: the menu bar, a one-pane status bar and the view, at
// the rectangle remembered in section "MAINVIEWPOS".
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static constexpr char PlacementSection[] = "MAINVIEWPOS";

    explicit CMainFrame(CSettingsStore& settings, QWidget* parent = nullptr);

    CVantorView& View() { return *view_; }

    QMenu* CommMenu() const { return commMenu_; }
    QMenu* ViewMenu() const { return viewMenu_; }
    QMenu* HelpMenu() const { return helpMenu_; }

    // Adds a menu command. `enabledWhen`, when given, is asked every time the
    // menu opens, so a command follows the state it depends on. Placed before
    // `before` when given, else at the end.
    QAction* AddCommand(QMenu* menu, const QString& text, std::function<void()> handler,
                        std::function<bool()> enabledWhen = {}, QAction* before = nullptr);

Q_SIGNALS:
    void AboutRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreateStatusBar();
    void RestorePlacement();
    void SavePlacement();
    void UpdateCommands(QMenu* menu);

    CSettingsStore& settings_;
    CVantorView* view_;
    QMenu* commMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QList<QMenu*> menusWithEnablers_;
};
