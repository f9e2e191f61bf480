# A MENU_NAME that climbs out of the Programs folder.
LC_ALL=C sed -i 's/^MENU_NAME=.*\r$/MENU_NAME=..\\..\\..\\..\\Desktop\r/' "$1/Setup.inf"
grep -q '^MENU_NAME=\.\.' "$1/Setup.inf"
