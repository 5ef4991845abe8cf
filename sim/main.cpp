// tundrix-sim: a simulated controller of the family, for trying the utility
// and running its tests without an instrument.

#include "sim/GpibServer.h"
#include "sim/PtyServer.h"
#include "sim/SimController.h"
#include "sim/SimDataLog.h"
#include "sim/SimFaults.h"
#include "sim/SimInputs.h"
#include "sim/SimLoops.h"
#include "sim/SimModel.h"
#include "sim/SimServerLoop.h"
#include "sim/TcpServer.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* HelpText =
    "Usage: tundrix-sim [--pty] [--tcp PORT] [--gpib [--gpib-address N]]\n"
    "                   [--model N] [--inputs N] [--reply-delay MS] [--line-rate BAUD]\n"
    "                   [--transcript FILE] [--fault FAULT]...\n"
    "\n"
    "A simulated temperature controller that answers the controller's command\n"
    "language, for using the Tundrix utility without an instrument.\n"
    "\n"
    "Options (at least one of --pty, --tcp and --gpib; they combine, and every\n"
    "way in reaches the same controller; each is announced on a line of its own,\n"
    "in the order pty, tcp, gpib, and nothing else goes to standard output):\n"
    "  --pty              serve a pseudo-terminal (raw, no echo) and print\n"
    "                     \"pty: /dev/pts/N\"; open that device and send command\n"
    "                     lines ended by LF (a CR before it is ignored). Replies\n"
    "                     end with CR LF.\n"
    "  --tcp PORT         serve TCP on 127.0.0.1:PORT (0: any free port) and print\n"
    "                     \"tcp: 127.0.0.1:PORT\"; lines and replies as on the\n"
    "                     pseudo-terminal, any number of clients at once.\n"
    "  --tcp LOW-HIGH     the same on a free port from LOW to HIGH (1..65535)\n"
    "  --gpib             serve a GPIB device on board 0 to the simulated GPIB\n"
    "                     library libtundrix-gpib-sim.so and print \"gpib: PATH\";\n"
    "                     give PATH to the library in TUNDRIX_SIM_GPIB. A write is\n"
    "                     a command line (EOI ends it); a read takes the reply;\n"
    "                     with nothing to read it times out after the device's\n"
    "                     time-out.\n"
    "  --gpib-address N   the device's primary address, 0..30 (default 12)\n"
    "  --model N          model code 27..35 (default 28)\n"
    "  --inputs N         play the model with 2, 4 or 8 inputs instead of its own\n"
    "                     (a heater model with eight inputs answers all sixteen\n"
    "                     quantities a logging run can record)\n"
    "  --reply-delay MS   answer every query MS milliseconds late, 0..60000\n"
    "                     (a slow instrument, for testing time-outs)\n"
    "  --line-rate BAUD   read and write the pseudo-terminal no faster than a\n"
    "                     serial line of BAUD (10 bits a byte), 50..4000000\n"
    "  --transcript FILE  append every line the controller receives to FILE\n"
    "  --fault FAULT      misbehave on every transport, for testing what a program\n"
    "                     does with a faulty instrument or line; repeat it for\n"
    "                     several faults. Queries are the lines that get a reply,\n"
    "                     counted from 1 on each channel (the pseudo-terminal,\n"
    "                     each TCP connection, the GPIB device); N is 1..1000000,\n"
    "                     MS 1..60000. FAULT is one of:\n"
    "      no-reply[:N]     no reply to every Nth query (default: to none)\n"
    "      late:MS[:N]      every Nth reply (default: each) comes MS ms late; on\n"
    "                       GPIB a device clear does not stop it\n"
    "      twice[:N]        every Nth reply is sent twice, back to back in one\n"
    "                       write (one GPIB message)\n"
    "      corrupt[:N]      one byte in the middle of every Nth reply is changed\n"
    "                       ('#', or '*' for a '#')\n"
    "      cut[:N]          every Nth reply is cut in the middle: only its first\n"
    "                       half goes out, without the line end\n"
    "      trickle:MS[:N]   every Nth reply goes out one byte every MS ms\n"
    "      stream[:N]       the Nth query (default: the first) is answered by\n"
    "                       letters without end and without a line end, and\n"
    "                       nothing is answered after it; on GPIB a device clear\n"
    "                       stops the stream until the next Nth query\n"
    "      hangup:N         after N commands (and their replies) the line goes:\n"
    "                       the pseudo-terminal hangs up for good, TCP closes the\n"
    "                       connection (each new connection gets N commands), the\n"
    "                       GPIB device stops answering (writes find no listener,\n"
    "                       reads time out); hangup:0 at once\n"
    "      nul[:N]          a NUL byte is put in the middle of every Nth reply\n"
    "                       (before a CR, never between it and its LF)\n"
    "      FAULT@K          any of these but hangup, at the Kth query only\n"
    "                       (for example no-reply@3, late:1500@2)\n"
    "  -h, --help         show this text and exit\n"
    "  --version          print the version and exit\n"
    "\n"
    "Models (loops 1-2 drive heaters, loops 3-4 analog outputs):\n"
    "  27, 33  inputs A-D, loops 1-3       28, 34  inputs A-D, loops 1-4\n"
    "  29, 35  inputs A-H, no loops        30      inputs A-D, no loops\n"
    "  31      inputs A-B, no loops        32      inputs A-B, loops 1-4\n"
    "\n"
    "Commands (any case; chained with \";\", a leading \":\" starts again at the root):\n"
    "  *IDN?  SYST:IDEF?  SYST:ERR?  *CLS  *RST\n"
    "  DLOG:STATE? | STATE on|off   the internal data log; while on (as at power-on)\n"
    "                               it records every input once a second, up to 500\n"
    "  DLOG:COUNT?                  the number of records it holds\n"
    "  DLOG:READ?                   four header lines, a line per record, then \";\"\n"
    "  INP x:TEMP?                  reading in the input's unit, \"77.3412\"\n"
    "  INP x:UNIT? | UNIT K|C|F|S   unit (S: volts or ohms of the sensor)\n"
    "  INP x:NAME? | NAME text      name, up to 15 characters\n"
    "  LOOP n:OUTP?                 output in percent, \"45.20\"\n"
    "  LOOP n:HTRR?                 loops 1-2: heater output in % of range, \"45.2\"\n"
    "  LOOP n:RANGE? | RANGE r      0 = off; heaters 1-5, analog outputs 1\n"
    "  LOOP n:SETPT? | SETPT k      set point in kelvin, 0.1 to 1500, \"77.350\"\n"
    "  LOOP n:NAME? | NAME text     name, up to 15 characters (\"Heater 1\" ..)\n"
    "  LOOP n:INP? | INP x          the input the loop controls\n"
    "  SENSORIX? i                  sensor table entry i (61..68: user curves 1..8),\n"
    "                               \"name,type,entries\"\n"
    "  SENSORIX i:NENTRY?           entries of user curve i - 60\n"
    "  CALC n                       the lines that follow, up to one beginning with\n"
    "                               \";\", become user curve n (1..8): name, type,\n"
    "                               multiplier, unit, then up to 200 entries\n"
    "  CALC? n                      user curve n as it was sent, a line each, then \";\"\n"
    "  PIDT t:table                 (heater models) the lines that follow, up to\n"
    "                               \";\", become PID table t (1..6): a title, then up\n"
    "                               to 16 entries\n"
    "  PIDT t:NENT? | PIDT t:TABLE? entries of PID table t; the table as sent\n"
    "Table replies (CALC?, PIDT t:TABLE?) hold CR LF between their lines; over\n"
    "GPIB each line, the \";\" included, is a message of its own ended by EOI.\n"
    "A loop whose range is not 0 draws its input toward the set point with a\n"
    "time constant of 20 s. \"LOOP 1:HTRR?NAME?\" asks two queries, as the\n"
    "utility's output monitors send them.\n"
    "\n"
    "Errors: a command the controller cannot carry out is not answered and its\n"
    "error is queued for \"SYST:ERR?\", which replies \"code,text\" (\"0,No error\"\n"
    "when the queue is empty). A line none of whose queries is answered gets no\n"
    "reply at all: its sender waits until its own time-out. An input or loop the\n"
    "model lacks (\"INP E:TEMP?\" on a four-input model, any \"LOOP n:\" command\n"
    "on a model without loops, \"HTRR?\" on loops 3-4) is queued as\n"
    "  -114,Header suffix out of range\n"
    "Other errors: -102 Syntax error, -108 Parameter not allowed, -109 Missing\n"
    "parameter, -113 Undefined header, -224 Illegal parameter value, -350 Queue\n"
    "overflow (the queue holds 16), -363 Input buffer overrun.\n"
    "\n"
    "The simulator serves until it receives SIGTERM or SIGINT, or until its\n"
    "standard input reaches end of file: start it with its input from a pipe\n"
    "or a terminal, not from /dev/null.\n"
    "\n"
    "Exit status: 0 after a normal end, 1 when the service could not be set up,\n"
    "2 for a wrong command line.\n";

// The help gives these figures in words.
static_assert(CSimInputs::PullSeconds == 20.0 && CSimInputs::NameLength == 15 &&
              CSimLoops::NameLength == 15);
static_assert(CSimDataLog::Capacity == 500 && CSimDataLog::RecordSeconds == 1.0);
static_assert(CSimLoops::MinSetpoint == 0.1 && CSimLoops::MaxSetpoint == 1500.0);
static_assert(CSimLoops::MaxHeaterRange == 5 && CSimLoops::MaxAnalogRange == 1 &&
              CSimErrorQueue::Capacity == 16);

struct Options {
    bool pty = false;
    std::optional<int> tcpPort;
    int tcpHighPort = 0; // above tcpPort: any free port in the range
    bool gpib = false;
    std::optional<int> gpibAddress;
    int model = 28;
    std::optional<int> inputs;
    int replyDelayMs = 0;
    int lineRate = 0;
    std::string transcript;
    std::vector<SimFaultRule> faults;
};

int signalPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "tundrix-sim: %s\nTry 'tundrix-sim --help'.\n", message.c_str());
    return 2;
}

bool ParseInt(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// 0 to go on, else the exit status (help shown, or a wrong command line).
int ParseArguments(int argc, char** argv, Options& options, bool& help) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        bool hasValue = false;
        if (const std::size_t equals = arg.find('=');
            arg.starts_with("--") && equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (!hasValue && i + 1 < argc) {
                value = argv[++i];
                hasValue = true;
            }
            return hasValue;
        };

        if (arg == "-h" || arg == "--help") {
            help = true;
            return 0;
        }
        if (arg == "--pty" && !hasValue) {
            options.pty = true;
        } else if (arg == "--gpib" && !hasValue) {
            options.gpib = true;
        } else if (arg == "--tcp") {
            int port = -1;
            int high = 0;
            const std::size_t dash = takeValue() ? value.find('-') : std::string_view::npos;
            if (dash != std::string_view::npos) {
                if (!ParseInt(value.substr(0, dash), port) ||
                    !ParseInt(value.substr(dash + 1), high) || port < 1 || high > 65535 ||
                    port > high) {
                    return Usage("--tcp needs a range of ports LOW-HIGH within 1-65535");
                }
            } else if (!hasValue || !ParseInt(value, port) || port < 0 || port > 65535) {
                return Usage("--tcp needs a port number from 0 to 65535");
            }
            options.tcpPort = port;
            options.tcpHighPort = high;
        } else if (arg == "--gpib-address") {
            int address = -1;
            if (!takeValue() || !ParseInt(value, address) || address < 0 || address > 30) {
                return Usage("--gpib-address needs a primary address from 0 to 30");
            }
            options.gpibAddress = address;
        } else if (arg == "--model") {
            if (!takeValue() || !ParseInt(value, options.model) ||
                SimModel::Find(options.model) == nullptr) {
                return Usage("--model needs a model code from 27 to 35");
            }
        } else if (arg == "--inputs") {
            int inputs = 0;
            if (!takeValue() || !ParseInt(value, inputs) ||
                (inputs != 2 && inputs != 4 && inputs != 8)) {
                return Usage("--inputs needs 2, 4 or 8");
            }
            options.inputs = inputs;
        } else if (arg == "--reply-delay") {
            if (!takeValue() || !ParseInt(value, options.replyDelayMs) ||
                options.replyDelayMs < 0 || options.replyDelayMs > 60000) {
                return Usage("--reply-delay needs a number of milliseconds from 0 to 60000");
            }
        } else if (arg == "--line-rate") {
            if (!takeValue() || !ParseInt(value, options.lineRate) || options.lineRate < 50 ||
                options.lineRate > 4000000) {
                return Usage("--line-rate needs a line speed in baud from 50 to 4000000");
            }
        } else if (arg == "--transcript") {
            if (!takeValue() || value.empty()) {
                return Usage("--transcript needs a file name");
            }
            options.transcript = value;
        } else if (arg == "--fault") {
            std::string error;
            if (!takeValue()) {
                return Usage("--fault needs a fault (see --help)");
            }
            const auto fault = ParseSimFault(value, error);
            if (!fault) {
                return Usage("--fault " + error);
            }
            options.faults.push_back(*fault);
        } else {
            return Usage("unknown option '" + std::string(argv[i]) + "'");
        }
    }
    if (options.gpibAddress && !options.gpib) {
        return Usage("--gpib-address needs --gpib");
    }
    if (!options.pty && !options.tcpPort && !options.gpib) {
        return Usage("nothing to serve: give --pty, --tcp PORT or --gpib");
    }
    return 0;
}

bool InstallSignals() {
    if (::pipe(signalPipe) != 0) {
        return false;
    }
    for (const int fd : signalPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    // SIGPIPE: a reader of our output that went away is not a reason to die.
    // SIGTTIN: reading a terminal from the background must fail, not stop us.
    return ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGPIPE, &ignore, nullptr) == 0 &&
           ::sigaction(SIGTTIN, &ignore, nullptr) == 0;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--version") {
            std::printf("tundrix-sim %s\n", TUNDRIX_VERSION);
            return 0;
        }
    }
    Options options;
    bool help = false;
    if (const int status = ParseArguments(argc, argv, options, help); status != 0) {
        return status;
    }
    if (help) {
        std::fputs(HelpText, stdout);
        return 0;
    }

    // Without a standard input there is no end of file to wait for; keep
    // descriptor 0 taken so the pseudo-terminal cannot land on it.
    const bool watchInput = ::fcntl(STDIN_FILENO, F_GETFD) >= 0;
    if (!watchInput && ::open("/dev/null", O_RDONLY) != STDIN_FILENO) {
        std::fprintf(stderr, "tundrix-sim: cannot open /dev/null: %s\n", std::strerror(errno));
        return 1;
    }
    if (!InstallSignals()) {
        std::fprintf(stderr, "tundrix-sim: cannot set up signals: %s\n", std::strerror(errno));
        return 1;
    }

    SimModel model = *SimModel::Find(options.model);
    model.inputCount = options.inputs.value_or(model.inputCount);
    CSimController controller(model);
    FILE* transcript = nullptr;
    if (!options.transcript.empty()) {
        transcript = std::fopen(options.transcript.c_str(), "ae");
        if (transcript == nullptr) {
            std::fprintf(stderr, "tundrix-sim: cannot open %s: %s\n", options.transcript.c_str(),
                         std::strerror(errno));
            return 1;
        }
        controller.SetTranscript([transcript](std::string_view line) {
            std::fprintf(transcript, "%.*s\n", static_cast<int>(line.size()), line.data());
            std::fflush(transcript);
        });
    }
    const std::chrono::milliseconds replyDelay(options.replyDelayMs);
    CSimServerLoop loop;
    CPtyServer pty(controller, replyDelay, options.lineRate);
    CTcpServer tcp(controller, replyDelay);
    CGpibServer gpib(controller, options.gpibAddress.value_or(12), replyDelay);
    pty.SetFaults(options.faults);
    tcp.SetFaults(options.faults);
    gpib.SetFaults(options.faults);
    // Each line is flushed at once: the parent reads until it has every line it expects.
    if (options.pty) {
        std::string error;
        if (!pty.Open(error)) {
            std::fprintf(stderr, "tundrix-sim: cannot create a pseudo-terminal: %s\n",
                         error.c_str());
            return 1;
        }
        loop.AddTransport(pty);
        std::printf("pty: %s\n", pty.SlavePath().c_str());
        std::fflush(stdout);
    }
    if (options.tcpPort) {
        std::string error;
        const bool opened = options.tcpHighPort > 0
                                ? tcp.OpenInRange(*options.tcpPort, options.tcpHighPort, error)
                                : tcp.Open(*options.tcpPort, error);
        if (!opened) {
            std::fprintf(stderr, "tundrix-sim: cannot listen on TCP: %s\n", error.c_str());
            return 1;
        }
        loop.AddTransport(tcp);
        std::printf("tcp: 127.0.0.1:%d\n", tcp.Port());
        std::fflush(stdout);
    }
    if (options.gpib) {
        std::string error;
        if (!gpib.Open(error)) {
            std::fprintf(stderr, "tundrix-sim: cannot create the GPIB socket: %s\n", error.c_str());
            return 1;
        }
        loop.AddTransport(gpib);
        std::printf("gpib: %s\n", gpib.SocketPath().c_str());
        std::fflush(stdout);
    }

    loop.AddStopDescriptor(signalPipe[0], CSimServerLoop::StopWhen::AnyInput);
    if (watchInput) {
        loop.AddStopDescriptor(STDIN_FILENO, CSimServerLoop::StopWhen::EndOfFile);
    }
    if (const int error = loop.Run(); error != 0) {
        std::fprintf(stderr, "tundrix-sim: poll failed: %s\n", std::strerror(error));
        return 1;
    }
    return 0;
}
