// Test tool: writes every "RC_DATA" resource of a module to OUTDIR\<id>.bin
// through FindResourceA/LoadResource/LockResource, as the program reads them,
// and prints "<id> <language> <size>" for each.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Dump {
    HMODULE module;
    std::string outDir;
    int failures = 0;
};

BOOL CALLBACK dumpLanguage(HMODULE module, LPCSTR type, LPCSTR name, WORD language,
                           LONG_PTR context) {
    Dump& dump = *reinterpret_cast<Dump*>(context);
    const unsigned id = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name));
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!bytes) {
        std::printf("%u %u load-failed\n", id, language);
        ++dump.failures;
        return TRUE;
    }
    const std::string path = dump.outDir + "\\" + std::to_string(id) + ".bin";
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(bytes, 1, size, out) != size) ++dump.failures;
    if (out) std::fclose(out);
    std::printf("%u %u %lu\n", id, language, static_cast<unsigned long>(size));
    return TRUE;
}

BOOL CALLBACK dumpName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    if (!IS_INTRESOURCE(name)) return TRUE;
    EnumResourceLanguagesA(module, type, name, dumpLanguage, context);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: resdump MODULE OUTDIR\n");
        return 2;
    }
    Dump dump{LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE), argv[2]};
    if (!dump.module) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    EnumResourceNamesA(dump.module, "RC_DATA", dumpName, reinterpret_cast<LONG_PTR>(&dump));
    return dump.failures == 0 ? 0 : 1;
}
