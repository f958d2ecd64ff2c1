#!/bin/bash
# The shipped executable is the 32-bit build with its version, and starts on Windows XP as one
# file: only XP's system DLLs (no MinGW runtime, no UCRT API sets), no function XP lacks, and no
# newer subsystem version in the header. Usage: pe_imports_test.sh EXE
source "$(dirname "$0")/lib.sh"
dump=$(i686-w64-mingw32-objdump -p "$1") || { fail "objdump cannot read $1"; finish; }

# "DLL" per imported DLL, then "DLL function" per imported function.
imports=$(awk '/DLL Name:/ { dll = tolower($3); print dll; next }
               /^[ \t]*$/ { dll = "" }
               dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, $3 }' <<<"$dump")
system_dlls='^(kernel32|user32|gdi32|comdlg32|advapi32|msvcrt|shell32|comctl32|ole32|oleaut32'
system_dlls+='|shlwapi|version|setupapi)\.dll$'
while read -r dll; do
    [[ $dll =~ $system_dlls ]] || fail "imports $dll, which Windows XP does not ship"
done < <(grep -v ' ' <<<"$imports" | sort -u)

# Functions that came with Windows Vista or later and that MinGW's runtime or
# newer code tends to pull in.
newer='^(GetTickCount64|InitializeCriticalSectionEx|(Initialize|Acquire|Release|TryAcquire)SRWLock.*'
newer+='|InitializeConditionVariable|SleepConditionVariable.*|Wake(All)?ConditionVariable'
newer+='|InitOnce.*|Fls(Alloc|Free|GetValue|SetValue)|Create(Event|Mutex|Semaphore|WaitableTimer)Ex[AW]'
newer+='|GetFileInformationByHandleEx|SetFileInformationByHandle|GetFinalPathNameByHandle[AW]'
newer+='|CreateSymbolicLink[AW]|GetLocaleInfoEx|LCIDToLocaleName|LocaleNameToLCID|CompareStringEx'
newer+='|LCMapStringEx|GetUserDefaultLocaleName|GetSystemTimePreciseAsFileTime'
newer+='|GetCurrentProcessorNumber|QueryFullProcessImageName[AW]|GetErrorMode|CancelIoEx'
newer+='|GetQueuedCompletionStatusEx|InterlockedCompareExchange64|GetThreadId|GetProcessIdOfThread'
newer+='|.*Threadpool.*|Wow64(Disable|Revert)Wow64FsRedirection|GetDynamicTimeZoneInformation'
newer+='|AddDllDirectory|SetDefaultDllDirectories|RegGetValue[AW]|RegDeleteTree[AW]|RegSetKeyValue[AW]'
newer+='|ChangeWindowMessageFilter(Ex)?|SetProcessDPIAware|ShutdownBlockReason.*|SHGetKnownFolderPath'
newer+='|TaskDialog.*|GetOverlappedResultEx|CreateFile2|GetVolumeInformationByHandleW)$'
while read -r dll function; do
    [[ ${function:-} =~ $newer ]] && fail "$dll!$function is newer than Windows XP"
done <<<"$imports"
echo "$(grep -c ' ' <<<"$imports") imported functions checked"

# Windows XP refuses images whose subsystem or OS version is above 5.1.
version() { awk -v key="$1" '$1 == key { print $2 }' <<<"$dump"; }
for part in OSystem Subsystem; do
    major=$(version "Major${part}Version")
    minor=$(version "Minor${part}Version")
    [ -n "$major" ] && [ $((major * 100 + minor)) -le 501 ] ||
        fail "$part version ${major:-?}.${minor:-?} is above Windows XP's 5.1"
done

[[ $dump == *"file format pei-i386"* ]] || fail "not a 32-bit (i386) executable"
version=$(sed -n 's/.*VALUE "FileVersion", "\(.*\)".*/\1/p' "$(dirname "$0")/../../payloads/resources.rc.in")
[ -n "$version" ] || fail "no FileVersion in the resource script"
expect "FileVersion as the resource script gives it" \
    "$(strings -e l "$1" | grep -x -A1 FileVersion | tail -n 1)" "$version"

finish
