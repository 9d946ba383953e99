"""Everything a test starts is ended, whatever happens to the test.

A process, a pty pair or a run of the program is handed to its owner the moment it
starts: a TestCase (its clean-ups run after the test, passed or failed), a test class
(after its last test) or an ExitStack (a sub-test, a script). One failure then stays one
failure: nothing it started keeps holding a COM port for the tests after it.
"""
import contextlib
import ctypes
import os
import signal
import subprocess
import unittest

_PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)


def on_end(owner, function, *args):
    """Runs function(*args) when `owner` ends: a TestCase, a TestCase class or an ExitStack."""
    if isinstance(owner, contextlib.ExitStack):
        owner.callback(function, *args)
    elif isinstance(owner, type) and issubclass(owner, unittest.TestCase):
        owner.addClassCleanup(function, *args)
    else:
        owner.addCleanup(function, *args)


def enter(owner, context):
    """Enters a context manager (a PtyPair starts) and leaves it when `owner` ends."""
    if isinstance(owner, contextlib.ExitStack):
        return owner.enter_context(context)
    if isinstance(owner, type) and issubclass(owner, unittest.TestCase):
        return owner.enterClassContext(context)
    return owner.enterContext(context)


def end_process(proc, grace=2.0):
    """Ends a process if it still runs (SIGTERM, after `grace` seconds SIGKILL), reaps it
    and closes the pipes to it. Fine when it has ended already, and when called twice."""
    if proc.poll() is None:
        proc.terminate()  # no error when it has just ended by itself
        try:
            proc.wait(grace)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    for pipe in (proc.stdin, proc.stdout, proc.stderr):
        if pipe:
            try:
                pipe.close()
            except OSError:
                pass


def ends_with_parent(then=None):
    """A preexec_fn for Popen: the child gets SIGTERM when the process that starts it ends,
    however it ends (killed by a time-out, Ctrl+C past the clean-ups). `then`, if given,
    runs after it in the child. Start the child from the main thread: the parent that
    counts is the thread that starts it."""
    parent = os.getpid()

    def preexec():
        _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM)
        if os.getppid() != parent:  # the parent ended before the line above
            os.kill(os.getpid(), signal.SIGTERM)
        if then:
            then()
    return preexec


def start_process(owner, args, preexec_fn=None, **popen_args):
    """subprocess.Popen, with the process ended when `owner` ends, and at the latest with
    the process that starts it."""
    proc = subprocess.Popen(args, preexec_fn=ends_with_parent(preexec_fn), **popen_args)
    on_end(owner, end_process, proc)
    return proc


@contextlib.contextmanager
def sub_test(test, **params):
    """A sub-test whose clean-ups run when it ends, before the next one starts: yields the
    ExitStack that owns what the sub-test starts."""
    with test.subTest(**params), contextlib.ExitStack() as stack:
        yield stack


def end_on_signals():
    """SIGTERM and SIGHUP end a script as Ctrl+C does, through its `finally` and `with`
    blocks, so that what it started ends too."""
    def interrupt(signum, frame):
        raise KeyboardInterrupt("signal %d" % signum)
    for signum in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, interrupt)
