#include "curves/CurveHeaderField.h"

#include "base/ControlCharacter.h"
#include "base/UserInterface.h"

std::string HeaderFieldProblem(std::string_view text) {
    if (auto code = ControlCharacterIn(text))
        return "holds the control character " + *code + "; a header field is one line of text";
    return {};
}

void CheckHeaderField(std::string_view text, int lineNumber, const std::string& fileName,
                      IMessageLog& log, bool& error) {
    if (auto code = ControlCharacterIn(text)) {
        log.AppendLog("Control character " + *code + " in line " + std::to_string(lineNumber) +
                      " of " + fileName + " file\n");
        error = true;
    }
}
