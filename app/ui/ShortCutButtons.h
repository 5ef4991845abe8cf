#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <array>
#include <atomic>
#include <memory>
#include <optional>

#include "app/ShortcutBarState.h"

class IMessageBoxes;
class QLabel;
class QPushButton;

// "Short Cuts": the panel in a dock beside the message log (CShortcutDock) with
// buttons for the most used operations and the connection state (transport, status with its lamp,
// model and version). It does no work itself: each button asks the view through
// a signal. It shows what the core's CShortcutBarState holds and follows every
// change of it, from whichever thread it comes.
class CShortCutButtons : public QWidget {
    Q_OBJECT

public:
    // Indexed by status code: connected, not connected, error.
    using LampImages = std::array<QPixmap, 3>;

    // Opening: makes the lamps from `lampStrip` (when that fails, says so in a
    // box and goes on without a lamp) and shows "Not Connected" and "No Device".
    CShortCutButtons(CShortcutBarState& state, IMessageBoxes& boxes, QWidget* parent = nullptr,
                     const QImage& lampStrip = DrawLampStrip());
    ~CShortCutButtons() override;

    // The width of the bar's window inside its frame, before there is a bar.
    static int PreferredWidth();

    // The 48 x 16 lamp strip: green (connected), grey (not connected), red
    // (error) in 16 x 16 cells; the corner pixel's colour marks what is transparent.
    static QImage DrawLampStrip();
    // The three lamps cut from a strip, or nothing when it is not 48 x 16.
    static std::optional<LampImages> CutLamps(const QImage& strip);

    QPushButton* Button(ShortcutButton button) const;
    QString CommTypeText() const;
    QString StatusText() const;
    QString ModelText() const;
    QString VersionText() const;
    // "" while the instrument is not shared.
    QString SharedText() const;
    // The lamp shown now; null when the bar has no lamps.
    QPixmap Lamp() const;
    // A button's tooltip: what it does and, while it is disabled, why.
    static QString ButtonTip(ShortcutButton button, const CShortcutBarState::Snapshot& shown);

Q_SIGNALS:
    void CurveDownloadRequested();
    void PidDownloadRequested();
    void ShowTerminalRequested();
    // Positions chosen in "Select CalGen Type": sensor type, number of points.
    void CalGenRequested(int sensorIndex, int pointsIndex);
    void StartLoggingRequested();
    void UploadDataLogRequested();
    void ConnectRequested();

private:
    struct Observer;

    void ScheduleRefresh();
    void Refresh();
    void OnCalGen();

    CShortcutBarState& state_;
    std::optional<LampImages> lamps_;
    std::array<QPushButton*, ShortcutButtonCount> buttons_{};
    QLabel* commType_;
    QLabel* lamp_;
    QLabel* status_;
    QLabel* model_;
    QLabel* version_;
    QLabel* shared_;
    std::shared_ptr<Observer> observer_;
    std::atomic<bool> refreshQueued_{false};
};
