#!/usr/bin/env python3
"""The benchmark's generated trees, the one place that makes them.

    payload.py <folder> <files> <bytes per file> <files per subfolder>

Writes <files> files of <bytes per file> into <folder>\\setNNN subfolders of
at most <files per subfolder> each (all in <folder> itself when that is 0).
The content is one random block, rotated per file, so no two files are the
same and no file compresses.
"""
import os
import sys


def main():
    folder, files, size, per_folder = sys.argv[1], *map(int, sys.argv[2:5])
    block = os.urandom(max(min(size, 1 << 24), 1))
    os.makedirs(folder, exist_ok=True)
    for i in range(files):
        where = folder
        if per_folder > 0:
            where = os.path.join(folder, "set%03d" % (i // per_folder))
            if i % per_folder == 0:
                os.makedirs(where, exist_ok=True)
        k = (i * 7919) % len(block)
        rotated = block[k:] + block[:k]
        with open(os.path.join(where, "file%06d.bin" % i), "wb") as f:
            left = size
            while left > 0:
                part = rotated[: min(left, len(rotated))]
                f.write(part)
                left -= len(part)


if __name__ == "__main__":
    main()
