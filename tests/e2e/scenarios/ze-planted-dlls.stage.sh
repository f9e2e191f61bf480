# DLLs named like the system's own beside Setup.exe (every one Setup.exe loads
# under Wine but kernel32, and common targets of planting), each one the
# marker DLL that records its load, and Wine told to prefer a DLL it finds
# over its own for Setup.exe, as Windows' search order does.
# Arguments: the medium folder, the build folder.
names="version uxtheme dwmapi imm32 comctl32 winmm msimg32 cryptbase cryptsp propsys
userenv wininet winhttp netapi32 secur32 sspicli dbghelp rsaenh bcrypt ncrypt
windowscodecs urlmon mpr oleacc apphelp dxgi d3d11 textshaping profapi shlwapi
advapi32 combase gdi32 ole32 oleaut32 rpcrt4 sechost shcore shell32 user32 win32u
zlib1"
reg="$WINEPREFIX/drive_c/planted.reg"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\Setup.exe\\DllOverrides]\r\n' >"$reg"
for name in $names; do
    cp "$2/e2e_planted.dll" "$1/$name.dll"
    printf '"%s"="native,builtin"\r\n' "$name" >>"$reg"
done
"$WINE" regedit /S 'C:\planted.reg'
