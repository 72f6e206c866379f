#!/usr/bin/env python3
"""Runs a Windows build of the launcher under Wine with exact command lines and checks the
command-line tail that reaches the game (the 64-bit build under wine64, the 32-bit product
under 32-bit Wine, whose prefix CTest makes with WINEARCH=win32).

Each case starts the launcher through the spawner (which hands Windows the command line byte
for byte) from a fresh game folder whose system folder holds the stand-in game. The stand-in
writes one "arg=" line per argument into standin-report.txt; the test compares them with the
game option followed by the arguments that the case's tail should give.

The launcher lies in a folder whose name holds the byte 0xE4, 'a' with umlaut in the ANSI code
page 1252. The C runtime's start-up code compares bytes as signed values and so ends an
unquoted program name at that byte; the launcher computes the tail itself and must not.

What Wine does here that matters to these tests, measured with Wine 8.0 on this machine:
- The ANSI code page follows the Unix locale; with LC_ALL=C.UTF-8 it is 1252 (the registry
  shows ACP=1252), and Unix file names are UTF-8, so the Windows byte 0xE4 names the Unix
  folder whose name holds "\\xc3\\xa4". The tests pin LC_ALL for that reason.
- A drive letter is a symbolic link in the prefix's dosdevices folder; the tests map T: to
  their work folder so that the launcher's path holds no blank and no other byte above 0x7F
  whatever the build folder is called.
- Creating the prefix takes a median 5.6 s (3 fresh prefixes: 3.6, 5.6, 6.1 s). With the
  wineserver up, one case (spawner, launcher and game) takes a median 0.2 s; a start that
  must first start the wineserver takes about 0.7 s.
- The wineserver that a wine64 start brings up inherits that start's standard output and
  error, and keeps them open until it exits, 3 s after its last client. A caller that reads
  them through a pipe to their end waits those 3 s on every run (measured: 2.9 s a case
  instead of 0.2 s), so the cases write their output to files.
- wine64 returns the Windows program's exit code as its own exit status.

Exit status: 0 when every case passes, 1 when one fails, 77 when the Windows build is missing
(the test is then skipped).
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

SKIPPED = 77
UMLAUT_FOLDER = "L\u00e4nder"  # its Windows name holds the single byte 0xE4
DRIVE = "t:"
RUN_TIMEOUT_SECONDS = 120


def windows_launcher_path(launcher_name):
    """The launcher's path as Windows bytes in code page 1252, on the mapped drive."""
    return (DRIVE.upper() + "\\" + UMLAUT_FOLDER + "\\" + launcher_name).encode("cp1252")


def cases(launcher):
    """(name, command line, arguments the tail must give the game) for each case."""
    quoted = b'"' + launcher + b'"'
    return [
        ("unquoted path with an umlaut", launcher + b" -x y", ["-x", "y"]),
        ("quoted name followed directly by an option", quoted + b"-window", ["-window"]),
        ("quoted name, three blanks, two words", quoted + b"   alpha beta", ["alpha", "beta"]),
        ("the name alone", launcher, []),
        ("quotes in the tail passed unchanged", launcher + b' -name "two words"',
         ["-name", "two words"]),
    ]


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wine", required=True,
                        help="the Wine loader (wine64, or wine for 32-bit programs)")
    parser.add_argument("--launcher", required=True, help="the launcher built for Windows")
    parser.add_argument("--spawner", required=True, help="the spawner built for Windows")
    parser.add_argument("--game", required=True, help="the stand-in game built for Windows")
    parser.add_argument("--game-executable", required=True,
                        help="the game's path in the game folder, with backslashes")
    parser.add_argument("--game-option", required=True, help="the option the launcher gives first")
    parser.add_argument("--work", required=True, help="a scratch folder, emptied first")
    parser.add_argument("--prefix", required=True, help="the private Wine prefix")
    return parser.parse_args()


def wine_environment(prefix):
    """Wine's environment: the private prefix, no debug output, a fixed locale, and no offer
    to install the .NET and HTML engines when the prefix is created."""
    environment = dict(os.environ)
    environment.update(WINEPREFIX=prefix, WINEDEBUG="-all", LC_ALL="C.UTF-8",
                       WINEDLLOVERRIDES="mscoree,mshtml=")
    environment.pop("DISPLAY", None)
    return environment


def prepare_prefix(options, environment):
    """Creates the prefix on first use and maps the drive letter to the work folder."""
    dosdevices = os.path.join(options.prefix, "dosdevices")
    if not os.path.isdir(dosdevices):
        started = time.monotonic()
        # The spawner without arguments exits at once: the start only creates the prefix.
        subprocess.run([options.wine, options.spawner], env=environment, cwd=options.work,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=RUN_TIMEOUT_SECONDS)
        print(f"created the Wine prefix in {time.monotonic() - started:.1f} s")
    drive = os.path.join(dosdevices, DRIVE)
    if os.path.lexists(drive):
        os.remove(drive)
    os.symlink(os.path.abspath(options.work), drive)


def reported_arguments(game_folder):
    report = os.path.join(game_folder, "standin-report.txt")
    if not os.path.exists(report):
        return None
    with open(report, "rb") as file:
        lines = file.read().decode("cp1252").splitlines()
    return [line[len("arg="):] for line in lines if line.startswith("arg=")]


def run_case(number, case, options, environment):
    """Runs one case; returns (failure message or None, seconds the run took)."""
    name, command_line, tail_arguments = case
    game_folder = os.path.join(options.work, f"game{number}")
    game_path = os.path.join(game_folder, *options.game_executable.split("\\"))
    os.makedirs(os.path.dirname(game_path))
    shutil.copyfile(options.game, game_path)
    with open(os.path.join(game_folder, "command-line.bin"), "wb") as file:
        file.write(command_line)

    # The output goes to a file, not a pipe: a wineserver that this run starts inherits it,
    # and a pipe would stay open until the server exits, seconds after the run.
    errors_path = os.path.join(game_folder, "spawner-errors.txt")
    started = time.monotonic()
    with open(errors_path, "wb") as errors:
        run = subprocess.run([options.wine, options.spawner, "command-line.bin"],
                             env=environment, cwd=game_folder, stdin=subprocess.DEVNULL,
                             stdout=errors, stderr=errors, timeout=RUN_TIMEOUT_SECONDS)
    seconds = time.monotonic() - started

    expected = [options.game_option] + tail_arguments
    got = reported_arguments(game_folder)
    if run.returncode != 0:
        with open(errors_path, "rb") as errors:
            problem = f"exit status {run.returncode}, output {errors.read()!r}"
    elif got != expected:
        problem = f"the game got {got!r}, expected {expected!r}"
    else:
        return None, seconds
    return f"{name}: command line {command_line!r}: {problem}", seconds


def main():
    options = parse_arguments()
    for path in (options.launcher, options.spawner, options.game):
        if not os.path.isfile(path):
            print(f"skipped: {path} is missing; build the Windows build first")
            return SKIPPED

    shutil.rmtree(options.work, ignore_errors=True)
    launcher_folder = os.path.join(options.work, UMLAUT_FOLDER)
    os.makedirs(launcher_folder)
    launcher_name = os.path.basename(options.launcher)
    shutil.copyfile(options.launcher, os.path.join(launcher_folder, launcher_name))

    environment = wine_environment(options.prefix)
    prepare_prefix(options, environment)

    failures = []
    seconds = []
    for number, case in enumerate(cases(windows_launcher_path(launcher_name)), start=1):
        failure, took = run_case(number, case, options, environment)
        seconds.append(took)
        print(("FAIL " if failure else "ok   ") + case[0])
        if failure:
            failures.append(failure)
    print(f"median run under Wine: {statistics.median(seconds):.2f} s over {len(seconds)} runs")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
