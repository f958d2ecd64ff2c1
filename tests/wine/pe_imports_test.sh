#!/bin/bash
# The shipped Windows executable must be the 32-bit build, carry its version,
# and start on Windows XP as one file: it may import
# only system DLLs (no MinGW runtime DLLs, no UCRT API sets), no function that
# Windows XP lacks, and its header must not ask for a newer subsystem version.
#
# Usage: pe_imports_test.sh EXE
set -uo pipefail
[ $# -eq 1 ] || {
    echo "usage: pe_imports_test.sh EXE" >&2
    exit 2
}
exe=$1
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

dump=$(i686-w64-mingw32-objdump -p "$exe") || {
    echo "FAIL: objdump cannot read $exe"
    exit 1
}

# DLL name, then "DLL function" per imported function.
imports=$(awk '/DLL Name:/ { dll = tolower($3); print dll; next }
               /^[ \t]*$/ { dll = "" }
               dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }' <<<"$dump")
dlls=$(grep -v ' ' <<<"$imports" | sort -u)
echo "imported DLLs: $(tr '\n' ' ' <<<"$dlls")"

system_dlls='^(kernel32|user32|gdi32|comdlg32|advapi32|msvcrt|shell32|comctl32|ole32|oleaut32|shlwapi|version|setupapi)\.dll$'
while read -r dll; do
    [[ $dll =~ $system_dlls ]] || fail "imports $dll, which Windows XP does not ship"
done <<<"$dlls"

# Functions that came with Windows Vista or later and that MinGW's runtime or
# newer code tends to pull in.
newer='^(GetTickCount64|InitializeCriticalSectionEx|(Initialize|Acquire|Release|TryAcquire)SRWLock.*'
newer+='|InitializeConditionVariable|SleepConditionVariable.*|Wake(All)?ConditionVariable'
newer+='|InitOnce.*|Fls(Alloc|Free|GetValue|SetValue)|Create(Event|Mutex|Semaphore|WaitableTimer)Ex[AW]'
newer+='|GetFileInformationByHandleEx|SetFileInformationByHandle|GetFinalPathNameByHandle[AW]'
newer+='|CreateSymbolicLink[AW]|GetLocaleInfoEx|LCIDToLocaleName|LocaleNameToLCID|CompareStringEx'
newer+='|LCMapStringEx|GetUserDefaultLocaleName|GetSystemTimePreciseAsFileTime|GetCurrentProcessorNumber'
newer+='|QueryFullProcessImageName[AW]|GetErrorMode|CancelIoEx|GetQueuedCompletionStatusEx'
newer+='|InterlockedCompareExchange64|GetThreadId|GetProcessIdOfThread|.*Threadpool.*'
newer+='|Wow64(Disable|Revert)Wow64FsRedirection|GetDynamicTimeZoneInformation|AddDllDirectory'
newer+='|SetDefaultDllDirectories|RegGetValue[AW]|RegDeleteTree[AW]|RegSetKeyValue[AW]'
newer+='|ChangeWindowMessageFilter(Ex)?|SetProcessDPIAware|ShutdownBlockReason.*|GetTickCount64'
newer+='|SHGetKnownFolderPath|TaskDialog.*|GetOverlappedResultEx|CreateFile2|GetVolumeInformationByHandleW)$'
while read -r dll function; do
    [ -n "${function:-}" ] || continue
    [[ $function =~ $newer ]] && fail "$dll!$function is newer than Windows XP"
done <<<"$imports"
echo "imported functions: $(grep -c ' ' <<<"$imports")"

# Windows XP refuses images whose subsystem or OS version is above 5.1.
version() { awk -v key="$1" '$1 == key { print $2 }' <<<"$dump"; }
for part in OSystem Subsystem; do
    major=$(version "Major${part}Version")
    minor=$(version "Minor${part}Version")
    if [ -z "$major" ] || [ $((major * 100 + minor)) -gt 501 ]; then
        fail "$part version ${major:-?}.${minor:-?} is above Windows XP's 5.1"
    fi
done

# The shipped file is the 32-bit build, and carries the version its resource script gives.
[[ $dump == *"file format pei-i386"* ]] || fail "not a 32-bit (i386) executable"
rc_template=$(dirname "$0")/../../payloads/resources.rc.in
expected=$(sed -n 's/.*VALUE "FileVersion", "\(.*\)".*/\1/p' "$rc_template")
actual=$(strings -e l "$exe" | grep -x -A1 FileVersion | tail -n 1)
[ -n "$expected" ] && [ "$actual" = "$expected" ] ||
    fail "FileVersion '${actual:-none}', expected '${expected:-?}'"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "ok: a 32-bit executable, version $actual, only Windows XP system DLLs and functions"
