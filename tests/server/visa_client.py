"""A VISA client of the shared instrument: queries through a TCPIP SOCKET
resource with the pure-Python backend, each reply checked against its query.

    visa_client.py PORT COUNT     prints "right N of M"
"""
import sys

import pyvisa

EXPECTED = {"*IDN?": "ARKTRONIC,TX-28,SN280417,1.4.2", "INP A:NAME?": "Input A", "LOOP 2:NAME?": "Heater 2"}


def main():
    port, count = int(sys.argv[1]), int(sys.argv[2])
    manager = pyvisa.ResourceManager("@py")
    instrument = manager.open_resource(f"TCPIP::127.0.0.1::{port}::SOCKET")
    instrument.read_termination = "\r\n"
    instrument.write_termination = "\n"
    instrument.timeout = 5000
    queries = list(EXPECTED)
    right = 0
    for i in range(count):
        query = queries[i % len(queries)]
        if instrument.query(query) == EXPECTED[query]:
            right += 1
    instrument.close()
    print(f"right {right} of {count}")


if __name__ == "__main__":
    main()
