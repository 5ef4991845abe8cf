#pragma once

#include <chrono>

// Every wait of the link, and the pauses the operations keep between their
// commands, in one place. The defaults are the instrument's own values; a
// test divides them all by one number (Divided) to run the same rules in a
// fraction of the time. The shipped programs always use the defaults.
struct LinkTimeouts {
    using Milliseconds = std::chrono::milliseconds;

    // RS232: the wait before each read of a reply.
    Milliseconds serialReplyWait{200};
    // RS232: the port's read time-outs, from the line speed, divided by this.
    int serialReadDivisor = 1;
    // GPIB: the device's time-out code for ibdev (11 = T1s, one second).
    int gpibTimeoutCode = 11;
    // LAN: a connection, and the silence that ends a read.
    Milliseconds lanConnect{3000};
    Milliseconds lanRead{3000};
    // LAN: how long the ";" of a table whose lines are all in is awaited.
    Milliseconds lanTableSettle{1000};
    // Before "CALC? %d": the instrument needs a moment after "SENSORIX".
    Milliseconds curveReadWait{1000};
    // Between the datalog upload's state commands.
    Milliseconds datalogCommandWait{50};

    // The instrument's values, each divided by `divisor` (at least 1 ms; the
    // GPIB code the longest standard time-out within the divided second).
    static LinkTimeouts Divided(int divisor);
    // The GPIB read time-out that gpibTimeoutCode stands for.
    Milliseconds GpibRead() const;
};

// The standard GPIB time-out codes 1 (T10us) .. 17 (T1000s) in microseconds; 0 otherwise.
long long GpibTimeoutMicroseconds(int code);
