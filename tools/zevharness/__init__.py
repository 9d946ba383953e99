"""Zevanto's test harness: pty pairs for the COM ports, ZEV.EXE and ZEVSIM.EXE under Wine,
the UI robot, the simulator's hex log. Shared by the tests, the benchmarks and ./zev run's
session; the test command (ctest, ./zev) puts tools/ on PYTHONPATH."""
