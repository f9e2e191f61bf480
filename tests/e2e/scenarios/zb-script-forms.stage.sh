# Every [Files] form: COPY DIR without a trailing backslash, a file named by
# COPY DIR, an absolute target, and ".." in a target.
LC_ALL=C sed -i 's/^\[Files\]\r$/[Files]\r\nCOPY DIR:Music:1:1:1:<INSTALL DIR>:\r\nCOPY DIR:Readme.txt:1:1:1:<INSTALL DIR>\\Docs:\r\nCOPY:Readme.txt:1:1:1:"C:\\Shared":\r\nCOPY DIR:Save:1:1:1:<INSTALL DIR>\\..:\r/' "$1/Setup.inf"
grep -q '^COPY DIR:Readme.txt:' "$1/Setup.inf"
