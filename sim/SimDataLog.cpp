#include "sim/SimDataLog.h"

#include "sim/SimCommandTable.h"
#include "sim/SimErrorQueue.h"
#include "sim/SimInputs.h"
#include "sim/SimModel.h"

#include <cctype>
#include <cstdio>

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

} // namespace

void CSimDataLog::Register(CSimCommandTable& table) {
    table.AddQuery("DLOG:STATE", [this](const SimRequest& request, std::string& reply) {
        Fill(request.now);
        reply = on_ ? "on" : "off";
        return 0;
    });
    table.AddSet("DLOG:STATE", SimArgument::Required, [this](const SimRequest& request) {
        const std::string state = Lower(request.argument);
        if (state != "on" && state != "off" && state != "1" && state != "0") {
            return static_cast<int>(SimErrorIllegalParameter);
        }
        SetOn(state == "on" || state == "1", request.now);
        return 0;
    });
    table.AddQuery("DLOG:COUNT", [this](const SimRequest& request, std::string& reply) {
        Fill(request.now);
        reply = std::to_string(Count());
        return 0;
    });
    table.AddQuery("DLOG:READ", [this](const SimRequest& request, std::string& reply) {
        Fill(request.now);
        reply = Table();
        return 0;
    });
}

void CSimDataLog::Fill(double now) {
    while (on_ && nextRecord_ <= now && Count() < Capacity) {
        std::string record = std::to_string(Count() + 1);
        char field[32];
        std::snprintf(field, sizeof field, ",%.1f", nextRecord_);
        record += field;
        for (int input = 0; input < inputs_.Count(); ++input) {
            std::snprintf(field, sizeof field, ",%.4f", inputs_.Kelvin(input, nextRecord_));
            record += field;
        }
        records_.push_back(std::move(record));
        nextRecord_ += RecordSeconds;
    }
}

void CSimDataLog::SetOn(bool on, double now) {
    Fill(now);
    if (on && !on_) {
        nextRecord_ = now;
    }
    on_ = on;
    Fill(now);
}

std::string CSimDataLog::Table() const {
    std::string columns = "Record,Time (s)";
    for (int input = 0; input < inputs_.Count(); ++input) {
        columns += std::string(",") + static_cast<char>('A' + input) + " (K)";
    }
    std::string table = std::string(model_.name) + " Internal Data Log\r\n";
    char interval[32];
    std::snprintf(interval, sizeof interval, "Interval (s),%g\r\n", RecordSeconds);
    table += interval;
    table += "Records," + std::to_string(Count()) + "\r\n";
    table += columns + "\r\n";
    for (const std::string& record : records_) {
        table += record + "\r\n";
    }
    return table + ";";
}
