// CAnalysisProgressDlg: the modal "Analysis in Progress..." box the memory and STREAM dialogs
// show while their worker runs; their completion timer ends it.
#pragma once

#include "app/dialog_host.h"

namespace membench {

inline app::ModalBoxText CAnalysisProgressDlg() {
    return {"Analysis in Progress...",
            {"Lumetra 2.0 is conducting a computer", "intensive benchmark -- your computer may",
             "not respond for several minutes -- this is normal."}};
}

}  // namespace membench
