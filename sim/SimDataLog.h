#pragma once

#include <string>
#include <vector>

class CSimCommandTable;
class CSimInputs;
struct SimModel;

// The controller's internal data log. While its state is on it takes a record
// of every input's temperature each RecordSeconds, from the moment it was
// switched on, until it holds Capacity records; switched off it keeps what it
// holds. It is on at power-on.
//
// "DLOG:READ?" answers in the controller's own layout: four header lines (the
// model, the interval, the record count, the column names), one line per
// record "number,seconds,kelvin A,kelvin B,..", the lines joined by CR LF,
// then CR LF and ";". Over GPIB each line is a message of its own.
class CSimDataLog {
public:
    static constexpr int Capacity = 500;
    static constexpr double RecordSeconds = 1.0;
    static constexpr int HeaderLines = 4;

    // `powerOn`: the controller's time when it was switched on, its first record.
    CSimDataLog(const SimModel& model, const CSimInputs& inputs, double powerOn)
        : model_(model), inputs_(inputs), nextRecord_(powerOn) {}

    void Register(CSimCommandTable& table);

    // Takes the records that have fallen due by `now`.
    void Fill(double now);
    bool IsOn() const { return on_; }
    void SetOn(bool on, double now);
    int Count() const { return static_cast<int>(records_.size()); }
    std::string Table() const;

private:
    const SimModel& model_;
    const CSimInputs& inputs_;
    bool on_ = true;
    double nextRecord_; // the time of the next record while on
    std::vector<std::string> records_;
};
