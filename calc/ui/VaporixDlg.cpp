#include "calc/ui/VaporixDlg.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>

#include "calc/BoilingTemperature.h"
#include "calc/PressureField.h"
#include "calc/ui/HelpWindow.h"
#include "calc/ui/VaporixAboutDlg.h"
#include "calc/ui/VaporixArt.h"

namespace {

template <std::size_t N> QComboBox* MakeList(const std::array<const char*, N>& texts) {
    auto* list = new QComboBox;
    for (const char* text : texts)
        list->addItem(QString::fromLatin1(text));
    return list;
}

QLabel* MakeLabel(const char* text) {
    return new QLabel(QString::fromLatin1(text));
}

} // namespace

CVaporixDlg::CVaporixDlg(const std::string& setupPath, Presenter presenter, QWidget* parent)
    : QDialog(parent), presenter_(std::move(presenter)),
      setup_(setupPath,
             [this](const std::string& message) {
                 Present(QString::fromStdString(message), QMessageBox::NoIcon);
             }),
      liquidList_(MakeList(LiquidNames)), pressureEdit_(new QLineEdit),
      pressureUnitList_(MakeList(PressureUnitNames)),
      temperatureUnitList_(MakeList(TemperatureUnitNames)),
      calculateButton_(new QPushButton(QStringLiteral("Calculate"))), resultEdit_(new QLineEdit),
      unitLabel_(new QLabel(QStringLiteral("Unit"))),
      exitButton_(new QPushButton(QStringLiteral("Exit"))),
      helpButton_(new QPushButton(QStringLiteral("&Help"))) {
    setWindowTitle(QString::fromLatin1(VaporixTitle));
    setWindowIcon(CreateVaporixIcon());
    // Its size is fixed: minimize and close, but no maximize button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    liquidList_->setObjectName(QStringLiteral("liquidList"));
    pressureEdit_->setObjectName(QStringLiteral("pressureEdit"));
    pressureUnitList_->setObjectName(QStringLiteral("pressureUnitList"));
    temperatureUnitList_->setObjectName(QStringLiteral("temperatureUnitList"));
    calculateButton_->setObjectName(QStringLiteral("calculateButton"));
    resultEdit_->setObjectName(QStringLiteral("resultEdit"));
    unitLabel_->setObjectName(QStringLiteral("unitLabel"));
    exitButton_->setObjectName(QStringLiteral("exitButton"));
    helpButton_->setObjectName(QStringLiteral("helpButton"));

    auto* banner = new QLabel;
    banner->setPixmap(CreateVaporixBanner());
    banner->setAlignment(Qt::AlignCenter);
    // The result is "%10.4f": in a fixed-pitch font its digits line up run after run.
    resultEdit_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    calculateButton_->setDefault(true);
    exitButton_->setAutoDefault(false);
    helpButton_->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(banner, 0, 0, 1, 3);
    grid->addWidget(MakeLabel("Step 1: Select Pure Liquid:"), 1, 0);
    grid->addWidget(liquidList_, 1, 1, 1, 2);
    grid->addWidget(MakeLabel("Step 2: Enter Vapor Pressure:"), 2, 0);
    grid->addWidget(pressureEdit_, 2, 1);
    grid->addWidget(pressureUnitList_, 2, 2);
    grid->addWidget(MakeLabel("Step3: Select Temperature Unit:"), 3, 0);
    grid->addWidget(temperatureUnitList_, 3, 1);
    grid->addWidget(MakeLabel("Step 4: Press Calculate Button ->"), 4, 0);
    grid->addWidget(calculateButton_, 4, 1);
    grid->addWidget(MakeLabel("Step5: Boiling Temperature:"), 5, 0);
    grid->addWidget(resultEdit_, 5, 1);
    grid->addWidget(unitLabel_, 5, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exitButton_);
    buttons->addWidget(helpButton_);
    grid->addLayout(buttons, 6, 0, 1, 3);
    grid->setRowMinimumHeight(6, 40);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(liquidList_, pressureEdit_);
    setTabOrder(pressureEdit_, pressureUnitList_);
    setTabOrder(pressureUnitList_, temperatureUnitList_);
    setTabOrder(temperatureUnitList_, calculateButton_);
    setTabOrder(calculateButton_, exitButton_);
    setTabOrder(exitButton_, helpButton_);

    // Linux window managers keep the window menu to themselves: the dialog's
    // own menu (right click) carries what the window menu would.
    auto* close = new QAction(QStringLiteral("&Close"), this);
    connect(close, &QAction::triggered, this, &QDialog::reject);
    // F1 opens the help, as the desktop expects.
    auto* help = new QAction(this);
    help->setShortcut(QKeySequence::HelpContents);
    connect(help, &QAction::triggered, this, &CVaporixDlg::OnHelp);
    addAction(help);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    about_ = new QAction(QStringLiteral("&About Vaporix..."), this);
    connect(about_, &QAction::triggered, this, &CVaporixDlg::OnAbout);
    addActions({close, separator, about_});
    setContextMenuPolicy(Qt::ActionsContextMenu);

    setup_.Load();
    const SetupIndices& stored = setup_.Indices();
    liquidList_->setCurrentIndex(stored.liquid);
    pressureUnitList_->setCurrentIndex(stored.pressureUnit);
    temperatureUnitList_->setCurrentIndex(stored.temperatureUnit);
    unitLabel_->setText(temperatureUnitList_->currentText());
    // Read-only rather than disabled: the result reads as plainly as the
    // other fields and can be selected and copied.
    resultEdit_->clear();
    resultEdit_->setReadOnly(true);
    pressureEdit_->setText(QStringLiteral("0"));

    // Connected after the stored choices are shown: only the user's changes save.
    connect(liquidList_, &QComboBox::currentIndexChanged, this, &CVaporixDlg::OnLiquidChanged);
    connect(pressureUnitList_, &QComboBox::currentIndexChanged, this,
            &CVaporixDlg::OnPressureUnitChanged);
    connect(temperatureUnitList_, &QComboBox::currentIndexChanged, this,
            &CVaporixDlg::OnTemperatureUnitChanged);
    connect(calculateButton_, &QPushButton::clicked, this, &CVaporixDlg::OnCalculate);
    connect(exitButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(helpButton_, &QPushButton::clicked, this, &CVaporixDlg::OnHelp);

    if (channel_.Listen(VaporixTitle)) {
        channelNotifier_ = new QSocketNotifier(channel_.Fd(), QSocketNotifier::Read, this);
        connect(channelNotifier_, &QSocketNotifier::activated, this,
                &CVaporixDlg::OnChannelReadable);
    }
}

void CVaporixDlg::done(int result) {
    setup_.Close();
    delete channelNotifier_;
    channelNotifier_ = nullptr;
    channel_.Close();
    if (help_)
        help_->close();
    QDialog::done(result);
}

void CVaporixDlg::OnLiquidChanged(int index) {
    setup_.Indices().liquid = index;
    setup_.Save();
}

void CVaporixDlg::OnPressureUnitChanged(int index) {
    setup_.Indices().pressureUnit = index;
    setup_.Save();
    resultEdit_->clear();
}

void CVaporixDlg::OnTemperatureUnitChanged(int index) {
    setup_.Indices().temperatureUnit = index;
    setup_.Save();
    unitLabel_->setText(temperatureUnitList_->currentText());
    resultEdit_->clear();
}

void CVaporixDlg::OnCalculate() {
    const std::string refusal = ParsePressure(pressureEdit_->text().toStdString(), pressure_);
    if (!refusal.empty()) {
        Present(QString::fromStdString(refusal), QMessageBox::Warning);
        pressureEdit_->setFocus();
        pressureEdit_->selectAll();
        return;
    }
    std::string text;
    if (ComputeBoilingTemperature(liquidList_->currentIndex(), pressure_,
                                  pressureUnitList_->currentIndex(),
                                  temperatureUnitList_->currentIndex(), text))
        resultEdit_->setText(QString::fromStdString(text));
    else
        Present(QString::fromStdString(text), QMessageBox::NoIcon);
}

void CVaporixDlg::OnHelp() {
    if (!help_)
        help_ = new CHelpWindow(this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void CVaporixDlg::OnAbout() {
    CVaporixAboutDlg about(this);
    about.exec();
}

void CVaporixDlg::OnChannelReadable() {
    if (channel_.TakeCloseRequest())
        exitButton_->click();
}

void CVaporixDlg::Present(const QString& text, QMessageBox::Icon icon) {
    if (presenter_) {
        presenter_(text, icon);
        return;
    }
    QMessageBox box(icon, QStringLiteral("Vaporix"), text, QMessageBox::Ok, this);
    box.exec();
}
