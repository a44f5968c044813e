#!/usr/bin/env bash
# Writes the default file set of a fresh installation into resources/defaults:
# tavrin.ini and the box files System/AC_Config/AC_Power_01.ini .. _16.ini with
# every section and key the program reads and writes back (the program never
# adds keys to its files). CR LF line ends, as the files have on Windows.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/resources/defaults"
rm -rf "$out"
mkdir -p "$out/System/AC_Config"
crlf() { printf '%s\r\n' "$@"; }
{
    crlf "; Tavrin - Einstellungen des Programms" ""
    crlf "[TAVRIN]" "AUTOSTART=OFF" "SILENT=OFF" "PrgHide=OFF" "FormPos=TopLeft" \
         "PositionX=150" "PositionY=150" "AC_Controller=" ""
    crlf "[Logging]" 'LogFile=$APPDIR\System\Logging\Logging.log' "Logging=OFF" "DeleteFile=OFF" \
         "LogArt=LOG_STD" ""
    crlf "[Path]" 'ProgFile=$APPDIR\tavrin.exe /silent' ""
    crlf "[AC_Config]" 'AC_File=$APPDIR\System\AC_Config\AC_Power_$IDX.ini' "AC_ID=1" "COM_Count=1" ""
    crlf "[HLP]" "USEINDEX=OFF" 'HelpFile=$APPDIR\System\Hilfe\tavrin_$LNG.chm' \
         'HelpIndex=$APPDIR\System\Hilfe\tavrin.hlp' "LngType=DE" ""
    crlf "[LNG]" "USEINDEX=OFF" 'LngFile=$APPDIR\SYSTEM\LANGUAGE\tavrin.$LNG.lng' "LngType=DE"
} >"$out/tavrin.ini"
for i in $(seq -w 1 16); do
    {
        crlf "; Tavrin - Einstellungen der Steckdosenleiste $i" ""
        crlf "[AC]" "AC_Controller=None" "AC_BEEPER=ON" "AC_SN=" "AC_DELAY=OFF" "AC_DELAYTIME=0" \
             "AC_PWDACTIVE=OFF" "AC_PWD="
        for n in $(seq -w 1 24); do crlf "AC_Name$n=Steckdosenname"; done
        for k in ACPower AC_Down ACWDown; do
            for n in $(seq -w 1 24); do crlf "$k$n=OFF"; done
        done
        crlf "" "[COM]" "Port=COM1" "Baudrate=2400" "Stopbit=1" "Parity=None" "Flowcontrol=None"
    } >"$out/System/AC_Config/AC_Power_$i.ini"
done
echo "default file set written to $out"
