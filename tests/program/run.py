#!/usr/bin/python3
# SPDX-License-Identifier: MPL-2.0
"""Runs one of the tests that drive the real program from outside.

usage: run.py TEST PATH/TO/tallowin PATH/TO/SAMPLES
"""
import sys

import command_line  # noqa: F401 (its tests register themselves)
import windows  # noqa: F401
from support import main

sys.exit(main(*sys.argv[1:]))
