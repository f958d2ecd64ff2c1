#!/bin/bash
# Every Windows file the program ships starts on Windows XP: the executable and the tools it
# carries (7-Zip's program and library, the SYSLINUX installer) are 32-bit, use only XP's system
# DLLs (no MinGW runtime, no UCRT API sets) and no function XP lacks, named as DLL!function, and
# have no newer subsystem version in the header; the executable has its version.
# Usage: pe_imports_test.sh EXE [TOOL...]
source "$(dirname "$0")/lib.sh"
system_dlls='^(kernel32|user32|gdi32|comdlg32|advapi32|msvcrt|shell32|comctl32|ole32|oleaut32'
system_dlls+='|shlwapi|version|setupapi)\.dll$'

# Functions of Windows Vista or later that MinGW's runtime or newer code tends to pull in.
newer='^(Create(Event|Mutex|Semaphore|WaitableTimer)Ex[AW]|Fls(Alloc|Free|GetValue|SetValue)'
newer+='|(Initialize|Acquire|Release|TryAcquire)SRWLock.*|Wow64(Disable|Revert)Wow64FsRedirection'
newer+='|GetSystemTimePreciseAsFileTime|ChangeWindowMessageFilter(Ex)?|SetFileInformationByHandle'
newer+='|QueryFullProcessImageName[AW]|GetDynamicTimeZoneInformation|GetFileInformationByHandleEx'
newer+='|GetVolumeInformationByHandleW|GetFinalPathNameByHandle[AW]|InterlockedCompareExchange64'
newer+='|InitializeCriticalSectionEx|InitializeConditionVariable|Wake(All)?ConditionVariable'
newer+='|GetQueuedCompletionStatusEx|GetCurrentProcessorNumber|SleepConditionVariable.*'
newer+='|GetUserDefaultLocaleName|SetDefaultDllDirectories|CreateSymbolicLink[AW]|GetLocaleInfoEx'
newer+='|ShutdownBlockReason.*|GetOverlappedResultEx|GetProcessIdOfThread|SHGetKnownFolderPath'
newer+='|RegSetKeyValue[AW]|SetProcessDPIAware|RegDeleteTree[AW]|LCIDToLocaleName|CompareStringEx'
newer+='|LocaleNameToLCID|AddDllDirectory|RegGetValue[AW]|GetTickCount64|.*Threadpool.*'
newer+='|LCMapStringEx|GetErrorMode|TaskDialog.*|GetThreadId|CreateFile2|InitOnce.*|CancelIoEx)$'
# XP's msvcrt.dll has none of the "secure" _s functions and no 64-bit file positions.
msvcrt_newer='^msvcrt\.dll!(.*_s|_fseeki64|_ftelli64|_create_locale|_set_invalid_parameter_handler)$'

for file in "$@"; do
    dump=$(i686-w64-mingw32-objdump -p "$file") || { fail "objdump cannot read $file"; continue; }
    name=${file##*/}
    dlls=$(sed -n 's/.*DLL Name: //p' <<<"$dump" | tr '[:upper:]' '[:lower:]')
    # The "hint name" lines of the import tables, each after its DLL.
    imports=$(awk '/DLL Name:/ { dll = tolower($3) }
        NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll "!" $3 }' <<<"$dump")
    [ -n "$imports" ] || fail "$name: no imported function found"
    expect "$name: DLLs that Windows XP does not ship" "$(grep -vE "$system_dlls" <<<"$dlls")" ""
    expect "$name: functions newer than Windows XP" \
        "$(grep -E "!${newer#^}|$msvcrt_newer" <<<"$imports" | tr '\n' ' ')" ""
    # Windows XP refuses images whose subsystem or OS version is above 5.1.
    for part in OSystem Subsystem; do
        version=$(awk -v p="$part" '$1 == "Major" p "Version" { major = $2 }
            $1 == "Minor" p "Version" { print major * 100 + $2 }' <<<"$dump")
        [ -n "$version" ] && [ "$version" -le 501 ] || fail "$name: $part version above XP's 5.1"
    done
    [[ $dump == *"file format pei-i386"* ]] || fail "$name: not a 32-bit (i386) file"
done

dump=$(i686-w64-mingw32-objdump -p "$1")
version=$(sed -n 's/.*VALUE "FileVersion", "\(.*\)".*/\1/p' \
    "$(dirname "$0")/../../payloads/resources.rc.in")
[ -n "$version" ] || fail "no FileVersion in the resource script"
expect "FileVersion as the resource script gives it" \
    "$(strings -e l "$1" | grep -x -A1 FileVersion | tail -n 1)" "$version"

finish
