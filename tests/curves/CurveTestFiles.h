#pragma once

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/FileChooser.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"

// Curve files written the way they come from the real world, and the file
// dialogs answered as a test says.

// The first n lines of a text, each with its line feed.
inline std::string FirstLines(const std::string& text, int n) {
    std::size_t end = 0;
    for (int i = 0; i < n && end < text.size(); ++i) {
        end = text.find('\n', end);
        end = end == std::string::npos ? text.size() : end + 1;
    }
    return text.substr(0, end);
}

using CurvePoints = std::vector<std::pair<float, float>>; // value, temperature

// A diode-like curve of n points, listed as makers list them: value rising,
// temperature falling.
inline CurvePoints DiodePoints(int n) {
    CurvePoints points;
    for (int i = 0; i < n; ++i)
        points.emplace_back(0.09f + 1.6f * static_cast<float>(i) / static_cast<float>(n),
                            475.0f - 470.0f * static_cast<float>(i) / static_cast<float>(n));
    return points;
}

// A ".340" file in the published style: CR LF line ends, labels padded with
// blanks, trailing blanks, columns separated by runs of blanks or by tabs, and
// no line end after the last breakpoint.
struct Published340 {
    std::string model = "DT-670-SD";
    std::string serial = "D6091234";
    std::string format = "2      (Volts/Kelvin)";
    std::string coefficient = "1 (Negative)";
    std::optional<std::string> breakpoints; // default: the number of points
    CurvePoints points = DiodePoints(8);

    std::string Text() const {
        const char* end = "\r\n";
        std::string text = "Sensor Model:   " + model + "   " + end;
        text += "Serial Number:  " + serial + end;
        text += "Data Format:    " + format + end;
        text += "SetPoint Limit: 475.0      (Kelvin)" + std::string(end);
        text += "Temperature coefficient:  " + coefficient + " " + end;
        text +=
            "Number of Breakpoints:   " + breakpoints.value_or(std::to_string(points.size())) + end;
        text += std::string(end) + "No.   Units      Temperature (K)" + end + end;
        for (std::size_t i = 0; i < points.size(); ++i) {
            char line[96];
            std::snprintf(line, sizeof line, i % 2 ? "%3zu\t%.5f\t%.3f  " : "%3zu  %.5f      %.3f",
                          i + 1, static_cast<double>(points[i].first),
                          static_cast<double>(points[i].second));
            text += line;
            if (i + 1 < points.size())
                text += end;
        }
        return text;
    }
};

// A ".crv" file: the header lines as given, one entry per point, then ";".
inline std::string CrvText(const std::vector<std::string>& header, const CurvePoints& points,
                           const char* separator = "  ", const char* end = "\n") {
    std::string text;
    for (const auto& line : header)
        text += line + end;
    for (const auto& [value, temperature] : points) {
        char line[96];
        std::snprintf(line, sizeof line, "%g%s%g", static_cast<double>(value), separator,
                      static_cast<double>(temperature));
        text += line + std::string(end);
    }
    return text + ";" + end;
}

// The open and save dialogs: each answers with the next name it was given, or
// as cancelled when it has none left; what they were asked is kept.
class ScriptedFiles : public IFileChooser {
public:
    std::vector<std::optional<std::string>> openAnswers;
    std::vector<std::optional<std::string>> saveAnswers;
    std::vector<std::pair<std::string, std::string>> openAsked; // extension, filter
    std::vector<std::pair<std::string, std::string>> saveAsked;
    std::vector<std::string> proposedNames; // ProposeSaveName, in order

    std::optional<std::string> ChooseOpenFile(std::string_view extension,
                                              std::string_view filter) override {
        return Answer(openAnswers, openAsked, extension, filter);
    }
    std::optional<std::string> ChooseSaveFile(std::string_view extension,
                                              std::string_view filter) override {
        return Answer(saveAnswers, saveAsked, extension, filter);
    }
    void ProposeSaveName(std::string_view fileName) override {
        proposedNames.emplace_back(fileName);
    }

private:
    static std::optional<std::string>
    Answer(std::vector<std::optional<std::string>>& answers,
           std::vector<std::pair<std::string, std::string>>& asked, std::string_view extension,
           std::string_view filter) {
        asked.emplace_back(extension, filter);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
};
