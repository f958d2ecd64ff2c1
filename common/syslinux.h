// The conventions of the embedded SYSLINUX installer: its file name, the files
// it writes onto the stick, the folder SYSLINUX boots from and its command
// line. The stick's finish runs it and its check passes over what it wrote;
// what it is asked is decided here only.
#pragma once

#include <string>

#include "common/child_process.h"

namespace kh::syslinux {

// Written into the tools folder and run from there by full path.
inline constexpr const char* kInstallerName = "syslinux.exe";

// The folder SYSLINUX finds its configuration and modules in on the stick.
inline constexpr const char* kFolder = "syslinux";
inline constexpr const char* kConfigName = "syslinux.cfg";

// "syslinux\name": where `name` lies on the stick, below its root.
inline std::string inFolder(const std::string& name) { return std::string(kFolder) + "\\" + name; }

// The loader files the installer writes: what it writes is its business.
inline constexpr const char* kInstallerFiles[] = {"ldlinux.sys", "ldlinux.c32"};

// "-sfmar" onto `drive` ("G:"): the slow, safe loader that old BIOSes boot,
// past the installer's own precautions, with a master boot record written,
// the partition made active, and a fall back to the next disk when the stick
// cannot boot.
inline ChildCommand installCommand(const std::string& program, const std::string& drive) {
    return withArguments(program, {"-sfmar", drive});
}

}  // namespace kh::syslinux
