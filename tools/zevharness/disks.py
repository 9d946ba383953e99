"""A small disk for the tests of what the tool does when a disk fills."""
import os
import subprocess
import tempfile

SIZE = 64 * 1024


def small_tmpfs(test):
    """A tmpfs of 64 KB mounted for `test` and unmounted when it ends: its folder, or None
    when none can be mounted here (mounting needs root)."""
    mount_point = tempfile.mkdtemp(prefix="zevdisk-")
    test.addCleanup(os.rmdir, mount_point)
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % SIZE, "tmpfs", mount_point],
                      stderr=subprocess.DEVNULL).returncode != 0:
        return None
    test.addCleanup(subprocess.run, ["umount", "-l", mount_point])
    return mount_point
