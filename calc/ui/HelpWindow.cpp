#include "calc/ui/HelpWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setWindowTitle(QStringLiteral("Vaporix Help"));
    browser_->setOpenLinks(true);
    browser_->setSource(QUrl(QString::fromLatin1(PageUrl)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(600, 560);
}
