#pragma once

#include <QStringList>
#include <string_view>

#include "base/FileChooser.h"

class QWidget;

// The file open and save dialogs as real windows, modal over `parent`.
class CFileChooser : public IFileChooser {
public:
    explicit CFileChooser(QWidget* parent) : parent_(parent) {}

    std::optional<std::string> ChooseOpenFile(std::string_view defaultExtension,
                                              std::string_view filter) override;
    std::optional<std::string> ChooseSaveFile(std::string_view defaultExtension,
                                              std::string_view filter) override;

    // The dialog's name filters for a filter in the "description|patterns|...||"
    // form: "Curve Files (.340)|*.340| All Files (*.*)|*.*||" gives
    // "Curve Files (.340) (*.340)" and "All Files (*.*)".
    static QStringList NameFilters(std::string_view filter);

private:
    std::optional<std::string> Run(bool save, std::string_view defaultExtension,
                                   std::string_view filter);

    QWidget* parent_;
};
