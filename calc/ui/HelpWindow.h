#pragma once

#include <QWidget>

class QTextBrowser;

// The calculator's help: the HTML page shipped inside the program, in a
// window of its own beside the dialog.
class CHelpWindow : public QWidget {
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    QTextBrowser* Browser() const { return browser_; }

    static constexpr char PageUrl[] = "qrc:/vaporix/help/Vaporix.html";

private:
    QTextBrowser* browser_;
};
