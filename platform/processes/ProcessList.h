// The machine's process list, read from /proc: for each process its id, its
// parent, the user it runs as and its name as the kernel keeps it (the
// executable's file name cut to 15 bytes).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace veqplatform {

struct ProcessEntry {
    pid_t pid = 0;
    pid_t parent = 0;
    uid_t user = 0;  // the real user id
    std::string name;
};

// Fills processes (replacing its content) with every process that could be
// read; a process that ends during the walk is left out. Returns 0, or the
// error of opening the process folder, which leaves processes empty.
// procRoot is the folder to read (tests give a tree of their own).
int ListProcesses(std::vector<ProcessEntry>& processes, const std::string& procRoot = "/proc");

// The name a process started from executable shows in the list: the file
// name of the path, cut to the kernel's limit.
std::string ProcessNameOf(const std::string& executable);

}  // namespace veqplatform
