#pragma once

#include <QWidget>

class CCommandEdit;
class CSettingsStore;

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

Q_SIGNALS:
    // Return or "Send": the command taken from the entry field.
    void CommandEntered(const QString& command);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SendCommand();

    CSettingsStore& settings_;
    CCommandEdit* edit_;
};
