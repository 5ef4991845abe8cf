#include "app/ui/ShortCutButtons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <mutex>

#include "app/ui/SelectCalGenType.h"
#include "base/UserInterface.h"
#include "base/ui/UiText.h"

namespace {

constexpr int LampSize = 16;
constexpr int LampCount = 3;

// Top to bottom, in the order of ShortcutButton.
constexpr std::array<const char*, ShortcutButtonCount> ButtonTexts{
    "Sensor Curve    Download",
    "PID Table Download",
    "Interact",
    "CalGen",
    "Data Logging",
    "Upload Internal DataLog",
    "Connect",
};

// What each button does, for its tooltip.
constexpr std::array<const char*, ShortcutButtonCount> ButtonTips{
    "Send a sensor curve from a .crv file to one of the instrument's user curves",
    "Send a PID table from a .pid file to the instrument",
    "Open the terminal: type commands and queries, see them in the log",
    "Generate a sensor curve fitted to your sensor from reference points",
    "Log instrument readings into a file at a fixed interval",
    "Save the data log that the instrument keeps into a file",
    "Connect to the instrument on the selected port and identify it",
};

} // namespace

// The state's listener reaches the bar through this, so that a change made on
// a worker thread while the bar is being destroyed finds no bar rather than a
// dangling one.
struct CShortCutButtons::Observer {
    std::mutex mutex;
    CShortCutButtons* bar = nullptr;
};

CShortCutButtons::CShortCutButtons(CShortcutBarState& state, IMessageBoxes& boxes, QWidget* parent,
                                   const QImage& lampStrip)
    : QWidget(parent), state_(state), commType_(new QLabel), lamp_(new QLabel), status_(new QLabel),
      model_(new QLabel), version_(new QLabel), shared_(new QLabel),
      observer_(std::make_shared<Observer>()) {
    setWindowTitle(QStringLiteral("Short Cuts"));

    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < ShortcutButtonCount; ++i) {
        buttons_[i] = new QPushButton(QString::fromLatin1(ButtonTexts[i]));
        layout->addWidget(buttons_[i]);
    }
    connect(Button(ShortcutButton::CurveDownload), &QPushButton::clicked, this,
            &CShortCutButtons::CurveDownloadRequested);
    connect(Button(ShortcutButton::PidDownload), &QPushButton::clicked, this,
            &CShortCutButtons::PidDownloadRequested);
    connect(Button(ShortcutButton::Interact), &QPushButton::clicked, this,
            &CShortCutButtons::ShowTerminalRequested);
    connect(Button(ShortcutButton::CalGen), &QPushButton::clicked, this,
            &CShortCutButtons::OnCalGen);
    connect(Button(ShortcutButton::DataLogging), &QPushButton::clicked, this,
            &CShortCutButtons::StartLoggingRequested);
    connect(Button(ShortcutButton::UploadDataLog), &QPushButton::clicked, this,
            &CShortCutButtons::UploadDataLogRequested);
    connect(Button(ShortcutButton::Connect), &QPushButton::clicked, this,
            &CShortCutButtons::ConnectRequested);

    auto* commRow = new QHBoxLayout;
    commRow->addWidget(new QLabel(QStringLiteral("Comm Type:")));
    commRow->addWidget(commType_);
    commRow->addStretch();
    layout->addLayout(commRow);

    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(5);
    statusRow->addWidget(new QLabel(QStringLiteral("Status:")), 0, Qt::AlignTop);
    lamp_->setFixedSize(LampSize, LampSize);
    statusRow->addWidget(lamp_, 0, Qt::AlignTop);
    statusRow->addWidget(status_, 0, Qt::AlignTop);
    statusRow->addStretch();
    layout->addLayout(statusRow);

    layout->addWidget(model_);

    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(new QLabel(QStringLiteral("Ver:")));
    versionRow->addWidget(version_);
    versionRow->addStretch();
    layout->addLayout(versionRow);
    shared_->hide();
    layout->addWidget(shared_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    lamps_ = CutLamps(lampStrip);
    if (!lamps_) {
        boxes.ShowMessage("Failed to load LED bitmaps", MessageIcon::Stop);
        lamp_->hide();
    }
    state_.SetStatus(StatusNotConnected);
    state_.SetModelText("No Device", state_.Get().versionText);

    observer_->bar = this;
    state_.SetListener([observer = observer_] {
        std::lock_guard lock(observer->mutex);
        if (observer->bar != nullptr)
            observer->bar->ScheduleRefresh();
    });
    Refresh();
}

CShortCutButtons::~CShortCutButtons() {
    std::lock_guard lock(observer_->mutex);
    observer_->bar = nullptr;
}

int CShortCutButtons::PreferredWidth() {
    struct NoBoxes : IMessageBoxes {
        void ShowMessage(std::string_view, MessageIcon) override {}
    } boxes;
    CShortcutBarState state;
    const CShortCutButtons bar(state, boxes);
    return bar.sizeHint().width();
}

QImage CShortCutButtons::DrawLampStrip() {
    QImage strip(LampSize * LampCount, LampSize, QImage::Format_RGB32);
    if (strip.isNull())
        return strip;
    // Magenta is no lamp's colour: it marks the transparent pixels. No
    // antialiasing, so that no edge pixel is a blend of it.
    strip.fill(QColor(255, 0, 255));
    QPainter painter(&strip);
    const std::array<QColor, LampCount> colours{QColor(0, 190, 0), QColor(150, 150, 150),
                                                QColor(215, 0, 0)};
    for (int i = 0; i < LampCount; ++i) {
        const int left = i * LampSize;
        painter.setPen(colours[i].darker(170));
        painter.setBrush(colours[i]);
        painter.drawEllipse(left + 2, 2, 11, 11);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colours[i].lighter(160));
        painter.drawEllipse(left + 5, 4, 3, 3);
    }
    return strip;
}

std::optional<CShortCutButtons::LampImages> CShortCutButtons::CutLamps(const QImage& strip) {
    if (strip.isNull() || strip.width() != LampSize * LampCount || strip.height() != LampSize)
        return std::nullopt;
    QImage image = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == transparent)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    LampImages lamps;
    for (int i = 0; i < LampCount; ++i) {
        lamps[i] = QPixmap::fromImage(image.copy(i * LampSize, 0, LampSize, LampSize));
        if (lamps[i].isNull())
            return std::nullopt;
    }
    return lamps;
}

QPushButton* CShortCutButtons::Button(ShortcutButton button) const {
    return buttons_[static_cast<std::size_t>(button)];
}

QString CShortCutButtons::CommTypeText() const {
    return commType_->text();
}

QString CShortCutButtons::StatusText() const {
    return status_->text();
}

QString CShortCutButtons::ModelText() const {
    return model_->text();
}

QString CShortCutButtons::VersionText() const {
    return version_->text();
}

QString CShortCutButtons::SharedText() const {
    return shared_->text();
}

QPixmap CShortCutButtons::Lamp() const {
    return lamps_ ? lamp_->pixmap() : QPixmap();
}

void CShortCutButtons::ScheduleRefresh() {
    if (QThread::currentThread() == thread()) {
        Refresh();
        return;
    }
    if (!refreshQueued_.exchange(true))
        QMetaObject::invokeMethod(
            this,
            [this] {
                refreshQueued_ = false;
                Refresh();
            },
            Qt::QueuedConnection);
}

void CShortCutButtons::Refresh() {
    const CShortcutBarState::Snapshot shown = state_.Get();
    commType_->setText(FromCoreText(shown.commType));
    status_->setText(FromCoreText(shown.statusText));
    model_->setText(FromCoreText(shown.modelText));
    version_->setText(FromCoreText(shown.versionText));
    shared_->setText(FromCoreText(shown.sharedText));
    shared_->setVisible(!shown.sharedText.empty());
    for (int i = 0; i < ShortcutButtonCount; ++i) {
        buttons_[i]->setEnabled(shown.enabled[i]);
        buttons_[i]->setToolTip(ButtonTip(static_cast<ShortcutButton>(i), shown));
    }
    if (lamps_ && shown.status >= 0 && shown.status < LampCount)
        lamp_->setPixmap((*lamps_)[static_cast<std::size_t>(shown.status)]);
}

QString CShortCutButtons::ButtonTip(ShortcutButton button,
                                    const CShortcutBarState::Snapshot& shown) {
    const auto index = static_cast<std::size_t>(button);
    QString tip = QString::fromLatin1(ButtonTips[index]);
    if (!shown.enabled[index])
        tip += shown.featuresApplied
                   ? QStringLiteral("\nNot available: the connected model lacks this feature.")
                   : QStringLiteral("\nNot available: not connected. Connect first.");
    return tip;
}

void CShortCutButtons::OnCalGen() {
    CSelectCalGenType dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        Q_EMIT CalGenRequested(dialog.SensorIndex(), dialog.PointsIndex());
}
