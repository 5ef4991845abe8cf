#include "app/ui/AboutDlg.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/Titles.h"
#include "base/ui/FixedSizeWindow.h"

QString CAboutDlg::AboutText() {
    return QStringLiteral("%1\nVersion %2\n"
                          "Utility for cryogenic temperature controllers\n"
                          "Linux edition, built with Qt %3\n"
                          "The Tundrix project")
        .arg(QString::fromLatin1(AppTitle), QStringLiteral(TUNDRIX_VERSION),
             QStringLiteral(QT_VERSION_STR));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), text_(new QPlainTextEdit) {
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromLatin1(DocumentTitle)));

    text_->setReadOnly(true);
    text_->setPlainText(AboutText());
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Sized to show the whole text without scrolling, in the font it is drawn with.
    text_->ensurePolished();
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics metrics(text_->font());
    const QStringList lines = AboutText().split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins = 2 * (text_->frameWidth() + int(text_->document()->documentMargin())) +
                        metrics.averageCharWidth();
    text_->setFixedSize(widest + margins, metrics.lineSpacing() * int(lines.size()) + margins);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    MakeFixedSize(*this);
}
