// A Qt plugin that the tests load into an installed program, unchanged, to see
// from outside that its window shows:
//   QT_PLUGIN_PATH=<build>/probe QT_QPA_GENERIC_PLUGINS=tundrixwindowprobe tundrix ...
// On standard output it says "window shown: TITLE (CLASS)" for each top-level
// window as it is first shown, with "box: TEXT" for a message box, and
// "TUNDRIX_GPIB_LIBRARY=..." as the program has it when its first window
// shows. Half a second after the first window that is not a message box it
// ends the program's event loops, as quitting the program would.

#include <QApplication>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

void Say(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

class CWindowProbe : public QObject {
    Q_OBJECT
public:
    CWindowProbe() { QCoreApplication::instance()->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        const Qt::WindowType type = widget->windowType();
        if (!widget->isWindow() || (type != Qt::Window && type != Qt::Dialog) ||
            seen_.contains(widget))
            return false;
        seen_.insert(widget);
        if (seen_.size() == 1)
            Say(QStringLiteral("TUNDRIX_GPIB_LIBRARY=") +
                qEnvironmentVariable("TUNDRIX_GPIB_LIBRARY"));
        if (auto* box = qobject_cast<QMessageBox*>(widget)) {
            Say(QStringLiteral("box: ") + box->text());
            return false;
        }
        Say(QStringLiteral("window shown: %1 (%2)")
                .arg(widget->windowTitle(), QLatin1String(widget->metaObject()->className())));
        if (!quitting_) {
            quitting_ = true;
            QTimer::singleShot(500, this, [] {
                Say(QStringLiteral("quit"));
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QSet<QObject*> seen_;
    bool quitting_ = false;
};

class CWindowProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "WindowProbe.json")
public:
    QObject* create(const QString& key, const QString&) override {
        if (key != QLatin1String("tundrixwindowprobe"))
            return nullptr;
        // Qt owns what a generic plugin creates and deletes it with the application.
        return new CWindowProbe;
    }
};

} // namespace

#include "WindowProbe.moc"
