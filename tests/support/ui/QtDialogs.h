#pragma once

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Helpers for driving modal dialogs in offscreen GUI tests.

// Acts on the next modal window of type T once it shows; gives up after 5 s.
template <class T> void WhenModal(std::function<void(T*)> act, int boundMs = 5000) {
    auto* timer = new QTimer;
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, waited, act, boundMs] {
        auto* window = dynamic_cast<T*>(QApplication::activeModalWidget());
        if (!window && waited->elapsed() < boundMs)
            return;
        timer->stop();
        timer->deleteLater();
        delete waited;
        if (!window) {
            // Whatever is open instead is closed, so that the test fails rather than hangs.
            ADD_FAILURE() << "the expected modal window did not show";
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                other->reject();
            return;
        }
        act(window);
    });
    timer->start(10);
}

// The push button with this text, mnemonic "&" ignored.
inline QPushButton* Button(QWidget* dialog, const QString& text) {
    for (auto* button : dialog->findChildren<QPushButton*>())
        if (button->text().remove(QLatin1Char('&')) == text)
            return button;
    return nullptr;
}

inline QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// Fails the running test, fast, when a modal window stays open longer than
// `bound`: a box the code under test raised where nothing answers it would
// otherwise block the whole suite until the test runner's own time-out.
class ModalWatchdog : public QObject {
public:
    explicit ModalWatchdog(int boundMs = 15000) : boundMs_(boundMs) {
        QObject::connect(&timer_, &QTimer::timeout, this, &ModalWatchdog::Look);
        timer_.start(100);
    }

private:
    void Look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != watched_) {
            watched_ = modal;
            since_.start();
            return;
        }
        if (!modal || since_.elapsed() < boundMs_)
            return;
        QString text = modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            text += QStringLiteral(": ") + box->text();
        ADD_FAILURE() << "a modal window stayed open for " << boundMs_
                      << " ms with nothing to answer it: " << text.toStdString();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        watched_ = nullptr;
    }

    int boundMs_;
    QTimer timer_;
    QElapsedTimer since_;
    QWidget* watched_ = nullptr;
};
