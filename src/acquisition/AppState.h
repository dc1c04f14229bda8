#pragma once
// Everything the tool knows, in one place; each part belongs to its subsystem.
#include "acquisition/AcquisitionState.h"
#include "acquisition/View.h"
#include "config/ConfigModel.h"
#include "presentation/ProgressTabs.h"
#include "presentation/StatusRules.h"
#include "protocol/ChainProtocol.h"

namespace qm::acquisition {

struct AppState {
    protocol::RegisterImages images;
    protocol::TransferPanel panel;
    protocol::ChainSelection chain;
    presentation::PresentationState status;
    presentation::ProgressTabs tabs;
    config::ConfigState config;
    AcquisitionState acq;
    View view;
    // The cell group code of the last cell-value view, for the repaint when
    // the current board changes.
    int lastCellGroup = 0;
    // Whether the diagnostic fields last showed a read (true) or were emptied.
    bool diagnosticsShown = false;

    // The cell group code the reads use: ten cells once a configuration with
    // the 10-cell bit was written (the chips follow their own bit), else twelve.
    int cellGroupCode() const { return images.writtenTenCellFlag == 1 ? 1 : 0; }
};

} // namespace qm::acquisition
