#pragma once

#include "logging/LoggingUi.h"

class IMessageBoxes;
class QWidget;

// The start's setup dialog as a real window, modal over `parent`.
class CLoggingDialogs : public IDataLogSetup {
public:
    CLoggingDialogs(IMessageBoxes& boxes, QWidget* parent) : boxes_(boxes), parent_(parent) {}

    bool RunDataLogSetup(DataLogSetupData& data) override;

private:
    IMessageBoxes& boxes_;
    QWidget* parent_;
};
