#pragma once

#include <QDialog>

// The About box of the calculator: its icon, "Vaporix Version 2.0" and OK.
class CVaporixAboutDlg : public QDialog {
public:
    explicit CVaporixAboutDlg(QWidget* parent = nullptr);

    static constexpr char VersionLine[] = "Vaporix Version 2.0";
};
