// A fresh temporary folder that is the working directory, with the fault seam disarmed, for the
// life of the object: the platform calls of a test meet it as the launcher meets its game
// folder. The previous working directory comes back, and the seam is disarmed again, at the end.
#pragma once

#include <filesystem>
#include <string>

#include "platform/fault_seam.h"
#include "support/game_folder_tree.h"

namespace fault_testing {

class WorkingFolder {
  public:
    explicit WorkingFolder(const std::string& prefix) : folder_(prefix) {
        std::filesystem::current_path(folder_.path());
        ResetFaults();
    }
    ~WorkingFolder() {
        ResetFaults();
        std::filesystem::current_path(previous_);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    const std::filesystem::path& path() const { return folder_.path(); }

  private:
    std::filesystem::path previous_ = std::filesystem::current_path();
    testing_support::TempFolder folder_;
};

}  // namespace fault_testing
