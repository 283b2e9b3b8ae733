#pragma once
// The install run's own state: counters and what it records for removal.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "install/uninstall_log.h"

struct InstallState {
    // Copy progress is in bytes while every source could be measured, else in entries.
    // Counted in 64 bits so packages above 2 GiB keep their totals.
    bool sizeProgress = true;
    std::int64_t totalBytes = 0;
    std::int64_t doneBytes = 0;
    int entryCount = 0;
    int doneCount = 0;
    int diskNumber = 1;
    bool lockedFile = false;
    bool reboot = false;

    std::vector<std::pair<std::string, std::string>> relations;  // [Relate] name, file
    UninstallLists lists;
    RestoreRelateSlots relationSlots;
};

// A measured source's size as progress counts it: unknown (negative) counts 0 and turns
// byte progress off; an empty file counts 1 so that it still moves the bar.
std::int64_t CountedSize(std::int64_t size, bool& sizeProgress);
// The copy bar's position after entry n.
int CopyProgressPercent(const InstallState& state, int n);
// Whether the free space suffices; equal is not enough.
bool EnoughSpace(std::int64_t freeBytes, std::int64_t totalBytes);
std::string LowSpaceQuestion(const std::string& setupString, bool queryWorked, std::int64_t totalBytes);
