#pragma once

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <string>

#include "calc/TitleChannel.h"
#include "calc/VaporixSetup.h"

class CHelpWindow;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSocketNotifier;

// The calculator: one dialog that walks the user through five steps (liquid,
// vapor pressure and its unit, temperature unit, Calculate, the boiling
// temperature). The three choices are kept in the setup file, open while the
// dialog is. While it is open the dialog answers to its title "Vaporix", and a
// close request ends it as Exit does.
class CVaporixDlg : public QDialog {
public:
    // Shows a message box; tests record the texts instead.
    using Presenter = std::function<void(const QString& text, QMessageBox::Icon icon)>;

    explicit CVaporixDlg(const std::string& setupPath, Presenter presenter = {},
                         QWidget* parent = nullptr);

    // Every way out ends here: the setup file is closed, the title released and
    // the help window closed.
    void done(int result) override;

    CHelpWindow* HelpWindow() const { return help_; }
    QAction* AboutAction() const { return about_; }

private:
    void OnLiquidChanged(int index);
    void OnPressureUnitChanged(int index);
    void OnTemperatureUnitChanged(int index);
    void OnCalculate();
    void OnHelp();
    void OnAbout();
    void OnChannelReadable();
    void Present(const QString& text, QMessageBox::Icon icon);

    Presenter presenter_;
    CVaporixSetup setup_;
    CTitleChannel channel_;
    QSocketNotifier* channelNotifier_ = nullptr;
    double pressure_ = 0;

    QComboBox* liquidList_;
    QLineEdit* pressureEdit_;
    QComboBox* pressureUnitList_;
    QComboBox* temperatureUnitList_;
    QPushButton* calculateButton_;
    QLineEdit* resultEdit_;
    QLabel* unitLabel_;
    QPushButton* exitButton_;
    QPushButton* helpButton_;
    QAction* about_;
    CHelpWindow* help_ = nullptr;
};
