#pragma once

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <array>
#include <functional>
#include <string_view>

#include "app/CommandRules.h"

class CSettingsStore;
class CVantorDoc;
class CMenuStyle;
class CVantorView;
class QMenu;

// The top-level window: the menus of CommandTable, a one-pane status bar that
// shows the highlighted item's prompt, and the view, at the rectangle
// remembered in section "MAINVIEWPOS".
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static constexpr char PlacementSection[] = "MAINVIEWPOS";

    CMainFrame(CSettingsStore& settings, CVantorDoc& doc, QWidget* parent = nullptr);

    CVantorView& View() { return *view_; }

    QAction* CommandAction(MenuCommand command) const;
    // A menu by its path as CommandTable writes it ("&Operations/CalGen"), or null.
    QMenu* Menu(const QString& path) const { return menus_.value(path); }

    // Offered means enabled: the command's operation is in the program and its
    // enabling rule allows it now.
    bool IsCommandOffered(MenuCommand command) const;

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
    QMenu* MenuAt(std::string_view path);
    void RunCommand(MenuCommand command);
    void CreateStatusBar();
    void RestorePlacement();
    void SavePlacement();
    void UpdateCommands(QMenu* menu);

    CSettingsStore& settings_;
    CVantorView* view_;
    CMenuStyle* menuStyle_;
    QHash<QString, QMenu*> menus_;
    std::array<QAction*, MenuCommandCount> commands_{};
    QList<QMenu*> menusWithEnablers_;
};
