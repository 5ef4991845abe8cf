#pragma once

#include <QDialog>

#include "server/ServeOptions.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

// "Share Instrument": where other programs reach the instrument (address
// and port), which of them may, whether they may change it, and how many at
// once. While the instrument is shared the dialog shows how, and offers to
// stop; result() is then StopSharing.
class CShareInstrumentDlg : public QDialog {
    Q_OBJECT
public:
    enum Outcome { Cancelled = QDialog::Rejected, Share = QDialog::Accepted, StopSharing = 2 };

    // `sharing`: the instrument is shared with `options` now.
    CShareInstrumentDlg(const ServeOptions& options, bool sharing, QWidget* parent = nullptr);
    // The choice, once Share was pressed.
    const ServeOptions& Options() const { return options_; }

private:
    void OnShare();

    QLineEdit* address_;
    QSpinBox* port_;
    QLineEdit* allow_;
    QCheckBox* readOnly_;
    QSpinBox* maxClients_;
    ServeOptions options_;
};
