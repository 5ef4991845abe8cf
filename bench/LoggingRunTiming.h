#pragma once

#include <string>

class CCommLink;

// A data logging run of all sixteen sources on `link`, sampled as the utility
// samples: the logging timer sets the sample event once per interval and the
// polling worker, on its own thread, takes each sample under the transaction
// mutex and writes its row to the file. No model of the family has all sixteen
// sources, so they are set on the run's state directly (the start of a run
// from the setup dialog would leave out those the model lacks).
struct LoggingRunTime {
    std::string error; // why the run did not reach its rows
    int rows = 0;
    double seconds = 0.0; // from the moment the timer is set to the last row written
};
LoggingRunTime TimeLoggingRun(CCommLink& link, int rows, double interval);
