#pragma once

#include <optional>
#include <string>
#include <string_view>

// The file open and save dialogs, as the core asks for them. A filter is
// written as the system writes it: pairs of a description and its patterns,
// each part ended by "|" and the list by a second "|", several patterns in one
// part separated by ";" ("Curve Files (.crv .340)|*.crv;*.340| All Files
// (*.*)|*.*||"). The default extension, with or without its dot, is added to a
// typed name that has none; it also tells the kind of file, whose folder the GUI
// remembers from one dialog to the next. The GUI shows real dialogs; the CLI and
// the tests answer with names they were given.
class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // An existing file to read; nothing when the user cancelled.
    virtual std::optional<std::string> ChooseOpenFile(std::string_view defaultExtension,
                                                      std::string_view filter) = 0;
    // A file to write, which the user has agreed to replace if it exists;
    // nothing when the user cancelled.
    virtual std::optional<std::string> ChooseSaveFile(std::string_view defaultExtension,
                                                      std::string_view filter) = 0;
    // A name without folder ("Curve21.crv", see base/ProposedFileName.h) that
    // the next save dialog offers; front ends that ask no one ignore it.
    virtual void ProposeSaveName(std::string_view fileName) { (void)fileName; }
};
