"""Runs Debian's /usr/bin/orca with its debug file written line by line.

Orca opens the file given to --debug-file block-buffered, so a reader sees
what it said only in 8 KB pieces or once it ends; a test that waits on each
utterance needs every line as it is written.
Usage: python3 orca_lines.py ORCA-ARGUMENTS...
"""
import builtins
import runpy
import sys

_open = builtins.open


def line_buffered(file, mode="r", *args, **kwargs):
    if "w" in mode and "b" not in mode and not args and "buffering" not in kwargs:
        kwargs["buffering"] = 1
    return _open(file, mode, *args, **kwargs)


builtins.open = line_buffered
sys.argv = ["/usr/bin/orca"] + sys.argv[1:]
runpy.run_path("/usr/bin/orca", run_name="__main__")
