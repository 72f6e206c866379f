// A seam through which a test makes a chosen platform call fail, so that the launcher's handling
// of a failing copy, delete, rename, profile write, process start or enumeration can be checked
// on real folders. The backend asks FaultStrikes at the point where each kind of call can fail;
// it counts every call per kind and fails the ones a test armed, with the errno the test chose.
//
// The seam exists only in builds that carry tests (LAUNCHER_FAULT_SEAM is 1). In every other
// build FaultStrikes is a constant false that the compiler removes with its branch.
#pragma once

enum class FaultKind : unsigned {
    Copy,          // CopyFileReplacing and CopyFileWithoutReplacing: strikes after the data
                   // reached the temporary file.
    Delete,        // RemoveFile.
    Rename,        // RenameReplacing and RenameWithoutReplacing.
    ProfileWrite,  // WriteProfileValue: strikes before the new file replaces the old.
    ProcessStart,  // RunProcessAndWait: strikes before the process is started.
    Enumeration,   // VisitMatchingEntries: strikes before the folder is read.
    ListedEntry,   // VisitMatchingEntries: a matching entry that the listing leaves out, as a
                   // file system may for a folder that changes while it is listed.
    PathExists,    // PathExists.
    Count
};

// Whether an armed fault keeps striking after its first strike.
enum class FaultRepeat : unsigned { Once, FromThenOn };

#if LAUNCHER_FAULT_SEAM

// Counts one call of kind; true when that call must fail, errno then holding the chosen number.
bool FaultStrikes(FaultKind kind);

// Makes the nthCall-th call of kind counted from now (1 is the next call, and so is 0) fail with
// errorNumber, once or on every call from then on. Arming a kind again replaces its earlier plan.
void ArmFault(FaultKind kind, unsigned nthCall, int errorNumber, FaultRepeat repeat);

// The number of calls of kind since the last reset, the failed ones included.
unsigned FaultCallCount(FaultKind kind);

// Disarms every fault and sets every call counter to zero.
void ResetFaults();

#else

inline bool FaultStrikes(FaultKind) {
    return false;
}

#endif
