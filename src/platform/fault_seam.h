// A seam through which a test makes a chosen platform call fail, so that the launcher's handling
// of a failing copy, delete, rename, profile write, process start or enumeration can be checked
// on real folders. The backend asks FaultStrikes at the point where each kind of call can fail;
// it counts every call per kind and fails the ones a test armed, with the errno the test chose.
// A test can also hold one path, as another program holding a file open would, so that every
// rename and delete of that path fails for as long as it is held.
//
// The seam exists only in builds that carry tests (LAUNCHER_FAULT_SEAM is 1). In every other
// build FaultStrikes is a constant false that the compiler removes with its branch.
#pragma once

enum class FaultKind : unsigned {
    Copy,          // CopyFileReplacing and CopyFileWithoutReplacing: strikes after the data
                   // reached the temporary file.
    Delete,        // RemoveFile.
    FileChange,    // Every system call that changes a file or a folder entry, on entry to it:
                   // creating, writing, syncing, renaming, linking or removing, and setting a
                   // file's mode, owner or times. Armed with FaultRepeat::EndProcess, to kill
                   // the launch at that instant.
    Rename,        // RenameReplacing and RenameWithoutReplacing.
    ProfileWrite,  // WriteProfileValue: strikes before the new file replaces the old.
    ProcessStart,  // RunProcessAndWait: strikes before the process is started.
    Enumeration,   // VisitMatchingEntries: strikes before the folder is read.
    ListedEntry,   // VisitMatchingEntries: a matching entry that the listing leaves out, as a
                   // file system may for a folder that changes while it is listed.
    PathExists,    // PathExists and FileExists.
    Count
};

// Whether an armed fault keeps striking after its first strike, or ends the process at its
// strike, at once and without any clean-up, as a kill or a power loss would.
enum class FaultRepeat : unsigned { Once, FromThenOn, EndProcess };

#if LAUNCHER_FAULT_SEAM

// Counts one call of kind; true when that call must fail, errno then holding the chosen number.
bool FaultStrikes(FaultKind kind);

// Makes the nthCall-th call of kind counted from now (1 is the next call, and so is 0) fail with
// errorNumber, once or on every call from then on, or end the process there (errorNumber unused).
// Arming a kind again replaces its earlier plan.
void ArmFault(FaultKind kind, unsigned nthCall, int errorNumber, FaultRepeat repeat);

// The number of calls of kind since the last reset, the failed ones included.
unsigned FaultCallCount(FaultKind kind);

// Disarms every fault and sets every call counter to zero; no path is held any more.
void ResetFaults();

// Makes every later rename whose source or target is path, and every delete of path, fail with
// errorNumber until the faults are reset. The path is compared as the caller spells it, with
// letter case ignored; holding another path lets go of the one held before.
void HoldPath(const char* path, int errorNumber);

// True when path is the held one, errno then holding the chosen number. The backend asks it for
// each path of a rename or delete, after counting the call with FaultStrikes.
bool FaultHolds(const char* path);

#else

inline bool FaultStrikes(FaultKind) {
    return false;
}

inline bool FaultHolds(const char*) {
    return false;
}

#endif

// Marks a system call that changes a file or a folder entry, about to run: a test may kill the
// launch here. Nothing fails at this point otherwise.
inline void PassFileChangePoint() {
    static_cast<void>(FaultStrikes(FaultKind::FileChange));
}
