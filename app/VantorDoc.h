#pragma once

#include "app/MessageLogStore.h"

// The document: the message log's text. One for the whole run.
class CVantorDoc {
public:
    static constexpr const char* Title = "Borea Utility Software";

    CMessageLogStore& Log() { return log_; }
    const CMessageLogStore& Log() const { return log_; }

private:
    CMessageLogStore log_;
};
