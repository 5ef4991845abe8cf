#include "curves/LineReader.h"

CLineReader::Status CLineReader::Next(std::string& line, bool& overLong) {
    line.clear();
    overLong = false;
    // One character beyond the limit is kept for a while: it may be the
    // carriage return of a CR LF line end that exactly fills the limit.
    bool any = false;
    int c;
    while ((c = std::getc(file_)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() <= limit_)
            line += static_cast<char>(c);
        else
            overLong = true;
    }
    if (c == EOF && std::ferror(file_))
        return Status::Failed;
    if (!any)
        return Status::End;
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r' && !overLong)
        line.pop_back();
    if (line.size() > limit_) {
        overLong = true;
        line.resize(limit_);
    }
    return Status::Line;
}

bool ReadHeaderLines(CLineReader& reader, std::span<HeaderLine> header) {
    for (HeaderLine& h : header) {
        std::string line;
        bool overLong = false;
        CLineReader::Status status = reader.Next(line, overLong);
        if (status == CLineReader::Status::Failed)
            return false;
        if (status == CLineReader::Status::End)
            break;
        h = {std::move(line), overLong};
    }
    return true;
}
