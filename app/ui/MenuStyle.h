#pragma once

#include <QProxyStyle>

// The style of the main window's menus: a disabled item can be highlighted
// too, so that the user reads its prompt in the status bar and learns why the
// command exists.
class CMenuStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
