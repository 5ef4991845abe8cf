#pragma once

#include <optional>
#include <string>
#include <string_view>

class CSettingsStore;

// A VISA-style resource string naming the instrument's port, as lab users know
// them from their other tools:
//   ASRL/dev/ttyUSB0::INSTR      a serial device by path
//   ASRL3::INSTR                 COM3 of the port list (resolved like the GUI's list)
//   ASRL/dev/pts/3::INSTR@9600   with a line speed (default 115200)
//   GPIB0::12::INSTR             the instrument at primary address 12 of board 0 (0..30)
//   TCPIP::192.168.0.4::5000::SOCKET   a LAN instrument by IPv4 address and port
//   TCPIP::lab-tc1::5000::SOCKET       ... or by host name (MyIPAddr::Resolve)
struct InstrumentResource {
    int portType = 0;      // PortRS232, PortGPIB or PortLAN
    std::string device;    // RS232: resolved tty path
    int baudIndex = 0;     // RS232: index in the baud list, 0 = 115200 ... 7 = 1200
    int gpibAddress = 0;   // GPIB: 0..30
    std::string ipAddress; // LAN: dotted IPv4 address or host name
    int ipPort = 0;        // LAN: 0..65535
};

// Baud list index of a line speed, or -1 for a speed the list does not hold.
int BaudIndexForSpeed(int baud);

// Parses `text`; on failure returns nullopt and says why in `error`.
std::optional<InstrumentResource> ParseResource(std::string_view text,
                                                const CSettingsStore& settings, std::string& error);
