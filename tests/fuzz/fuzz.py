#!/usr/bin/env python3
"""Runs the fuzz targets of the native build (build/native).

  fuzz.py run SECONDS [TARGET ...]   each target for SECONDS, then a table of executions
  fuzz.py runs COUNT [TARGET ...]    each target for COUNT executions, then the same table
  fuzz.py seeds                      make the seeds (build/fuzz/seeds)
  fuzz.py smoke TARGET SECONDS       the kept findings as fixed inputs, then a short run
                                     from the seeds made before

Every run starts from seeds made of real files (the S-records objcopy made for the
download tests, the linked firmware as image data, the simulator's monitor frames, the
simulator's sample replies) and from the inputs of earlier findings kept in
tests/fuzz/regressions/<target>/. What a run learns stays in build/fuzz/corpus/<target>;
a finding goes to build/fuzz/findings/ and fails the run."""
import glob
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
BUILD = os.path.join(ROOT, "build")
NATIVE = os.path.join(BUILD, "native")
WORK = os.path.join(BUILD, "fuzz")
from zevharness.firmware_files import block_frames


# Inputs longer than this teach a target nothing more and slow it down: a firmware file of
# a dozen lines shows every line-end rule.
MAX_LENGTH = {"fuzz_s19_lines": 1024}


def targets():
    with open(os.path.join(NATIVE, "fuzz_targets.txt")) as f:
        return f.read().strip().split(";")


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def sample_replies():
    """The reply lines of the simulator's sample settings file."""
    replies = []
    with open(os.path.join(ROOT, "sim", "zevsim-sample.ini"), "rb") as f:
        section = None
        for line in f.read().splitlines():
            if line.startswith(b"["):
                section = line.strip(b"[]")
            elif section == b"Replies" and b"=" in line and not line.startswith(b";"):
                replies.append(line.split(b"=", 1)[1])
    return replies + [b"9,33", b"", b"RS232 MODIFIED", b"-2147483649", b"99999999999,1,"]


def settings_files():
    """Device settings files as the tool writes them, and as a person may have edited one."""
    values = [b"r=9,33,0", b"h=0", b"3=OTHER", b"b=0", b"j=0", b"w=1", b"f=2", b"4=RS232", b"c=0"]
    written = b"\r\n".join([b"; Zevanto device settings", b"[Device]", b"Type=Corlaxa",
                              b"Identification=Corlaxa V2.14 SN 104711", b"Saved=2026-12-07 21:40:05",
                              b"Tool=Version 1.0.0.0001 (abc1234)", b"", b"[Values]", b"; three numbers: 9, 33, 0"]
                             + values + [b"", b"[End]", b""])
    edited = b"\n".join([b"[Values]", b"; shuffled, LF line ends, escapes"] + values[::-1][:-1]
                         + [b"r=\\x209,33\\\\\\x0D", b"  [Device]", b"Type=Brennix", b"[End]", b"", b"; end"])
    return [("written", written), ("edited", edited), ("cut-short", written[:200])]


def recordings():
    """Recordings as the monitor window writes them: across midnight, with a corrupt frame's
    readings, and cut in the middle of its last row."""
    header = (b"time,flow (L/min),impulse errors,counter 1,counter 2,volume (L),volume 2 (L),reading 1 (L),"
              b"reading 2 (L),whole reading (L),deviation (%)")
    rows = [b"23:59:59.750,0,0,0,0,0.00,0.00,123456.00,123456.00,123456,0.00",
            b"00:00:00.000,120,3,42,43,12.50,1.50,123456.00,123468.50,123468,0.25",
            b"00:00:00.250,1200,-3,-1,2147418112,-0.00,0.00,nan,-inf,0,-nan"]
    written = b"\r\n".join([header] + rows) + b"\r\n"
    return [("written", written), ("cut-short", written[:-30]), ("lf", written.replace(b"\r\n", b"\n"))]


def make_seeds():
    seeds = os.path.join(WORK, "seeds")
    shutil.rmtree(seeds, ignore_errors=True)
    firmware = os.path.join(BUILD, "tests", "firmware")
    s19_files = sorted(glob.glob(os.path.join(firmware, "*.S19")))
    if not s19_files:
        sys.exit("fuzz: no S-record files in %s: build first (./zev build)" % firmware)
    for path in s19_files:
        name = os.path.basename(path)
        with open(path, "rb") as f:
            text = f.read()
        lines = text.splitlines()
        # objcopy writes LF; the same file with CR LF and with an end-of-text mark
        write(os.path.join(seeds, "fuzz_s19_lines"), name, text[:1024])
        write(os.path.join(seeds, "fuzz_s19_lines"), name + ".crlf", b"\r\n".join(lines[:40]) + b"\r\n\x1a")
        for i, line in enumerate(lines[:: max(1, len(lines) // 40)]):
            write(os.path.join(seeds, "fuzz_sim_srecord"), "%s-%d" % (name, i), line)
            write(os.path.join(seeds, "fuzz_receive_framing"), "%s-%d" % (name, i), b"\0" + line)
    for path in sorted(glob.glob(os.path.join(firmware, "linked", "*"))):
        with open(path, "rb") as f:
            code = f.read()
        name = os.path.basename(path)
        for n, frame in enumerate(block_frames(code[:128 * 12])):
            write(os.path.join(seeds, "fuzz_sim_block_frame"), "%s-%d" % (name, n), frame)
            write(os.path.join(seeds, "fuzz_image_block"), "%s-%d" % (name, n), bytes([n, 0]) + code[n * 128:(n + 1) * 128])
    frames = os.path.join(seeds, "fuzz_monitor_frame")
    os.makedirs(frames, exist_ok=True)
    subprocess.run([os.path.join(NATIVE, "make_frame_seeds"), frames, os.path.join(seeds, "fuzz_receive_framing")],
                   check=True)
    for i, reply in enumerate(sample_replies()):
        write(os.path.join(seeds, "fuzz_replies"), "reply-%d" % i, reply)
        write(os.path.join(seeds, "fuzz_receive_framing"), "reply-%d" % i, b"\1" + reply)
    for i, line in enumerate([b'"C:\\Tools\\ZEV.EXE" /x\0C:\\Tools\\ZEV.EXE', b"ZEV.EXE\0Z:\\a.b\\ZEV.EXE",
                              b'"D:\\Tools 2.1\\ZEV.EXE"\0D:\\Tools 2.1\\ZEV.EXE', b'"ZEV"']):
        write(os.path.join(seeds, "fuzz_settings_path"), "command-line-%d" % i, b"\x20" + line)
    for i, args in enumerate([[b"/port", b"2", b"/device", b"Corlaxa", b"/download", b"fw\\new.S19", b"/clock",
                                b"/readout", b"out\\read.txt", b"/result", b"results.csv", b"/repeat", b"/quiet"],
                               [b"-PORT", b"01", b"/save-settings", b"/restore-settings", b"a.ZEVSET"],
                               [b"/readout", b"Corlaxa, \"V2\"\r\n\\1\xff "]]):
        write(os.path.join(seeds, "fuzz_command_line"), "arguments-%d" % i, b"\0".join(args))
    for i, text in enumerate([b"ASYNC/COM:1,SPEED=9600,FLOW=XONXOFF", b"ASYNC/COM:256,SPEED=38400,FLOW=XONXOFF",
                              b"ASYNC/COM:0,SPEED=9600,FLOW=XONXOFF", b"ASYNC/RFC2217:10.1.2.3:4001,SPEED=9600,FLOW=XONXOFF",
                              b"ASYNC/SOCKET:[fe80::1]:7000,SPEED=38400,FLOW=XONXOFF"]):
        write(os.path.join(seeds, "fuzz_connection"), "connection-%d" % i, b"\x40" + text)
    for i, text in enumerate([b"COM7", b"com256", b"rfc2217://10.1.2.3:4001", b"socket://[::1]:4001",
                              b"RFC2217://gw-2.example:02217", b"socket://host:65536"]):
        write(os.path.join(seeds, "fuzz_port_target"), "port-%d" % i, text)
    write(os.path.join(seeds, "fuzz_config_rules"), "calculator", b"\x03\x00\x00\x00" + b"\x041000\x03100\x0210")
    write(os.path.join(seeds, "fuzz_byte_queue"), "push-pop", bytes(range(64)))
    write(os.path.join(seeds, "fuzz_telnet"), "server-greeting",
          b"\1\x40\xff\xfd\x2c\xff\xfb\x03\xff\xfa\x2c\x65\x00\x00\x25\x80\xff\xf0a\xff\xffb")
    for name, text in settings_files():
        write(os.path.join(seeds, "fuzz_settings_file"), name, text)
    for name, text in recordings():
        write(os.path.join(seeds, "fuzz_recording"), name, text)
    return seeds


def run_target(target, seconds, seeds, runs=None):
    corpus = os.path.join(WORK, "corpus", target)
    findings = os.path.join(WORK, "findings")
    os.makedirs(corpus, exist_ok=True)
    os.makedirs(findings, exist_ok=True)
    folders = [corpus] + [d for d in (os.path.join(seeds, target), os.path.join(HERE, "regressions", target))
                          if os.path.isdir(d)]
    limit = "-runs=%d" % runs if runs else "-max_total_time=%d" % seconds
    if target in MAX_LENGTH:
        limit += " -max_len=%d" % MAX_LENGTH[target]
    command = [os.path.join(NATIVE, target)] + limit.split() + ["-print_final_stats=1",
               "-timeout=10", "-rss_limit_mb=2048", "-artifact_prefix=%s/%s-" % (findings, target)] + folders
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
    runs = re.search(r"stat::number_of_executed_units: (\d+)", result.stdout)
    return result.returncode, int(runs.group(1)) if runs else 0, result.stdout


def regressions(target):
    """The inputs of earlier findings, each run once."""
    kept = sorted(glob.glob(os.path.join(HERE, "regressions", target, "*")))
    if not kept:
        return 0, ""
    result = subprocess.run([os.path.join(NATIVE, target)] + kept, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, errors="replace")
    return result.returncode, result.stdout


def main(argv):
    if len(argv) >= 2 and argv[0] in ("run", "runs"):
        seconds = int(argv[1]) if argv[0] == "run" else 0
        count = int(argv[1]) if argv[0] == "runs" else None
        chosen = argv[2:] or targets()
        seeds = make_seeds()
        failed = []
        print("%-24s %14s %10s %10s" % ("target", "executions", "seconds", "per second"))
        for target in chosen:
            started = time.monotonic()
            code, runs, output = run_target(target, seconds, seeds, count)
            took = time.monotonic() - started
            print("%-24s %14d %10.0f %10d%s" % (target, runs, took, runs / max(took, 0.001),
                                                "" if code == 0 else "  FINDING"), flush=True)
            if code != 0:
                failed.append(target)
                print(output[-3000:])
        print("findings: %d (in %s)" % (len(failed), os.path.join(WORK, "findings")))
        return 1 if failed else 0
    if argv == ["seeds"]:
        print("fuzz: seeds in %s" % make_seeds())
        return 0
    if len(argv) == 3 and argv[0] == "smoke":
        target, seconds = argv[1], int(argv[2])
        code, output = regressions(target)
        if code != 0:
            print(output)
            return 1
        code, runs, output = run_target(target, seconds, os.path.join(WORK, "seeds"))
        print("%s: %d executions in %d s, %s" % (target, runs, seconds, "no finding" if code == 0 else "FINDING"))
        if code != 0:
            print(output[-3000:])
        return code
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
