#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' names and contents and on one time:

    make_zip.py OUTPUT.zip SECONDS_SINCE_1970 FILE...

Each FILE goes in under its own base name, in the order given, deflated. What an archiver would
otherwise take from the machine is fixed: every entry's time is the one given (in UTC, at least
1980-01-01, the first a zip can hold), its mode 0644, or 0755 where the file is executable by its
owner (so a checkout's umask does not show), no owner, no extra fields. Standard library only.
"""

import os
import stat
import sys
import time
import zipfile

ZIP_EPOCH = (1980, 1, 1, 0, 0, 0)


def entry_time(seconds):
    return max(ZIP_EPOCH, time.gmtime(seconds)[:6])


def entry_mode(path):
    executable = os.stat(path).st_mode & stat.S_IXUSR
    return stat.S_IFREG | (0o755 if executable else 0o644)


def main(argv):
    if len(argv) < 4:
        sys.exit('usage: make_zip.py OUTPUT.zip SECONDS_SINCE_1970 FILE...')
    output, seconds, files = argv[1], int(argv[2]), argv[3:]
    partial = output + '.partial'
    with zipfile.ZipFile(partial, 'w') as archive:
        for path in files:
            info = zipfile.ZipInfo(os.path.basename(path), date_time=entry_time(seconds))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the mode below is read
            info.external_attr = entry_mode(path) << 16
            with open(path, 'rb') as source:
                archive.writestr(info, source.read(), compresslevel=9)
    os.replace(partial, output)


if __name__ == '__main__':
    main(sys.argv)
