#!/bin/bash
# The shipped executable is the 32-bit build with its version, and starts on Windows XP as one
# file: only XP's system DLLs (no MinGW runtime, no UCRT API sets), no function XP lacks, and no
# newer subsystem version in the header. Usage: pe_imports_test.sh EXE
source "$(dirname "$0")/lib.sh"
dump=$(i686-w64-mingw32-objdump -p "$1") || { fail "objdump cannot read $1"; finish; }

dlls=$(sed -n 's/.*DLL Name: //p' <<<"$dump" | tr '[:upper:]' '[:lower:]')
# The "hint name" lines of the import tables.
functions=$(awk 'NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }' <<<"$dump")
[ -n "$functions" ] || fail "no imported function found"
system_dlls='^(kernel32|user32|gdi32|comdlg32|advapi32|msvcrt|shell32|comctl32|ole32|oleaut32'
system_dlls+='|shlwapi|version|setupapi)\.dll$'
expect "DLLs that Windows XP does not ship" "$(grep -vE "$system_dlls" <<<"$dlls")" ""

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
expect "functions newer than Windows XP" "$(grep -E "$newer" <<<"$functions")" ""

# Windows XP refuses images whose subsystem or OS version is above 5.1.
for part in OSystem Subsystem; do
    version=$(awk -v p="$part" '$1 == "Major" p "Version" { major = $2 }
        $1 == "Minor" p "Version" { print major * 100 + $2 }' <<<"$dump")
    [ -n "$version" ] && [ "$version" -le 501 ] || fail "$part version above Windows XP's 5.1"
done

[[ $dump == *"file format pei-i386"* ]] || fail "not a 32-bit (i386) executable"
version=$(sed -n 's/.*VALUE "FileVersion", "\(.*\)".*/\1/p' \
    "$(dirname "$0")/../../payloads/resources.rc.in")
[ -n "$version" ] || fail "no FileVersion in the resource script"
expect "FileVersion as the resource script gives it" \
    "$(strings -e l "$1" | grep -x -A1 FileVersion | tail -n 1)" "$version"

finish
