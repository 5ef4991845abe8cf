"""Tundrix: the utility's operations for cryogenic temperature controllers,
over the same core as the window and tundrix-cli."""

import datetime
from types import TracebackType
from typing import Any, Iterator, Literal, Optional, Sequence, Tuple, TypedDict, Union

import numpy

__version__: str

class Error(Exception):
    """The base class of every error the tundrix module raises."""

class LinkError(Error):
    """No instrument answered, an exchange failed or was refused, or the link was busy."""

class FileError(Error):
    """A file could not be read, failed its checks, or could not be written."""

class RefusedError(Error):
    """An argument was refused before anything was sent or written."""

class CurveHeader(TypedDict):
    name: str
    type: str
    multiplier: float
    unit: Literal["Volts", "mVolts", "Ohms", "LogOhms"]

class Curve:
    """A sensor curve: a header and up to 200 points (sensor value, temperature
    in kelvin), sorted by value."""
    @staticmethod
    def read(path: str) -> Curve:
        """Reads a ".crv" file by its name, any other name as the ".340" layout."""
    def write(self, path: str) -> None:
        """Writes the curve as a ".crv" file, whole or not at all."""
    @property
    def header(self) -> CurveHeader: ...
    @property
    def points(self) -> Union[numpy.ndarray, list[Tuple[float, float]]]:
        """(sensor value, temperature) pairs: an array of shape (N, 2), or a list
        of pairs when NumPy is not installed."""
    def __len__(self) -> int: ...
    def __eq__(self, other: object) -> bool: ...

class Identity(TypedDict):
    model: str
    model_code: int
    recognised: bool
    model_class: int
    inputs: int
    analog_kind: int

class Reading(TypedDict):
    value: Union[float, str]
    unit: str
    name: str

class CommandRun:
    """How a command file run went."""
    @property
    def errors(self) -> int:
        """The reply checks that failed."""
    @property
    def error_log(self) -> str:
        """The error log the run wrote."""

LogRow = Tuple[Any, ...]
"""(timestamp: datetime.datetime, value: float, ...) in the order of LogRows.columns."""

class LogRows(Iterator[LogRow]):
    """The rows of a running data logging run, each as it is taken. The run
    stops after its count or duration, on close(), at the end of a with block,
    or on Ctrl-C, always with its trailer written."""
    def __iter__(self) -> LogRows: ...
    def __next__(self) -> LogRow: ...
    @property
    def columns(self) -> list[str]:
        """"time", then the file's column titles ("Channel A", "Heater 1", "RANGE", ...)."""
    @property
    def entries(self) -> int:
        """The rows written so far."""
    def close(self) -> None: ...
    def __enter__(self) -> LogRows: ...
    def __exit__(self, kind: Optional[type], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None: ...

class Instrument:
    """One temperature controller and its link; a context manager that closes it."""
    def query(self, command: str) -> str:
        """Sends a query; its reply exactly as received, line end included."""
    def send(self, command: str) -> None:
        """Sends a command line; nothing is read."""
    def identify(self) -> Identity:
        """Identifies the instrument as Connect does."""
    def download_curve(self, path: str, number: int, verify: bool = False,
                       backup: Optional[str] = None) -> None:
        """Sends a .crv or .340 file into user curve number (1..8)."""
    def upload_curve(self, number: int) -> Curve:
        """Reads user curve number (1..8)."""
    def download_pid(self, path: str, table: int) -> None:
        """Sends a .pid file into a PID table."""
    def upload_pid(self, table: int) -> str:
        """Reads a PID table: the text of its .pid file."""
    def log(self, sources: Union[str, Sequence[str]], interval: float,
            count: Optional[int] = None, duration: Optional[float] = None,
            path: Optional[str] = None, precise_time: bool = False) -> LogRows:
        """Starts a data logging run: sources "A,B,Heater1", a list of names or
        "all"; interval in seconds (0.1 to 120000); count rows or duration
        seconds. With path the .csv file is written there as the utility writes it."""
    def monitor(self, name: str) -> Reading:
        """One reading of a channel monitor: A..H, Heater1, Heater2, Analog1, Analog2."""
    def upload_datalog(self, path: str) -> None:
        """Copies the instrument's internal data log into a .csv file."""
    def run_commands(self, path: str, error_log: str = "ErrorLog.txt") -> CommandRun:
        """Runs an XML command file, checking its replies."""
    def close(self) -> None: ...
    @property
    def closed(self) -> bool: ...
    def __enter__(self) -> Instrument: ...
    def __exit__(self, kind: Optional[type], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None: ...

def open(resource: Optional[str] = None, settings: Optional[str] = None) -> Instrument:
    """Opens an instrument's port by a resource string ("TCPIP::host::port::SOCKET",
    "ASRL/dev/ttyUSB0::INSTR", "GPIB0::12::INSTR"), else the settings' port."""

def convert_340(source: str, output: str, *, name: str = ..., type: str = ...,
                multiplier: Union[float, str] = ..., unit: str = ...) -> Curve:
    """Converts a .340 text curve into a .crv file; the keywords change the header."""

def calgen(kind: Literal["diode-300k", "diode-4.2k", "diode-2", "diode-3", "platinum"],
           source: str, points: Sequence[Tuple[float, float]], output: Optional[str] = None,
           allow_nonpositive: bool = False) -> Curve:
    """Fits the standard .crv curve source through (temperature, value) reference points."""

def boiling_temperature(gas: Union[str, int], pressure: Union[float, str],
                        pressure_unit: Union[str, int],
                        temperature_unit: Union[str, int]) -> float:
    """The boiling temperature of a pure liquid at a vapor pressure, as the calculator shows it."""
