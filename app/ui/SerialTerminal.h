#pragma once

#include <QWidget>

class CCommandEdit;
class CSettingsStore;
class QLabel;

// "Serial Terminal": the user types one instrument command at a time. The
// window never talks to the instrument: it hands the line to the view, which
// runs the transaction and writes the log. Created hidden; "Quit" hides it;
// closing it also remembers its rectangle in "S_TERM_POS".
class CSerialTerminal : public QWidget {
    Q_OBJECT

public:
    static constexpr char PlacementSection[] = "S_TERM_POS";

    // At the stored rectangle, or the default place when none is stored.
    explicit CSerialTerminal(CSettingsStore& settings, QWidget* parent = nullptr);

    CCommandEdit* Edit() const { return edit_; }
    // Says why the field takes no more characters; shown while it is full.
    QLabel* LimitNote() const { return limitNote_; }

    // Shows the terminal in front with the keyboard in the entry field. With no
    // place stored and none chosen yet in this run, it first goes beside the
    // main window (`mainWindow`: its frame rectangle), not where the window
    // manager would drop it.
    void ShowBeside(const QRect& mainWindow);

Q_SIGNALS:
    // Return or "Send": the command taken from the entry field.
    void CommandEntered(const QString& command);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SendCommand();
    void ShowLimitNote();

    CSettingsStore& settings_;
    CCommandEdit* edit_;
    QLabel* limitNote_;
    bool placed_ = false;
};
