#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The modeless transfer progress box: a caption over a bar marked "0%" on the
// left and "100%" on the right. Created for one transfer, destroyed at its end.
class CTfrDlg : public QDialog {
public:
    static constexpr int MaxCaptionLength = 70;

    explicit CTfrDlg(QWidget* parent = nullptr);

    // Longer captions are cut to MaxCaptionLength characters.
    void SetCaption(const QString& caption);
    QString Caption() const;
    void SetRange(int lower, int upper);
    void SetPos(int position);
    int Pos() const;

private:
    QLabel* caption_;
    QProgressBar* bar_;
};
