"""The module against the simulator: what crosses the binding (curves and
rows as Python values, files exactly as the CLI writes them, errors as
exceptions with the CLI's messages, Ctrl-C in a log), not the core again."""

import datetime
import os
import signal
import sys
import threading

import pytest

import tundrix


def test_a_curve_goes_from_a_340_file_through_calgen_to_user_curve_1_and_back(
        simulator, settings, curve_340, tmp_path):
    crv = str(tmp_path / "DT-670.crv")
    converted = tundrix.convert_340(curve_340, crv, name="DT-670")
    assert converted.header == {"name": "DT-670", "type": "Diode", "multiplier": -1.0,
                                "unit": "Volts"}
    assert len(converted) == 30
    # Sorted by value: the first point is the 475 K end of the file.
    assert tuple(converted.points[0]) == pytest.approx((0.09, 475.0))
    fitted = tundrix.calgen("diode-300k", crv, [(300.0, 0.66)])
    assert fitted.header == converted.header and len(fitted) == 30
    fitted_file = str(tmp_path / "fitted.crv")
    fitted.write(fitted_file)
    with tundrix.open(simulator, settings=settings) as instrument:
        instrument.download_curve(fitted_file, 1, verify=True)
        assert instrument.upload_curve(1) == fitted
        instrument.download_curve(crv, 1)
        assert instrument.upload_curve(1) == converted


def test_a_short_log_gives_rows_of_python_values_and_the_utility_s_file(
        simulator, settings, tmp_path):
    path = tmp_path / "run.csv"
    before = datetime.datetime.now().replace(microsecond=0)
    with tundrix.open(simulator, settings=settings) as instrument:
        rows = instrument.log(["A", "Heater1"], 0.1, count=3, path=str(path))
        assert rows.columns == ["time", "Channel A", "Heater 1", "RANGE"]
        taken = list(rows)
    after = datetime.datetime.now()
    assert len(taken) == 3
    for row in taken:
        assert before <= row[0] <= after
        assert [type(value) for value in row[1:]] == [float, float, float]
    text = path.read_bytes().decode()
    assert "\r\nEntry Number,Channel A,Heater 1,RANGE\r\n" in text
    assert "\r\nNumber of entries = 3\r\nData logging terminated at " in text


def test_ctrl_c_stops_a_log_with_its_trailer_written(simulator, settings, tmp_path):
    path = tmp_path / "run.csv"
    with tundrix.open(simulator, settings=settings) as instrument:
        rows = instrument.log("A", 0.1, count=100000, path=str(path))
        timer = threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT))
        timer.start()
        try:
            with pytest.raises(KeyboardInterrupt):
                for _ in rows:
                    pass
        finally:
            timer.cancel()
        entries = rows.entries
    assert entries >= 1
    assert f"\r\nNumber of entries = {entries}\r\nData logging terminated at " in \
        path.read_bytes().decode()


def test_closing_the_instrument_ends_its_log_with_the_trailer(simulator, settings, tmp_path):
    path = tmp_path / "run.csv"
    instrument = tundrix.open(simulator, settings=settings)
    rows = instrument.log("A", 0.1, count=100000, path=str(path))
    first = next(rows)
    instrument.close()
    rest = list(rows)
    assert rows.entries == 1 + len(rest)
    assert first[1:] and all(len(row) == 2 for row in rest)
    assert f"\r\nNumber of entries = {rows.entries}\r\nData logging terminated at " in \
        path.read_bytes().decode()


def test_calgen_writes_the_file_the_cli_writes(cli, curve_340, tmp_path):
    crv = str(tmp_path / "DT-670.crv")
    tundrix.convert_340(curve_340, crv)
    for kind, points in [("diode-300k", [(300.0, 0.66)]),
                         ("diode-2", [(77.0, 1.39), (300.0, 0.66)])]:
        by_module, by_cli = tmp_path / f"{kind}-module.crv", tmp_path / f"{kind}-cli.crv"
        tundrix.calgen(kind, crv, points, output=str(by_module))
        status, _, err = cli("calgen", kind, crv, str(by_cli),
                             *[arg for t, v in points for arg in ("--point", f"{t},{v}")])
        assert status == 0, err
        assert by_module.read_bytes() == by_cli.read_bytes()


# What is refused, the exception it raises and the message, which is the CLI's
# after its "tundrix-cli: " or "tundrix-cli: error: ".
REFUSALS = [
    ("a curve file that fails its check", tundrix.FileError,
     "Error detected informat. Correct indicated error and then try again.",
     lambda inst, bad: inst.download_curve(bad, 1),
     lambda bad: ("curve", "download", bad, "--curve", "1")),
    ("a command of two lines", tundrix.RefusedError,
     "query: the command holds a line break; a command is one line; nothing was sent",
     lambda inst, bad: inst.query("*IDN?\nKRDG?"),
     lambda bad: ("query", "*IDN?\nKRDG?")),
]


@pytest.mark.parametrize("case", REFUSALS, ids=[case[0] for case in REFUSALS])
def test_a_refusal_raises_its_kind_with_the_cli_s_message(simulator, settings, cli, tmp_path,
                                                          case):
    _, kind, message, call, cli_args = case
    bad = tmp_path / "bad.crv"
    bad.write_text("DT-670\nDiode\nnot a number\nVolts\n0.5  300\n;\n")
    with tundrix.open(simulator, settings=settings) as instrument:
        with pytest.raises(kind) as raised:
            call(instrument, str(bad))
    assert str(raised.value) == message
    assert isinstance(raised.value, tundrix.Error)
    status, _, err = cli("--port", simulator, *cli_args(str(bad)))
    assert status != 0
    assert message in err


def test_no_instrument_raises_link_error_with_the_cli_s_message(settings, cli, free_port):
    resource = f"TCPIP::127.0.0.1::{free_port}::SOCKET"
    with pytest.raises(tundrix.LinkError) as raised:
        tundrix.open(resource, settings=settings)
    assert str(raised.value) == "Failed to connect to server."
    status, _, err = cli("--port", resource, "identify")
    assert status == 1 and "Failed to connect to server." in err


def test_the_gil_is_free_while_a_log_waits_for_its_rows(simulator, settings):
    ticks = []
    done = threading.Event()

    def tick():
        while not done.wait(0.01):
            ticks.append(1)

    ticker = threading.Thread(target=tick)
    with tundrix.open(simulator, settings=settings) as instrument:
        ticker.start()
        try:
            rows = list(instrument.log("A", 0.1, count=5))
        finally:
            done.set()
            ticker.join(5)
    assert len(rows) == 5
    # Five rows 0.1 s apart: the other thread ran all along, not only between rows.
    assert len(ticks) >= 20


def test_points_are_a_list_of_pairs_without_numpy(curve_340, monkeypatch):
    with_numpy = tundrix.Curve.read(curve_340).points
    assert with_numpy.shape == (30, 2) and str(with_numpy.dtype) == "float64"
    monkeypatch.setitem(sys.modules, "numpy", None)
    pairs = tundrix.Curve.read(curve_340).points
    assert isinstance(pairs, list) and len(pairs) == 30
    assert pairs[0] == pytest.approx((0.09, 475.0)) and pairs[29] == pytest.approx((1.64, 1.4))


def test_readings_and_tables_are_what_the_cli_gets(simulator, settings, cli, tmp_path):
    with tundrix.open(simulator, settings=settings) as instrument:
        reading = instrument.monitor("A")
        pid = instrument.upload_pid(1)
        with pytest.raises(tundrix.RefusedError, match=r'^monitor: no monitor "Q"'):
            instrument.monitor("Q")
    status, out, _ = cli("--port", simulator, "monitor", "A", "--count", "1")
    assert status == 0
    _, value, unit, name = out.rstrip("\n").split("\t")
    assert (reading["unit"], reading["name"]) == (unit, name) == ("K", "Input A")
    assert isinstance(reading["value"], float) and abs(reading["value"] - float(value)) < 1
    status, _, err = cli("--port", simulator, "pid", "upload", "1", str(tmp_path / "cli.pid"))
    assert status == 0, err
    assert pid.encode() == (tmp_path / "cli.pid").read_bytes()


def test_a_closed_instrument_refuses_every_call(simulator, settings):
    instrument = tundrix.open(simulator, settings=settings)
    instrument.close()
    assert instrument.closed
    with pytest.raises(ValueError, match="the instrument is closed"):
        instrument.query("*IDN?")


# The calculator's results as it shows them, and its refusals.
BOILING = [
    (("Nitrogen", 760, "mmHg", "K"), 77.3521),
    (("Water", 1, "ATM", "C"), 100.0021),
    (("Helium 2", 30, "Torr", "K"), 3.1636),
    (("Nitrogen", 0, "mmHg", "K"), "Enter Pressure before calculate."),
    (("Nitrogen", 2000, "mmHg", "K"), "Enter a number between 0 and 1000."),
]


@pytest.mark.parametrize("arguments, expected", BOILING)
def test_boiling_temperature_is_the_calculator_s(arguments, expected):
    if isinstance(expected, float):
        assert tundrix.boiling_temperature(*arguments) == expected
    else:
        with pytest.raises(tundrix.RefusedError) as raised:
            tundrix.boiling_temperature(*arguments)
        assert str(raised.value) == expected


def test_a_command_file_run_counts_its_failed_checks_as_the_cli_does(simulator, settings, cli,
                                                                     tmp_path):
    # The first check expects the wrong reply, the second the simulator's own.
    commands = tmp_path / "check.xml"
    commands.write_text("<Check><QUERY>*IDN?</QUERY><RESPONSE>arktronic</RESPONSE>"
                        "<QUERY>*IDN?</QUERY><RESPONSE>ARKTRONIC,TX-28,SN280417,1.4.2"
                        "</RESPONSE></Check>")
    error_log = tmp_path / "errors.txt"
    with tundrix.open(simulator, settings=settings) as instrument:
        run = instrument.run_commands(str(commands), error_log=str(error_log))
        missing = tmp_path / "missing.xml"
        with pytest.raises(tundrix.FileError) as raised:
            instrument.run_commands(str(missing), error_log=str(tmp_path / "none.txt"))
    assert (run.errors, run.error_log) == (1, str(error_log))
    assert 'query "CHECK: tag 2: *IDN?"' in error_log.read_text()
    assert str(raised.value) == f"Error:Failed to open {missing}"
    status, out, _ = cli("--port", simulator, "run-commands", str(commands), "--error-log",
                         str(tmp_path / "cli-errors.txt"))
    assert status == 3
    status, out, _ = cli("--port", simulator, "run-commands", str(missing), "--error-log",
                         str(tmp_path / "cli-errors.txt"))
    assert status == 1 and f"Error:Failed to open {missing}" in out
