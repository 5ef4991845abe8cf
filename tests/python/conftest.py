"""Fixtures of the module's tests: the simulator on a loopback port, the CLI
beside it, a settings file of the test's own and a diode curve in the .340
layout."""

import os
import re
import select
import socket
import subprocess

import pytest


def _program(variable):
    path = os.environ.get(variable)
    if not path:
        pytest.skip(f"{variable} names no program")
    return path


@pytest.fixture(scope="session")
def simulator():
    """The resource string of a simulated controller (model 28) on loopback."""
    process = subprocess.Popen([_program("TUNDRIX_SIM_PROGRAM"), "--tcp", "0"],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    try:
        ready, _, _ = select.select([process.stdout], [], [], 10)
        line = process.stdout.readline() if ready else ""
        match = re.match(r"tcp: 127\.0\.0\.1:(\d+)", line)
        assert match, f"the simulator said {line!r}"
        yield f"TCPIP::127.0.0.1::{match.group(1)}::SOCKET"
    finally:
        # The simulator ends on the end of its input.
        process.stdin.close()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


@pytest.fixture
def settings(tmp_path):
    return str(tmp_path / "Tundrix.INI")


@pytest.fixture
def cli(settings):
    """Runs tundrix-cli with the test's settings: (exit status, stdout, stderr)."""
    program = _program("TUNDRIX_CLI_PROGRAM")

    def run(*args):
        done = subprocess.run([program, "--settings", settings, *args], capture_output=True,
                              text=True, timeout=60)
        return done.returncode, done.stdout, done.stderr

    return run


@pytest.fixture
def free_port():
    """A loopback port nothing listens on."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


@pytest.fixture
def curve_340(tmp_path):
    """A diode curve of 30 breakpoints from 475 K down to 1.4 K, 0.09 V to 1.64 V
    (0.662 V at 300 K), in the .340 layout with CR LF line ends."""
    lines = ["Sensor Model:   DT-670-SD", "Serial Number:  D6091234",
             "Data Format:    2      (Volts/Kelvin)", "SetPoint Limit: 475.0      (Kelvin)",
             "Temperature coefficient:  1 (Negative)", "Number of Breakpoints:   30", "",
             "No.   Units      Temperature (K)", ""]
    for i in range(30):
        lines.append(f"{i + 1:3d}  {0.09 + 1.55 * i / 29:.5f}      "
                     f"{475.0 - 473.6 * i / 29:.3f}")
    path = tmp_path / "DT-670.340"
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode())
    return str(path)
